// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include "dialogs/window_dialogs.h"

// The window's own texts, exactly as the user sees them.
namespace vardesca::app_text {

inline constexpr const char* kAppTitle = kApplicationTitle;

// The results box at start-up: 20 lines, CR LF after each, 245 characters. The
// first nine characters are how a load recognises it and clears it.
inline constexpr const char* kStartupText =
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
    "misurazioni\".\r\n";
inline constexpr const char* kStartupMarker = "Le misure";

inline constexpr const char* kInfoCaption = "Vardesca?";
inline constexpr const char* kEsciCaption = "Esci";
inline constexpr const char* kResettaCaption = "Resetta misurazioni";
inline constexpr const char* kIniziaCaption = "Inizia misurazioni";
inline constexpr const char* kCopiaDatiCaption = "Copia i dati";
inline constexpr const char* kOpenCaption = "Carica immagine";

inline constexpr const char* kOpenTitle = "Apri";
// One entry for each kind of picture, JPEG first, then one for the other kinds
// Qt reads. Patterns match whatever the case of the name (see the open dialog).
inline QStringList OpenFilters() {
    return {QStringLiteral("jpg (*.jpg *.jpeg)"), QStringLiteral("gif (*.gif)"),
            QStringLiteral("bmp (*.bmp)"), QStringLiteral("ico (*.ico)"),
            QStringLiteral("wmf (*.wmf)"),
            QStringLiteral("altre immagini (*.png *.tif *.tiff *.webp)")};
}
// Ctrl+PgDn and Ctrl+PgUp at either end of the folder.
inline constexpr const char* kLastPhoto =
    "Questa è l'ultima foto della cartella: non ce ne sono altre dopo.";
inline constexpr const char* kFirstPhoto =
    "Questa è la prima foto della cartella: non ce ne sono altre prima.";
// A calibration whose two references give scales more than 2 % apart.
inline constexpr const char* kReferencesTitle = "Riferimenti discordanti";
inline constexpr const char* kReferencesDisagree =
    "Le scale dei due riferimenti differiscono del %1 %: di solito è un clic fuori posto, e "
    "ogni lunghezza misurata ne porterebbe l'errore.\n\nCalibrare di nuovo?";
inline constexpr const char* kOpenFailed = "Impossibile aprire l'immagine\n\n%1\n\n%2.";
inline constexpr const char* kOpenedDamaged =
    "L'immagine è danneggiata o incompleta: una parte può mancare.\n\n%1\n\n%2.\n\n"
    "Si può misurare lo stesso su quello che si vede.";

inline constexpr const char* kResetQuestion = "Vuoi veramente resettare?";
inline constexpr const char* kResetTitle = "Attenzione";

inline constexpr const char* kErrorText =
    "Si è verificato un errore: %1.\n\nL'operazione è stata interrotta; le misure già "
    "presenti nel riquadro dei risultati restano dove sono.";
inline constexpr const char* kOutOfMemory = "memoria insufficiente";

// F1: every key and mouse action of the program.
inline constexpr const char* kKeysTitle = "Tasti e mouse";
// Made from the key table (key_bindings.cpp) between these three parts.
inline constexpr const char* kKeysMouse =
    "Mouse sulla foto\n"
    "  Clic (qualsiasi tasto): un punto di riferimento o di misura\n"
    "  Doppio clic: conta come un solo clic\n"
    "  Rotella: scorre in verticale; Maiusc+rotella: in orizzontale\n"
    "  Ctrl+rotella: ingrandisce o riduce attorno al puntatore\n"
    "\n";
inline constexpr const char* kKeysEverywhere = "Tastiera, ovunque\n";
inline constexpr const char* kKeysOutsideResults = "Tastiera, fuori dal riquadro dei risultati\n";
inline constexpr const char* kKeysInResults =
    "Nel riquadro dei risultati ogni tasto scrive, e Ctrl+Z, Ctrl+Maiusc+Z, Ctrl+A, Ctrl+C, "
    "Ctrl+V e Ctrl+X agiscono sul testo.";

// The caption: the file, then the zoom when it is not 100 %, then the scale
// once calibrated.
inline constexpr const char* kCaptionFile = "Vardesca [%1]";
inline constexpr const char* kCaptionZoom = " — %1 %";
inline constexpr const char* kCaptionScale = " — %1 px/cm, riferimenti ±%2 %";
// While calibrating: which click comes next, reference by reference.
inline constexpr const char* kCaptionCalibration[] = {
    " — riferimento 1: primo punto", " — riferimento 1: secondo punto",
    " — riferimento 2: primo punto", " — riferimento 2: secondo punto"};
// A reference's label on the photo: its typed length.
inline constexpr const char* kReferenceLabel = "%1 cm";
inline constexpr const char* kInternalError = "errore interno del programma";

}  // namespace vardesca::app_text
