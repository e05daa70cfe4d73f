// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/qt_window_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include "text/ui_text.h"

namespace vardesca {

namespace {

QString TitleOrApp(const QString& title) {
    return title.isEmpty() ? QString::fromUtf8(kApplicationTitle) : title;
}

// Keeps a box centred on the main window while it is up. Qt centres it once,
// as it shows; but the window manager may place the main window only after
// that (the recovery question comes up as the program starts), and the user
// may move the window while the box waits.
class CentredOnWindow : public QObject {
  public:
    CentredOnWindow(QWidget& box, QWidget* parent)
        : box_(box), window_(parent != nullptr ? parent->window() : nullptr) {
        if (window_ != nullptr) {
            window_->installEventFilter(this);
            box_.installEventFilter(this);
        }
    }
    ~CentredOnWindow() override {
        if (window_ != nullptr) {
            window_->removeEventFilter(this);
            box_.removeEventFilter(this);
        }
    }
    CentredOnWindow(const CentredOnWindow&) = delete;
    CentredOnWindow& operator=(const CentredOnWindow&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool windowMoved =
            watched == window_ && (type == QEvent::Move || type == QEvent::Resize);
        const bool boxShown = watched == &box_ && (type == QEvent::Show || type == QEvent::Resize);
        if ((windowMoved || boxShown) && box_.isVisible() && window_->isVisible()) {
            QRect frame = box_.frameGeometry();
            frame.moveCenter(window_->frameGeometry().center());
            box_.move(frame.topLeft());  // a window's place is its frame's
        }
        return false;
    }

  private:
    QWidget& box_;
    QWidget* window_;
};

}  // namespace

WindowDialogs::Answer QtWindowDialogs::ShowBox(const QString& title, const QString& text,
                                               Buttons buttons, Icon icon) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    TitleOrApp(title), text, QMessageBox::NoButton, parent_);
    struct Choice {
        QMessageBox::StandardButton button;
        const char* text;
        Answer answer;
    };
    std::vector<Choice> choices;
    switch (buttons) {
        case Buttons::Ok:
            choices = {{QMessageBox::Ok, dialog_text::kOk, Answer::Ok}};
            break;
        case Buttons::OkCancel:
            choices = {{QMessageBox::Ok, dialog_text::kOk, Answer::Ok},
                       {QMessageBox::Cancel, dialog_text::kCancel, Answer::Cancel}};
            break;
        case Buttons::YesNo:
            choices = {{QMessageBox::Yes, dialog_text::kYes, Answer::Yes},
                       {QMessageBox::No, dialog_text::kNo, Answer::No}};
            break;
        case Buttons::YesNoCancel:
            choices = {{QMessageBox::Yes, dialog_text::kYes, Answer::Yes},
                       {QMessageBox::No, dialog_text::kNo, Answer::No},
                       {QMessageBox::Cancel, dialog_text::kCancel, Answer::Cancel}};
            break;
    }
    for (const Choice& c : choices) {
        box.addButton(c.button)->setText(UiText(c.text));
    }
    box.setDefaultButton(choices.front().button);
    box.setEscapeButton(box.button(choices.back().button));
    const CentredOnWindow centred(box, parent_);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Choice& c : choices) {
        if (c.button == clicked) {
            return c.answer;
        }
    }
    return choices.back().answer;
}

QString QtWindowDialogs::Input(const QString& title, const QString& prompt) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(TitleOrApp(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(QString());
    dialog.setOkButtonText(UiText(dialog_text::kOk));
    dialog.setCancelButtonText(UiText(dialog_text::kCancel));
    const CentredOnWindow centred(dialog, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.textValue();
}

namespace {

// Qt's own file dialog (not the desktop's), so that its labels come from Qt's
// Italian translation on every desktop.
std::optional<QString> RunFileDialog(QFileDialog& dialog, QWidget* parent) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const CentredOnWindow centred(dialog, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

}  // namespace

std::optional<QString> QtWindowDialogs::OpenFile(const QString& title, const QStringList& filters,
                                                 const QString& folder) {
    QFileDialog dialog(parent_, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    // Cameras write *.JPG: file name patterns match whatever the case.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    return RunFileDialog(dialog, parent_);
}

std::optional<QString> QtWindowDialogs::SaveFile(const QString& suggested) {
    return SaveFileAs(suggested, {});
}

std::optional<QString> QtWindowDialogs::SaveFileAs(const QString& suggested,
                                                   const QStringList& filters) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Choosing an existing file asks before replacing it, so a slip of the mouse
    // does not overwrite another day's results.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (filters.isEmpty()) {
        if (!suggested.isEmpty()) {
            dialog.selectFile(suggested);
        }
        return RunFileDialog(dialog, parent_);
    }
    dialog.setNameFilters(filters);
    // A name typed without an extension gets the chosen kind's ("(*.xlsx)").
    const auto suffixOf = [](const QString& filter) {
        const qsizetype star = filter.lastIndexOf(QLatin1String("(*."));
        return star < 0 ? QString() : filter.mid(star + 3).chopped(1);
    };
    // The suggested name's own kind chosen first, if it is offered.
    for (const QString& filter : filters) {
        if (!suggested.isEmpty() &&
            suggested.endsWith(QLatin1Char('.') + suffixOf(filter), Qt::CaseInsensitive)) {
            dialog.selectNameFilter(filter);
        }
    }
    dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, suffixOf](const QString& filter) {
                         dialog.setDefaultSuffix(suffixOf(filter));
                     });
    if (!suggested.isEmpty()) {
        dialog.selectFile(suggested);
    }
    return RunFileDialog(dialog, parent_);
}

namespace {

class QtProgressWindow : public ProgressWindow {
  public:
    QtProgressWindow(const QString& text, QWidget* parent)
        : dialog_(text, UiText(dialog_text::kCancel), 0, 100, parent), centred_(dialog_, parent) {
        dialog_.setWindowTitle(QString::fromUtf8(kApplicationTitle));
        dialog_.setWindowModality(Qt::NonModal);
        // Shown at once: the caller decides when it is worth showing.
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setValue(0);
        dialog_.show();
    }
    void SetPercent(int percent) override { dialog_.setValue(percent); }
    [[nodiscard]] bool Cancelled() const override { return dialog_.wasCanceled(); }

  private:
    QProgressDialog dialog_;
    CentredOnWindow centred_;
};

}  // namespace

std::unique_ptr<ProgressWindow> QtWindowDialogs::ShowProgress(const QString& text) {
    return std::make_unique<QtProgressWindow>(text, parent_);
}

}  // namespace vardesca
