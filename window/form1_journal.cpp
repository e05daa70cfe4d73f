// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the session journal: what it records, and how it plays
// a recorded session back.
#include <cerrno>

#include "commands/safe_file.h"
#include "picture/system_name.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/form1.h"

namespace vardesca {

void Form1::UseJournal(SessionJournal* journal) {
    journal_ = journal;
    journalWarned_ = false;
    recording_.SetRecorder([this](const JournalRecord& record) { Journal(record); });
    if (textTimer_ == nullptr) {
        textTimer_ = new QTimer(this);
        textTimer_->setSingleShot(true);
        textTimer_->setInterval(1000);
        connect(textTimer_, &QTimer::timeout, this, [this] { FlushText(); });
        connect(Text1, &ResultsBox::UserEdited, this, [this] {
            textDirty_ = true;
            if (!textTimer_->isActive()) {
                textTimer_->start();
            }
        });
    }
}

void Form1::Journal(const std::string& encoded) {
    if (journal_ == nullptr || journal_->Broken() || recording_.Replaying()) {
        return;
    }
    if (journal_->Append(encoded) || journalWarned_) {
        return;
    }
    // Once: measuring goes on as without a journal.
    journalWarned_ = true;
    const Failure why = SaveFailure(errno, SaveStep::Write);
    dialogs_.ShowBox(QString(),
                     UiText(journal_text::kCannotWrite).arg(journal_->Path(), why.reason),
                     WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
}

void Form1::FlushText() {
    if (!textDirty_) {
        return;
    }
    textDirty_ = false;
    if (textTimer_ != nullptr) {
        textTimer_->stop();
    }
    Journal(journal_record::Text(Text1->GetText()));
}

void Form1::JournalPicture(const QString& path) {
    if (journal_ == nullptr || recording_.Replaying()) {
        return;
    }
    textDirty_ = false;
    std::string records = EncodeRecord(journal_record::Text(Text1->GetText()));
    const std::vector<TableRow>& rows = table_.Rows();
    for (std::size_t i = std::min(rowsAtPhotoStart_, rows.size()); i < rows.size(); ++i) {
        records += EncodeRecord(journal_record::Row(rows[i]));
    }
    rowsAtPhotoStart_ = rows.size();
    if (!path.isEmpty()) {
        const FileFacts info = FactsOf(path);
        records += EncodeRecord(journal_record::Picture(path, info.size, info.modifiedMs));
    }
    Journal(records);
}

void Form1::EndQuietly() {
    FlushText();
    quitting_ = true;
    RememberAtExit();
    quit_();
}

void Form1::PrepareForSessionEnd() {
    FlushText();
    quietClose_ = true;
}

void Form1::EndSession() {
    if (journal_ != nullptr) {
        journal_->Finish();
    }
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
            rowsAtPhotoStart_ = table_.Rows().size();
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
        JournalPicture(QString());
    }
    if (textOnly && plan.picture) {
        dialogs_.ShowBox(QString(), UiText(recovery_text::kPictureChanged).arg(plan.picture->path),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
    if (reading.damaged) {
        ShowDamage(plan, keptAt);
    }
}

void Form1::ShowDamage(const RecoveryPlan& plan, const QString& keptAt) {
    using Cost = RecoveryPlan::Cost;
    QStringList lines;
    for (const RecoveryPlan::Damage& d : plan.damage) {
        const char* cost = recovery_text::kCostUnknown;
        switch (d.cost) {
            case Cost::PictureNotReloaded: cost = recovery_text::kCostPicture; break;
            case Cost::StepsStopped: cost = recovery_text::kCostSteps; break;
            case Cost::TextEdit: cost = recovery_text::kCostText; break;
            case Cost::TableRow: cost = recovery_text::kCostRow; break;
            case Cost::Unknown: cost = recovery_text::kCostUnknown; break;
            case Cost::Nothing: cost = recovery_text::kCostNothing; break;
        }
        lines.push_back(UiText(recovery_text::kDamagedLine)
                            .arg(QString::number(d.line), UiText(cost)));
    }
    if (!keptAt.isEmpty()) {
        lines.push_back(UiText(recovery_text::kSetAside).arg(keptAt));
    }
    dialogs_.ShowBox(QString(), lines.join(QStringLiteral("\n\n")), WindowDialogs::Buttons::Ok,
                     WindowDialogs::Icon::Warning);
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
