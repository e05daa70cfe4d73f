// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include "dialogs/window_dialogs.h"
#include "text/ui_text.h"

// The window's own texts, exactly as the user sees them.
namespace vardesca::app_text {

// The program's name and the caption's frame hold no words: shown as they
// are in every language, not looked up for a translation.
inline constexpr const char* kAppTitle = kApplicationTitle;

// The results box at start-up: 20 lines, CR LF after each, 245 characters. Its
// first words ("Le misure") are how a load recognises it and clears it.
inline constexpr const char* kStartupText = QT_TRANSLATE_NOOP("Vardesca",
                                                              "Le misure \r\n"
                                                              "effettuate \r\n"
                                                              "compariranno in \r\n"
                                                              "questo box, i \r\n"
                                                              "cui contenuti \r\n"
                                                              "sono \r\n"
                                                              "completamente \r\n"
                                                              "editabili.\r\n"
                                                              "\r\n"
                                                              "E' possibile \r\n"
                                                              "cancellare dati, \r\n"
                                                              "aggiungere \r\n"
                                                              "note, etc.\r\n"
                                                              "\r\n"
                                                              "Per iniziare,\r\n"
                                                              "apri \r\n"
                                                              "un'immagine\r\n"
                                                              "e poi premi\r\n"
                                                              "\"Inizia\r\n"
                                                              "misurazioni\".\r\n");
// The instructions' first words in the language shown: their first line
// without its trailing spaces. A load clears a box that begins with them.
inline QString StartupMarker() {
    const QString shown = UiText(kStartupText);
    return shown.left(shown.indexOf(QLatin1Char('\r'))).trimmed();
}

inline constexpr const char* kInfoCaption = QT_TRANSLATE_NOOP("Vardesca", "Vardesca?");
inline constexpr const char* kEsciCaption = QT_TRANSLATE_NOOP("Vardesca", "Esci");
inline constexpr const char* kResettaCaption = QT_TRANSLATE_NOOP("Vardesca", "Resetta misurazioni");
inline constexpr const char* kIniziaCaption = QT_TRANSLATE_NOOP("Vardesca", "Inizia misurazioni");
inline constexpr const char* kCopiaDatiCaption = QT_TRANSLATE_NOOP("Vardesca", "Copia i dati");
inline constexpr const char* kOpenCaption = QT_TRANSLATE_NOOP("Vardesca", "Carica immagine");

inline constexpr const char* kOpenTitle = QT_TRANSLATE_NOOP("Vardesca", "Apri");
// One entry for each kind of picture, JPEG first, then one for the other kinds
// Qt reads. Patterns match whatever the case of the name (see the open dialog).
inline QStringList OpenFilters() {
    return {QStringLiteral("jpg (*.jpg *.jpeg)"),
            QStringLiteral("gif (*.gif)"),
            QStringLiteral("bmp (*.bmp)"),
            QStringLiteral("ico (*.ico)"),
            QStringLiteral("wmf (*.wmf)"),
            UiText(QT_TRANSLATE_NOOP("Vardesca", "altre immagini")) +
                QStringLiteral(" (*.png *.tif *.tiff *.webp)")};
}
// Ctrl+PgDn and Ctrl+PgUp at either end of the folder.
inline constexpr const char* kLastPhoto = QT_TRANSLATE_NOOP(
    "Vardesca", "Questa è l'ultima foto della cartella: non ce ne sono altre dopo.");
inline constexpr const char* kFirstPhoto = QT_TRANSLATE_NOOP(
    "Vardesca", "Questa è la prima foto della cartella: non ce ne sono altre prima.");
// A calibration whose two references give scales more than 2 % apart.
inline constexpr const char* kReferencesTitle =
    QT_TRANSLATE_NOOP("Vardesca", "Riferimenti discordanti");
inline constexpr const char* kReferencesDisagree = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Le scale dei due riferimenti differiscono del %1 %: di solito è un clic fuori posto, e "
    "ogni lunghezza misurata ne porterebbe l'errore.\n\nCalibrare di nuovo?");
inline constexpr const char* kOpenFailed =
    QT_TRANSLATE_NOOP("Vardesca", "Impossibile aprire l'immagine\n\n%1\n\n%2.");
inline constexpr const char* kOpenedDamaged = QT_TRANSLATE_NOOP(
    "Vardesca",
    "L'immagine è danneggiata o incompleta: una parte può mancare.\n\n%1\n\n%2.\n\n"
    "Si può misurare lo stesso su quello che si vede.");

