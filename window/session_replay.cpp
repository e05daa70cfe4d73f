// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/session_replay.h"

#include "picture/system_name.h"
#include "session/journal_records.h"
#include "session/session_recovery.h"
#include "text/ui_text.h"

namespace vardesca {

namespace {

void ReplayStep(const RecoveryStep& step, bool askWhenRunOut, const ReplayParts& parts) {
    parts.recording.QueueReplies(step.replies, askWhenRunOut);
    if (const auto text = TextOf(step.action)) {
        return parts.text.SetText(*text);
    }
    // What the folder's record put back when the photo was opened, as it was
    // then, whatever the record holds now.
    if (const auto kept = RestoreOf(step.action)) {
        return parts.actions.Guard([&] { parts.desk.Restore(*kept); });
    }
    // Every other step is replayed by the action that recorded it, through
    // the same door as when the user did it.
    const std::optional<RecordKind> kind = KindOf(step.action.kind);
    const std::optional<UserAction> action = kind ? ReplayedBy(*kind) : std::nullopt;
    if (!action) {
        return;
    }
    ActionArgs args;
    if (*action == UserAction::MovePoint) {
        const auto move = MoveOf(step.action);
        if (!move) {
            return;
        }
        args.point = move->point;
        args.x = move->x;
        args.y = move->y;
        args.join = move->join;
    } else if (*action == UserAction::Click) {
        const auto click = ClickOf(step.action);
        if (!click) {
            return;
        }
        args.x = click->first;
        args.y = click->second;
    }
    parts.actions.Perform(*action, args);
}

// The recorded photo, if it is still the file that was measured and opens;
// otherwise a stand-in, since the engine needs no pixels, on which the steps
// still give the text and the table. True for the photo itself.
bool PutRecordedPhoto(const RecoveryPlan& plan, const ReplayParts& parts) {
    const QString path = plan.picture ? plan.picture->path : QString();
    const FileFacts info = FactsOf(path);
    if (plan.picture && info.isFile && info.size == plan.picture->size &&
        info.modifiedMs == plan.picture->modifiedMs) {
        parts.opener.Load(path);
        if (parts.desk.FileName() == path) {  // it may fail to open now
            return true;
        }
    }
    parts.desk.PutStandIn(path);
    parts.recorder.PhotoStarted();
    return false;
}

}  // namespace

void ReplaySession(const JournalReading& reading, const QString& keptAt, const ReplayParts& parts) {
    const RecoveryPlan plan = PlanRecovery(reading);
    bool textOnly = plan.pictureLost;
    parts.recording.StartReplay();
    parts.actions.Guard([&] {
        if (plan.startText) {
            parts.text.SetText(*plan.startText);
        }
        MeasurementTable& table = parts.desk.Table();
        table.Clear();
        for (const TableRow& row : plan.rows) {
            table.Add(row);
        }
        if (!plan.picture && !plan.pictureLost) {
            return;
        }
        if (!PutRecordedPhoto(plan, parts)) {
            textOnly = true;
        }
        for (std::size_t i = 0; i < plan.steps.size(); ++i) {
            // A question the last step asks with no reply recorded was open when
            // the program ended: it is asked again, on the photo.
            const bool last = i + 1 == plan.steps.size();
            ReplayStep(plan.steps[i], last && plan.lastStepComplete && !textOnly, parts);
        }
        if (textOnly) {
            parts.opener.Forget();
            parts.desk.Unload();
        }
    });
    parts.recording.StopReplay();
    // The folder's record as the replay left the photo, in one write.
    parts.actions.Guard([&] { parts.desk.KeepRecord(); });
    if (plan.pictureLost) {
        // No photo record stands in the new journal for these steps: what they
        // gave is journaled as it now stands.
        parts.recorder.RecordPicture(QString());
    }
    if (textOnly && plan.picture) {
        parts.recording.ShowBox(QString(),
                                UiText(recovery_text::kPictureChanged).arg(plan.picture->path),
                                WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
    if (reading.damaged) {
        ShowRecoveryDamage(parts.recording, plan, keptAt);
    }
}

}  // namespace vardesca
