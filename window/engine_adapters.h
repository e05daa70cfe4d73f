// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

#include "dialogs/window_dialogs.h"
#include "engine/measure_engine.h"
#include "text/ui_text.h"

namespace vardesca {

// The engine's boxes, shown through the window's dialogs.
class EngineDialogsAdapter : public EngineDialogs {
  public:
    explicit EngineDialogsAdapter(WindowDialogs& dialogs) : dialogs_(dialogs) {}

    void ShowMessage(const std::string& title, const std::string& text) override {
        // Translated here, where the window shows them, by the engine's Italian.
        const char* which = title == engine_text::kUndoTitle ? "undo" : nullptr;
        dialogs_.ShowBox(UiText(title.c_str(), which), UiText(text.c_str()),
                         WindowDialogs::Buttons::Ok);
    }
    void ShowLinesNotRewritten(
        const std::vector<std::pair<std::int16_t, std::string>>& lines) override {
        QString text = UiText(engine_text::kLinesNotRewritten);
        for (const auto& [number, length] : lines) {
            text += QStringLiteral("\n%1: %2 cm").arg(number).arg(QString::fromStdString(length));
        }
        dialogs_.ShowBox(UiText(engine_text::kMoveTitle), text, WindowDialogs::Buttons::Ok);
    }
    std::string AskText(const std::string& title, const std::string& prompt) override {
        return dialogs_.Input(UiText(title.c_str()), UiText(prompt.c_str())).toStdString();
    }

  private:
    WindowDialogs& dialogs_;
};

// "Inizia misurazioni" and "Resetta misurazioni", switched by the engine.
class EngineButtonsAdapter : public EngineButtons {
  public:
    EngineButtonsAdapter(QPushButton& inizia, QPushButton& resetta)
        : inizia_(inizia), resetta_(resetta) {}

    void SetIniziaEnabled(bool enabled) override { inizia_.setEnabled(enabled); }
    void SetResettaEnabled(bool enabled) override { resetta_.setEnabled(enabled); }

  private:
    QPushButton& inizia_;
    QPushButton& resetta_;
};

}  // namespace vardesca
