// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the session journal: what it records, and how it plays
// a recorded session back.
#include "picture/system_name.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/form1.h"

namespace vardesca {

void Form1::UseJournal(SessionJournal* journal) {
    recorder_->Use(journal);
}

void Form1::EndQuietly() {
    recorder_->FlushText();
    quitting_ = true;
    RememberAtExit();
    quit_();
}

void Form1::PrepareForSessionEnd() {
    recorder_->FlushText();
    quietClose_ = true;
}

void Form1::RecoverSession(const JournalReading& reading, const QString& keptAt) {
    const RecoveryPlan plan = PlanRecovery(reading);
    bool textOnly = plan.pictureLost;
    recording_.StartReplay();
    actions_->Guard([&] {
        if (plan.startText) {
            Text1->SetText(*plan.startText);
        }
        table_.Clear();
        for (const TableRow& row : plan.rows) {
            table_.Add(row);
        }
        if (!plan.picture && !plan.pictureLost) {
            return;
        }
        const QString path = plan.picture ? plan.picture->path : QString();
        const FileFacts info = FactsOf(path);
        bool same = plan.picture && info.isFile && info.size == plan.picture->size &&
                    info.modifiedMs == plan.picture->modifiedMs;
        if (same) {
            Load(path);
            same = fileName_ == path;  // it may fail to open now
        }
        if (!same) {
            // The steps still give the text and the table; on a stand-in, since
            // the engine needs no pixels, which then goes.
            textOnly = true;
            QImage standIn(1, 1, QImage::Format_RGB32);
            standIn.fill(Qt::black);
            inizializza(path,
                        LoadedPicture{standIn, scale_.TwipsPerPixel(), scale_.TwipsPerPixel()});
            recorder_->PhotoStarted();
        }
        for (std::size_t i = 0; i < plan.steps.size(); ++i) {
            // A question the last step asks with no reply recorded was open when
            // the program ended: it is asked again, on the photo.
            const bool last = i + 1 == plan.steps.size();
            ReplayStep(plan.steps[i], last && plan.lastStepComplete && !textOnly);
        }
        if (textOnly) {
            UnloadPicture();
        }
    });
    recording_.StopReplay();
    if (plan.pictureLost) {
        // No photo record stands in the new journal for these steps: what they
        // gave is journaled as it now stands.
        recorder_->RecordPicture(QString());
    }
    if (textOnly && plan.picture) {
        dialogs_.ShowBox(QString(), UiText(recovery_text::kPictureChanged).arg(plan.picture->path),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
    if (reading.damaged) {
        ShowRecoveryDamage(dialogs_, plan, keptAt);
    }
}

void Form1::ReplayStep(const RecoveryStep& step, bool askWhenRunOut) {
    recording_.QueueReplies(step.replies, askWhenRunOut);
    if (const auto text = TextOf(step.action)) {
        return Text1->SetText(*text);
    }
    // Every other step is replayed by the action that recorded it, through
    // the same door as when the user did it.
    const std::optional<RecordKind> kind = KindOf(step.action.kind);
    const std::optional<UserAction> action = kind ? ReplayedBy(*kind) : std::nullopt;
    if (!action) {
        return;
    }
    ActionArgs args;
    if (*action == UserAction::Click) {
        const auto click = ClickOf(step.action);
        if (!click) {
            return;
        }
        args.x = click->first;
        args.y = click->second;
    }
    actions_->Perform(*action, args);
}

void Form1::UnloadPicture() {
    folder_.Forget();
    picPicture->SetPicture(QImage(), 0, 0);
    fileName_.clear();
    engine_->Reset();
    // As at start: nothing to calibrate until a photo is loaded.
    Inizia->setEnabled(false);
    Resetta->setEnabled(false);
    viewport_->ShowNewPicture();
    setWindowTitle(QString::fromUtf8(app_text::kAppTitle));
    loupe_->Refresh();
}

}  // namespace vardesca
