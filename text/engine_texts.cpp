// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's texts as Qt's translation tools must see them. The engine is
// plain C++ and its header a public one, so its texts carry no Qt marks; the
// window translates them where it shows them, by their Italian. Each is
// written here once more inside QT_TRANSLATE_NOOP, for lupdate to find, and
// checked against the engine's own by the compiler, so the two cannot drift.
#include <QtGlobal>
#include <string_view>

#include "engine/checked_int.h"
#include "engine/measure_engine.h"

namespace vardesca {

namespace {

constexpr bool Same(std::string_view a, std::string_view b) {
    return a == b;
}

static_assert(Same(engine_text::kCalibrationTitle1,
                   QT_TRANSLATE_NOOP("Vardesca", "Calibrazione (1 di 3)")));
static_assert(Same(engine_text::kCalibrationTitle2,
                   QT_TRANSLATE_NOOP("Vardesca", "Calibrazione (2 di 3)")));
static_assert(Same(engine_text::kCalibrationTitle3,
                   QT_TRANSLATE_NOOP("Vardesca", "Calibrazione (3 di 3)")));
static_assert(Same(
    engine_text::kInstructions,
    QT_TRANSLATE_NOOP(
        "Vardesca",
        "Per due volte bisognerà cliccare in successione su due punti posti ad una distanza "
        "nota. Utilizzare riferimenti non troppo piccoli per ridurre l'errore di misura. Se "
        "nell'immagine è disponibile un solo riferimento, è comunque possibile usarlo due volte. "
        "La configurazione ideale è quella con due riferimenti lunghi quanto l'immagine o quasi "
        "e posti a due estremità opposte della stessa.")));
static_assert(Same(
    engine_text::kDistancePrompt,
    QT_TRANSLATE_NOOP("Vardesca", "Qual'è la distanza reale in cm fra i due punti selezionati?")));
static_assert(Same(engine_text::kInvalidTitle, QT_TRANSLATE_NOOP("Vardesca", "Calibrazione")));
static_assert(
    Same(engine_text::kInvalidLength,
         QT_TRANSLATE_NOOP(
             "Vardesca",
             "Valore non valido: scrivere la distanza reale in cm, un numero maggiore di zero.")));
static_assert(
    Same(engine_text::kSamePoint,
         QT_TRANSLATE_NOOP(
             "Vardesca",
             "I due punti coincidono: cliccare di nuovo le due estremità del riferimento.")));
static_assert(Same(engine_text::kLimitTitle, QT_TRANSLATE_NOOP("Vardesca", "Misurazioni")));
// The title of the undo's box, not the button: told apart for translators.
struct Disambiguated {
    const char* source;
    const char* which;
};
constexpr Disambiguated kUndoTitle = QT_TRANSLATE_NOOP3("Vardesca", "Annulla", "undo");
static_assert(Same(engine_text::kUndoTitle, kUndoTitle.source));
static_assert(
    Same(engine_text::kUndoTextEdited,
         QT_TRANSLATE_NOOP(
             "Vardesca",
             "La misura è stata annullata, ma la sua riga non è più l'ultima del riquadro dei "
             "risultati: il testo resta com'è.")));
static_assert(
    Same(engine_text::kLimitReached,
         QT_TRANSLATE_NOOP(
             "Vardesca",
             "È stato raggiunto il limite di 32767 misure: questa misura non è stata registrata. "
             "Copiare i dati, poi premere \"Resetta misurazioni\" per iniziare una nuova serie.")));
static_assert(Same(engine_text::kMoveTitle, QT_TRANSLATE_NOOP("Vardesca", "Punto spostato")));
static_assert(
    Same(engine_text::kLinesNotRewritten,
         QT_TRANSLATE_NOOP("Vardesca",
                           "Il punto è stato spostato, ma queste righe del riquadro dei "
                           "risultati non sono più come il programma le aveva scritte: il "
                           "testo resta com'è. Le nuove lunghezze sono:")));
// The overflows the engine reports (engine/checked_int.h).
static_assert(Same(overflow_text::kValue,
                   QT_TRANSLATE_NOOP("Vardesca",
                                     "valore fuori dall'intervallo di un intero a 32 bit")));
static_assert(Same(overflow_text::kDifference,
                   QT_TRANSLATE_NOOP("Vardesca",
                                     "differenza fuori dall'intervallo di un intero a 32 bit")));

}  // namespace

}  // namespace vardesca
