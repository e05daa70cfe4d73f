// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/session_recorder.h"

#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cerrno>

#include "commands/safe_file.h"
#include "picture/system_name.h"
#include "text/ui_text.h"

namespace vardesca {

SessionRecorder::SessionRecorder(ResultsBox& text, const MeasurementTable& table,
                                 JournalDialogs& recording, WindowDialogs& dialogs, QObject* parent)
    : QObject(parent), text_(text), table_(table), recording_(recording), dialogs_(dialogs) {}

void SessionRecorder::Use(SessionJournal* journal) {
    journal_ = journal;
    warned_ = false;
    recording_.SetRecorder([this](const JournalRecord& record) { Write(record); });
    if (textTimer_ != nullptr) {
        return;
    }
    textTimer_ = new QTimer(this);
    textTimer_->setSingleShot(true);
    textTimer_->setInterval(1000);
    connect(textTimer_, &QTimer::timeout, this, [this] { FlushText(); });
    connect(&text_, &ResultsBox::UserEdited, this, [this] {
        textDirty_ = true;
        // Counted from the first keystroke: typing on does not put it off.
        if (!textTimer_->isActive()) {
            textTimer_->start();
        }
    });
}

void SessionRecorder::Write(const std::string& encoded) {
    if (journal_ == nullptr || journal_->Broken() || recording_.Replaying()) {
        return;
    }
    if (journal_->Append(encoded) || warned_) {
        return;
    }
    // Once: measuring goes on as without a journal.
    warned_ = true;
    const Failure why = SaveFailure(errno, SaveStep::Write);
    dialogs_.ShowBox(QString(),
                     UiText(journal_text::kCannotWrite).arg(journal_->Path(), why.Reason()),
                     WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
}

void SessionRecorder::FlushText() {
    if (!textDirty_) {
        return;
    }
    textDirty_ = false;
    if (textTimer_ != nullptr) {
        textTimer_->stop();
    }
    Write(journal_record::Text(text_.GetText()));
}

void SessionRecorder::RecordPicture(const QString& path) {
    if (journal_ == nullptr || recording_.Replaying()) {
        return;
    }
    textDirty_ = false;
    std::string records = EncodeRecord(journal_record::Text(text_.GetText()));
    const std::vector<TableRow>& rows = table_.Rows();
    for (std::size_t i = std::min(rowsAtPhotoStart_, rows.size()); i < rows.size(); ++i) {
        records += EncodeRecord(journal_record::Row(rows[i]));
    }
    rowsAtPhotoStart_ = rows.size();
    if (!path.isEmpty()) {
        const FileFacts info = FactsOf(path);
        records += EncodeRecord(journal_record::Picture(path, info.size, info.modifiedMs));
    }
    Write(records);
}

void SessionRecorder::Finish() {
    if (journal_ != nullptr) {
        journal_->Finish();
    }
}

void ShowRecoveryDamage(WindowDialogs& dialogs, const RecoveryPlan& plan, const QString& keptAt) {
    using Cost = RecoveryPlan::Cost;
    QStringList lines;
    for (const RecoveryPlan::Damage& d : plan.damage) {
        const char* cost = recovery_text::kCostUnknown;
        switch (d.cost) {
            case Cost::PictureNotReloaded:
                cost = recovery_text::kCostPicture;
                break;
            case Cost::StepsStopped:
                cost = recovery_text::kCostSteps;
                break;
            case Cost::TextEdit:
                cost = recovery_text::kCostText;
                break;
            case Cost::TableRow:
                cost = recovery_text::kCostRow;
                break;
            case Cost::Unknown:
                cost = recovery_text::kCostUnknown;
                break;
            case Cost::Nothing:
                cost = recovery_text::kCostNothing;
                break;
        }
        lines.push_back(
            UiText(recovery_text::kDamagedLine).arg(QString::number(d.line), UiText(cost)));
    }
    if (!keptAt.isEmpty()) {
        lines.push_back(UiText(recovery_text::kSetAside).arg(keptAt));
    }
    dialogs.ShowBox(QString(), lines.join(QStringLiteral("\n\n")), WindowDialogs::Buttons::Ok,
                    WindowDialogs::Icon::Warning);
}

}  // namespace vardesca
