// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace vardesca {

// The title of the program's window, and of every box that has none of its own.
inline constexpr const char* kApplicationTitle = "Vardesca";

// The standard buttons, in the program's language from its own texts ("Sì",
// "Yes"…): exactly today's words, with no mnemonic, whatever Qt's own
// translation of its buttons says.
namespace dialog_text {
inline constexpr const char* kYes = QT_TRANSLATE_NOOP("Vardesca", "Sì");
inline constexpr const char* kNo = QT_TRANSLATE_NOOP("Vardesca", "No");
inline constexpr const char* kOk = QT_TRANSLATE_NOOP("Vardesca", "OK");
inline constexpr const char* kCancel = QT_TRANSLATE_NOOP("Vardesca", "Annulla");
}  // namespace dialog_text

// A window telling how far a long piece of work has gone, with Annulla; not
// modal, so the window behind it keeps working. It goes when destroyed.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    // 0 to 100.
    virtual void SetPercent(int percent) = 0;
    // Whether Annulla was pressed (or the window closed).
    [[nodiscard]] virtual bool Cancelled() const = 0;
};

// Every modal box the window shows goes through here, so that the window runs
// headless in tests with scripted answers and never blocks on a box.
class WindowDialogs {
  public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };
    enum class Icon { None, Warning };

    virtual ~WindowDialogs() = default;

    // Every call takes the title first, then the text: both are strings, so the
    // order is the one thing the compiler cannot check.
    //
    // A message box; an empty title shows the application title, "Vardesca".
    // Closing the box without a button counts as its last button (Annulla or No).
    virtual Answer ShowBox(const QString& title, const QString& text, Buttons buttons,
                           Icon icon = Icon::None) = 0;

    // An input box with an empty default answer; the empty text when cancelled.
    virtual QString Input(const QString& title, const QString& prompt) = 0;

    // The open dialog with its name filters, first one selected, showing
    // `folder` (the working directory when empty); nothing when cancelled.
    virtual std::optional<QString> OpenFile(const QString& title, const QStringList& filters,
                                            const QString& folder) = 0;

    // The save dialog, offering `suggested`; nothing when cancelled.
    virtual std::optional<QString> SaveFile(const QString& suggested) = 0;
    // The same, offering the kinds of file in `filters` ("Tabella CSV (*.csv)"
    // …, the first chosen at first); the name's extension decides what is
    // written, and a name typed without one gets the chosen kind's.
    virtual std::optional<QString> SaveFileAs(const QString& suggested,
                                              const QStringList& filters) {
        static_cast<void>(filters);
        return SaveFile(suggested);
    }

    // The progress window, titled with the application title, saying `text`.
    virtual std::unique_ptr<ProgressWindow> ShowProgress(const QString& text) = 0;
};

}  // namespace vardesca
