// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/window_dialogs.h"

class QWidget;

namespace vardesca {

// The real boxes: Qt's message box, input box and file dialogs, with the
// program's own button texts in the program's language.
class QtWindowDialogs : public WindowDialogs {
  public:
    explicit QtWindowDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    Answer ShowBox(const QString& title, const QString& text, Buttons buttons,
                   Icon icon) override;
    QString Input(const QString& title, const QString& prompt) override;
    std::optional<QString> OpenFile(const QString& title, const QStringList& filters,
                                    const QString& folder) override;
    std::optional<QString> SaveFile(const QString& suggested) override;
    std::optional<QString> SaveFileAs(const QString& suggested,
                                      const QStringList& filters) override;
    std::unique_ptr<ProgressWindow> ShowProgress(const QString& text) override;

  private:
    QWidget* parent_;
};

}  // namespace vardesca