inline constexpr const char* kResetQuestion =
    QT_TRANSLATE_NOOP("Vardesca", "Vuoi veramente resettare?");
inline constexpr const char* kResetTitle = QT_TRANSLATE_NOOP("Vardesca", "Attenzione");

inline constexpr const char* kErrorText = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Si è verificato un errore: %1.\n\nL'operazione è stata interrotta; le misure già "
    "presenti nel riquadro dei risultati restano dove sono.");
inline constexpr const char* kOutOfMemory = QT_TRANSLATE_NOOP("Vardesca", "memoria insufficiente");

// F1: every key and mouse action of the program.
inline constexpr const char* kKeysTitle = QT_TRANSLATE_NOOP("Vardesca", "Tasti e mouse");
// Made from the key table (key_bindings.cpp) between these three parts.
inline constexpr const char* kKeysMouse =
    QT_TRANSLATE_NOOP("Vardesca",
                      "Mouse sulla foto\n"
                      "  Clic (qualsiasi tasto): un punto di riferimento o di misura\n"
                      "  Doppio clic: conta come un solo clic\n"
                      "  Rotella: scorre in verticale; Maiusc+rotella: in orizzontale\n"
                      "  Ctrl+rotella: ingrandisce o riduce attorno al puntatore\n"
                      "\n");
inline constexpr const char* kKeysPoints =
    QT_TRANSLATE_NOOP("Vardesca",
                      "Mouse su un punto già messo\n"
                      "  Trascinare (tasto sinistro): sposta il punto e ricalcola ciò che ne "
                      "dipende; Esc lo rimette dov'era\n"
                      "  Clic senza trascinare: un nuovo punto, come altrove\n"
                      "\n");
inline constexpr const char* kKeysEverywhere = QT_TRANSLATE_NOOP("Vardesca", "Tastiera, ovunque\n");
inline constexpr const char* kKeysOutsideResults =
    QT_TRANSLATE_NOOP("Vardesca", "Tastiera, fuori dal riquadro dei risultati\n");
inline constexpr const char* kKeysInResults = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Nel riquadro dei risultati ogni tasto scrive, e Ctrl+Z, Ctrl+Maiusc+Z, Ctrl+A, Ctrl+C, "
    "Ctrl+V e Ctrl+X agiscono sul testo.");
inline constexpr const char* kKeysRecord = QT_TRANSLATE_NOOP(
    "Vardesca",
    "\n\nLe misure di ogni foto restano nel file misure-vardesca.csv della sua cartella: "
    "riaprendo la foto, anche un altro giorno, tornano la calibrazione e i punti, e si continua "
    "dal numero successivo.");

// The caption: the file, then the zoom when it is not 100 %, then the scale
// once calibrated.
inline constexpr const char* kCaptionFile = "Vardesca [%1]";
inline constexpr const char* kCaptionZoom = QT_TRANSLATE_NOOP("Vardesca", " — %1 %");
inline constexpr const char* kCaptionScale =
    QT_TRANSLATE_NOOP("Vardesca", " — %1 px/cm, riferimenti ±%2 %");
// While a measurement's point is dragged: the length it would have.
inline constexpr const char* kCaptionLength = QT_TRANSLATE_NOOP("Vardesca", " — %1 cm");
// The folder cannot be written: where its measurement record went instead.
inline constexpr const char* kCaptionRecordElsewhere =
    QT_TRANSLATE_NOOP("Vardesca", " — misure registrate in %1");
// While calibrating: which click comes next, reference by reference.
inline constexpr const char* kCaptionCalibration[] = {
    QT_TRANSLATE_NOOP("Vardesca", " — riferimento 1: primo punto"),
    QT_TRANSLATE_NOOP("Vardesca", " — riferimento 1: secondo punto"),
    QT_TRANSLATE_NOOP("Vardesca", " — riferimento 2: primo punto"),
    QT_TRANSLATE_NOOP("Vardesca", " — riferimento 2: secondo punto")};
// A reference's label on the photo: its typed length.
inline constexpr const char* kReferenceLabel = QT_TRANSLATE_NOOP("Vardesca", "%1 cm");
inline constexpr const char* kInternalError =
    QT_TRANSLATE_NOOP("Vardesca", "errore interno del programma");

}  // namespace vardesca::app_text
