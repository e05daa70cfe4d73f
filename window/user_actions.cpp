// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/user_actions.h"

#include <new>

#include "commands/annotated_photo.h"
#include "engine/checked_int.h"
#include "session/journal_dialogs.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/stale_clicks.h"

namespace vardesca {

namespace {

using A = UserAction;
using K = RecordKind;
using H = ActionRule::Hold;
constexpr std::optional<RecordKind> kNone = std::nullopt;

// action, its name and how else it is started (for the actions table of
// docs/ARCHITECTURE.md, which a test writes from this table and the keys'),
// during a save, record, recorded after, holds the window, undoable, applies
// asked first. The first row whose record a kind is replays it.
constexpr ActionRule kRules[] = {
    {A::Click, "Click", "a press on the photo, any button", false, K::Click, false, H::No, true,
     true},
    {A::Inizia, "Inizia", "the \"Inizia misurazioni\" button", false, K::Inizia, false, H::No,
     false},
    {A::StartMeasuring, "StartMeasuring", "", false, K::Inizia, false, H::No, false, true},
    {A::Undo, "Undo", "", false, K::Undo, false, H::No, false},
    {A::GiveUpPendingPoint, "GiveUpPendingPoint", "", false, K::GiveUp, false, H::No, false, true},
    {A::MovePoint, "MovePoint", "a point dragged on the photo, or nudged", false, K::Move, false,
     H::No, true, true},
    {A::NudgeLeft, "NudgeLeft", "", false, kNone, false, H::No, false, true},
    {A::NudgeRight, "NudgeRight", "", false, kNone, false, H::No, false, true},
    {A::NudgeUp, "NudgeUp", "", false, kNone, false, H::No, false, true},
    {A::NudgeDown, "NudgeDown", "", false, kNone, false, H::No, false, true},
    {A::Redo, "Redo", "", false, K::Redo, false, H::No, false},
    {A::Resetta, "Resetta", "the \"Resetta misurazioni\" button", false, K::Resetta, false, H::No,
     false},
    {A::Open, "Open", "the \"Carica immagine\" button", false, kNone, false, H::AtLoad, false},
    {A::OpenPath, "OpenPath", "the command line, a file manager, a drop", false, kNone, false,
     H::AtLoad, false},
    {A::NextPhoto, "NextPhoto", "", false, kNone, false, H::AtLoad, false},
    {A::PreviousPhoto, "PreviousPhoto", "", false, kNone, false, H::AtLoad, false},
    {A::CopiaDati, "CopiaDati", "the \"Copia i dati\" button", false, K::Export, true, H::AfterWork,
     false},
    {A::SaveResults, "SaveResults", "", false, kNone, false, H::AfterWork, false},
    {A::CopyResults, "CopyResults", "", false, kNone, false, H::No, false},
    {A::SaveTable, "SaveTable", "", false, kNone, false, H::AfterWork, false},
    {A::SaveAnnotatedPhoto, "SaveAnnotatedPhoto", "", false, kNone, false, H::AfterWork, false},
    {A::Quit, "Quit", "the \"Esci\" button", false, kNone, false, H::No, false},
    {A::Info, "Info", "the \"Vardesca?\" button", true, kNone, false, H::No, false},
    {A::ShowKeys, "ShowKeys", "", true, kNone, false, H::No, false},
    {A::ZoomIn, "ZoomIn", "", true, kNone, false, H::No, false},
    {A::ZoomOut, "ZoomOut", "", true, kNone, false, H::No, false},
    {A::Fit, "Fit", "", true, kNone, false, H::No, false},
    {A::NaturalSize, "NaturalSize", "", true, kNone, false, H::No, false},
    {A::ScrollLeft, "ScrollLeft", "", true, kNone, false, H::No, false},
    {A::ScrollRight, "ScrollRight", "", true, kNone, false, H::No, false},
    {A::ScrollUp, "ScrollUp", "", true, kNone, false, H::No, false},
    {A::ScrollDown, "ScrollDown", "", true, kNone, false, H::No, false},
    {A::ToggleLoupe, "ToggleLoupe", "", true, kNone, false, H::No, false},
    {A::ToggleLabels, "ToggleLabels", "", true, kNone, false, H::No, false},
    {A::None, "None", "", true, kNone, false, H::No, false},
};

constexpr bool EveryActionHasOneRule() {
    for (int a = 0; a <= static_cast<int>(kLastUserAction); ++a) {
        int rows = 0;
        for (const ActionRule& rule : kRules) {
            rows += static_cast<int>(rule.action) == a ? 1 : 0;
        }
        if (rows != 1) {
            return false;
        }
    }
    return true;
}
static_assert(EveryActionHasOneRule(), "every action needs exactly one rule");

}  // namespace

std::span<const ActionRule> ActionRules() {
    return kRules;
}

const ActionRule& RuleOf(UserAction action) {
    for (const ActionRule& rule : kRules) {
        if (rule.action == action) {
            return rule;
        }
    }
    return kRules[std::size(kRules) - 1];  // unreachable: every action has its row
}

std::optional<UserAction> ReplayedBy(RecordKind kind) {
    for (const ActionRule& rule : kRules) {
        if (rule.record == kind && !rule.recordAfter) {
            return rule.action;
        }
    }
    return std::nullopt;
}

UserActions::UserActions(WindowDialogs& dialogs, JournalDialogs& recording,
                         StaleClicks& staleClicks, std::function<bool()> saving, Journal journal)
    : dialogs_(dialogs),
      recording_(recording),
      staleClicks_(staleClicks),
      saving_(std::move(saving)),
      journal_(std::move(journal)) {}

void UserActions::Define(UserAction action, Work work, std::function<void()> after,
                         Applies applies) {
    definitions_[action] = {std::move(work), std::move(after), std::move(applies)};
}

bool UserActions::SaveHolds() {
    if (!saving_()) {
        return false;
    }
    dialogs_.ShowBox(QString(), UiText(annotated_text::kWaitForSave), WindowDialogs::Buttons::Ok);
    return true;
}

void UserActions::Guard(const std::function<void()>& work) {
    QString reason;
    try {
        work();
        return;
    } catch (const std::bad_alloc&) {
        reason = UiText(app_text::kOutOfMemory);
    } catch (const ArithmeticOverflow& e) {
        reason = UiText(e.what());  // the engine's own, by its Italian
    } catch (const std::exception&) {
        // The library's own text would be English.
        reason = UiText(app_text::kInternalError);
    }
    dialogs_.ShowBox(QString(), UiText(app_text::kErrorText).arg(reason),
                     WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
}

void UserActions::Perform(UserAction action, const ActionArgs& args) {
    const ActionRule& rule = RuleOf(action);
    const auto defined = definitions_.find(action);
    if (defined == definitions_.end() || !defined->second.work) {
        return;
    }
    const Definition& definition = defined->second;
    const auto applies = [&] { return !definition.applies || definition.applies(args); };
    if (rule.appliesFirst && !applies()) {
        return;
    }
    if (!rule.duringSave && SaveHolds()) {
        return;
    }
    if (!rule.appliesFirst && !applies()) {
        return;
    }
    const auto recordOf = [&](RecordKind kind) {
        if (kind == RecordKind::Move) {
            return journal_record::Move({args.point, args.x, args.y, args.join});
        }
        return kind == RecordKind::Click ? journal_record::Click(args.x, args.y)
                                         : journal_record::Action(kind);
    };
    // What ran before this, for a nudge to ask; an action it starts (the move)
    // is part of it.
    struct Running {
        UserActions& door;
        UserAction action;
        Running(UserActions& d, UserAction a) : door(d), action(a) {
            if (door.depth_++ == 0) {
                door.running_ = action;
            }
        }
        ~Running() {
            if (--door.depth_ == 0) {
                door.previous_ = door.running_;
            }
        }
    } running{*this, action};
    if (rule.record && !rule.recordAfter) {
        journal_.flushText();
        journal_.write(recordOf(*rule.record));
        // Every reply given while it runs is recorded after it.
        recording_.BeginAction();
        struct End {
            JournalDialogs& dialogs;
            ~End() { dialogs.EndAction(); }
        } end{recording_};
        Guard([&] { definition.work(args); });
        if (definition.after) {
            definition.after();
        }
    } else {
        Guard([&] { definition.work(args); });
        if (rule.record) {
            journal_.write(recordOf(*rule.record));
        }
        if (definition.after) {
            definition.after();
        }
    }
    if (rule.holds == ActionRule::Hold::AfterWork) {
        staleClicks_.BusyUntilNow();
    }
}

}  // namespace vardesca
