// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <set>

#include "dialogs/window_dialogs.h"
#include "engine/measure_engine.h"
#include "session/journal_format.h"
#include "session/measure_record.h"
#include "view/twips.h"

namespace vardesca {

// The photo on the desk as the folder's measurement record keeps it: its rows
// read when it is opened (and put back, after asking when the photo changed
// since), and written again after every change of what stands on it.
class PhotoRecord {
  public:
    struct Hooks {
        // The journal's restore record, so that a replay puts back the same.
        std::function<void(const JournalRecord&)> journal;
        // A journal is being replayed: the replay puts back what the journal
        // says, and the record is written once at its end.
        std::function<bool()> replaying;
    };
    PhotoRecord(WindowDialogs& dialogs, const LocaleNumbers& locale, const TwipsScale& scale,
                Hooks hooks);

    // The photo at `path`, `pixels` its upright size, now on the desk: what
    // its rows keep, to be put back; nothing when it has none, when the user
    // would rather not see them on a photo changed since, or while a replay
    // runs. A record that cannot be read is set aside with a box.
    [[nodiscard]] std::optional<KeptMeasuring> Opened(const QString& path, QSize pixels);
    // `kept` was put back, and gave `now`: journaled, and from now on what
    // the record holds.
    void Restored(const KeptMeasuring& kept, const KeptMeasuring& now);
    // Rows that could not be put back (they contradict one another): said, and
    // left in the record as they are.
    void NotRestored();
    // No photo of the record on the desk (none, or a stand-in).
    void Forget();
    // What stands on the photo now (`standing`, asked only when a record is
    // kept; `k` the engine's scale): the photo's rows written when they
    // changed. Nothing while a replay runs.
    void Changed(const std::function<KeptMeasuring()>& standing, float k);
    // Where the record is kept when the photo's folder cannot be written,
    // named once (from its first write until another photo is opened).
    [[nodiscard]] const QString& Elsewhere() const { return elsewhere_; }

    // Tests: where a folder's record is kept (a place with no path: none),
    // instead of where RecordPlaceFor puts it; nothing from `place` leaves it
    // there. The corpus is read by every test and written by none, and a
    // read-only folder is one only for a user who is not root.
    // The one it replaces is returned, to be put back.
    using PlaceHook = std::function<std::optional<RecordPlace>(const QString& folder)>;
    static PlaceHook SetPlaceForTests(PlaceHook place);

  private:
    [[nodiscard]] std::vector<TableRow> RowsOf(const KeptMeasuring& kept, float k) const;
    [[nodiscard]] KeptMeasuring KeptOf(const std::vector<TableRow>& rows) const;
    [[nodiscard]] RecordPlace PlaceOf(const QString& folder) const;
    // A record set aside, or one that could not be read or written: a box.
    void Tell(const FolderRecord& record, const char* failureText);

    WindowDialogs& dialogs_;
    const LocaleNumbers& locale_;
    const TwipsScale& scale_;
    Hooks hooks_;
    QString path_;  // the photo; empty for none
    QSize pixels_;
    QString time_;
    KeptMeasuring written_;  // what the record holds for it
    bool known_ = false;     // written_ is what the record holds
    QString elsewhere_;
    std::set<QString> told_;  // records kept elsewhere already named
    bool failureTold_ = false;
};

namespace photo_record_text {
inline constexpr const char* kChangedTitle = QT_TRANSLATE_NOOP("Vardesca", "Foto cambiata");
inline constexpr const char* kChanged = QT_TRANSLATE_NOOP(
    "Vardesca",
    "La foto\n\n%1\n\nnon è più com'era quando è stata misurata (le dimensioni o la data di "
    "modifica sono diverse): se è stata ritagliata o ruotata, i punti registrati non "
    "corrispondono più. Mostrare comunque le misure registrate?\n\nSe la foto viene misurata di "
    "nuovo, le misure registrate per questa foto vengono sostituite.");
inline constexpr const char* kNotRestored = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Le misure registrate per la foto\n\n%1\n\nnel file\n\n%2\n\nnon sono coerenti fra loro e "
    "non si possono mostrare: restano nel file come sono finché la foto non viene misurata di "
    "nuovo.");
}  // namespace photo_record_text

}  // namespace vardesca
