// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <span>

#include "dialogs/window_dialogs.h"
#include "session/journal_records.h"

namespace vardesca {

class JournalDialogs;
class StaleClicks;

// Everything the user can do, whatever starts it: a button, a key, a press on
// the photo, a drop, or a recovered journal replaying what was done.
enum class UserAction {
    None,  // listed for the user, handled by Qt itself (Tab)
    ZoomIn,
    ZoomOut,
    Fit,
    NaturalSize,
    Undo,
    Redo,
    SaveAnnotatedPhoto,
    ShowKeys,
    ScrollLeft,
    ScrollRight,
    ScrollUp,
    ScrollDown,
    GiveUpPendingPoint,
    ToggleLoupe,
    ToggleLabels,
    Open,
    SaveResults,
    CopyResults,
    Quit,
    SaveTable,
    NextPhoto,
    PreviousPhoto,
    StartMeasuring,  // Ctrl+I: as the button, when it may be pressed
    // Started by a control, the mouse or another program, not by a key.
    Inizia,
    Click,
    Resetta,
    CopiaDati,
    Info,
    OpenPath,   // a photo named by the command line, a file manager or a drop
    MovePoint,  // a point let go where it was dragged, or nudged
    NudgeLeft,  // Shift+arrows: the selected point one screen pixel over
    NudgeRight,
    NudgeUp,
    NudgeDown,
};
// The last of them: the rules' check walks every action up to it.
inline constexpr UserAction kLastUserAction = UserAction::NudgeDown;

// What an action carries: a click's point in picture twips, a photo's path;
// for a move, which point goes to x, y and whether it joins the last move.
struct ActionArgs {
    float x = 0;
    float y = 0;
    QString path;
    PointId point{};
    bool join = false;
};

// How the door treats an action, stated once for each.
struct ActionRule {
    UserAction action;
    const char* name;
    // How it is started besides its keys (the key table lists those).
    const char* besides;
    // May run while the annotated photo is being saved; if not, the box says
    // why and nothing happens.
    bool duringSave;
    // The journal's record of it, written before it runs with every reply it
    // gets, so that a recovery replays it; or, for `recordAfter`, written once
    // it has run (what recovery needs nothing of).
    std::optional<RecordKind> record;
    bool recordAfter;
    // It holds the window (a save, a load): presses queued meanwhile on the
    // photo are not clicks. A load says so itself the moment its decoding
    // ends, before any box it shows; the rest once they are done.
    enum class Hold { No, AfterWork, AtLoad } holds;
    // Ctrl+Z takes it back.
    bool undoable;
    // Whether it applies is asked before the save is (a press on the photo
    // before calibrating is nothing, even during a save).
    bool appliesFirst = false;
};

[[nodiscard]] std::span<const ActionRule> ActionRules();
[[nodiscard]] const ActionRule& RuleOf(UserAction action);
// The action a journal's record replays: the first whose record it is.
[[nodiscard]] std::optional<UserAction> ReplayedBy(RecordKind kind);

// The one door every user action goes through. It applies, from the rules
// and in one place: the wait for a save, the journal's record with the
// replies, the exception guard and the marker for presses queued while the
// window was held. Each action's own work is defined by its owner.
class UserActions {
  public:
    using Work = std::function<void(const ActionArgs&)>;
    using Applies = std::function<bool(const ActionArgs&)>;
    struct Journal {
        std::function<void()> flushText;  // the user's edits, before any action
        std::function<void(const JournalRecord&)> write;
    };

    UserActions(WindowDialogs& dialogs, JournalDialogs& recording, StaleClicks& staleClicks,
                std::function<bool()> saving, Journal journal);

    // `work` runs guarded; `after` runs once it has, unguarded, inside the
    // action (a question it asks is recorded with it); `applies`, when given,
    // says whether there is anything to do.
    void Define(UserAction action, Work work, std::function<void()> after = {},
                Applies applies = {});
    void Perform(UserAction action, const ActionArgs& args = {});
    // The action performed before the one now running (or the last one, when
    // none runs): a nudge joins the one before it.
    [[nodiscard]] UserAction Previous() const { return previous_; }
    // Whether `action` has its work: one without would do nothing, silently.
    [[nodiscard]] bool Defined(UserAction action) const {
        const auto it = definitions_.find(action);
        return it != definitions_.end() && it->second.work != nullptr;
    }

    // True, and the reason said, when a save holds the commands.
    [[nodiscard]] bool SaveHolds();
    // Runs `work`; an exception escaping it is reported in Italian and the
    // window, the picture and the results stay as they are.
    void Guard(const std::function<void()>& work);

  private:
    struct Definition {
        Work work;
        std::function<void()> after;
        Applies applies;
    };

    WindowDialogs& dialogs_;
    JournalDialogs& recording_;
    StaleClicks& staleClicks_;
    std::function<bool()> saving_;
    Journal journal_;
    std::map<UserAction, Definition> definitions_;
    UserAction previous_ = UserAction::None;
    UserAction running_ = UserAction::None;
    int depth_ = 0;
};

}  // namespace vardesca
