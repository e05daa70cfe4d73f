// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

#include "engine/measure_engine.h"
#include "dialogs/window_dialogs.h"

namespace vardesca {

// The engine's boxes, shown through the window's dialogs.
class EngineDialogsAdapter : public EngineDialogs {
  public:
    explicit EngineDialogsAdapter(WindowDialogs& dialogs) : dialogs_(dialogs) {}

    void ShowMessage(const std::string& title, const std::string& text) override {
        dialogs_.ShowBox(QString::fromStdString(title), QString::fromStdString(text),
                         WindowDialogs::Buttons::Ok);
    }
    std::string AskText(const std::string& title, const std::string& prompt) override {
        return dialogs_.Input(QString::fromStdString(title), QString::fromStdString(prompt))
            .toStdString();
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
