// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "session/journal_format.h"
#include "session/journal_records.h"
#include "commands/table_columns.h"

namespace vardesca {

// How a journal is turned back into a session. The engine is deterministic:
// the same clicks and the same replies give the same marks and lines, so a
// session is kept as the short list of what the user did since the last photo
// was loaded, with the results text and the table as they stood then.

// One thing the user did, with the replies given while it ran.
struct RecoveryStep {
    JournalRecord action;
    std::deque<JournalRecord> replies;
};

struct RecoveryPlan {
    // The results box as it was when the last photo was loaded (with no photo
    // loaded, as last written).
    std::optional<std::string> startText;
    // The table rows of the photos before the last one.
    std::vector<TableRow> rows;
    using Picture = PictureFacts;
    std::optional<Picture> picture;
    // The last photo's own record was damaged: its steps give the text and the
    // table on a stand-in, with no photo to show.
    bool pictureLost = false;
    // What was done on it, to replay in order.
    std::vector<RecoveryStep> steps;
    // The steps run to the journal's end, nothing cut: a question the last one
    // asks with no reply recorded was open when the program ended.
    bool lastStepComplete = true;

    // What each damaged line of the journal cost.
    enum class Cost {
        PictureNotReloaded,  // the last photo's record
        StepsStopped,        // an action or a reply: what follows was not replayed
        TextEdit,            // an edit of the results text
        TableRow,            // a row of an earlier photo's table
        Unknown,             // unreadable, where a row or the text may have been
        Nothing,             // what it held was needed for nothing that came back
    };
    struct Damage {
        std::size_t line = 0;
        Cost cost = Cost::Nothing;
    };
    std::vector<Damage> damage;
};

// Never throws on any records, however odd: fields missing or not numbers
// leave out the record that holds them. A damaged line costs what it held:
// a photo's record, the photo's reloading; an action or a reply, the replay of
// what follows it (the edits of the results text after it still come back);
// a text or a row, itself.
[[nodiscard]] RecoveryPlan PlanRecovery(const JournalReading& reading);
[[nodiscard]] RecoveryPlan PlanRecovery(const std::vector<JournalRecord>& records);

// The records that give the same plan again: what a new journal takes over.
[[nodiscard]] std::string EncodePlan(const RecoveryPlan& plan);

namespace recovery_text {
inline constexpr const char* kTitle = QT_TRANSLATE_NOOP("Vardesca", "Recupero della sessione");
inline constexpr const char* kQuestion = QT_TRANSLATE_NOOP(
    "Vardesca",
    "La sessione precedente non si è chiusa normalmente (%1): recuperare le misure e il testo "
    "dei risultati?");
inline constexpr const char* kWhen = QT_TRANSLATE_NOOP("Vardesca", "ultima modifica il %1 alle %2");
inline constexpr const char* kPictureChanged = QT_TRANSLATE_NOOP(
    "Vardesca",
    "La foto\n\n%1\n\nnon c'è più o è stata modificata dopo la sessione precedente: sono stati "
    "recuperati soltanto il testo dei risultati e la tabella delle misure.");
inline constexpr const char* kDamagedLine =
    QT_TRANSLATE_NOOP("Vardesca", "La riga %1 del registro della sessione è danneggiata: %2.");
inline constexpr const char* kCostPicture = QT_TRANSLATE_NOOP(
    "Vardesca", "la foto non è stata ricaricata; testo e misure dopo di essa recuperati");
inline constexpr const char* kCostSteps = QT_TRANSLATE_NOOP(
    "Vardesca",
    "le azioni sulla foto da quel punto in poi non sono state ripetute; le misure prese prima e "
    "le modifiche al testo dei risultati sono state recuperate");
inline constexpr const char* kCostText = QT_TRANSLATE_NOOP(
    "Vardesca", "una modifica del testo dei risultati non è stata recuperata");
inline constexpr const char* kCostRow = QT_TRANSLATE_NOOP(
    "Vardesca", "una riga della tabella delle misure non è stata recuperata");
inline constexpr const char* kCostUnknown =
    QT_TRANSLATE_NOOP("Vardesca", "quanto conteneva non è stato recuperato");
inline constexpr const char* kCostNothing = QT_TRANSLATE_NOOP(
    "Vardesca", "non conteneva nulla che servisse al recupero");
inline constexpr const char* kSetAside = QT_TRANSLATE_NOOP(
    "Vardesca", "Il registro della sessione precedente è stato conservato in\n\n%1");
}  // namespace recovery_text

}  // namespace vardesca
