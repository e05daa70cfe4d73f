// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/controls.h"
#include "text/ui_text.h"

namespace vardesca {

QPushButton* MakeButton(const char* caption, QWidget* parent, const char* name) {
    auto* button = new QPushButton(UiText(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QScrollBar* MakeScrollBar(Qt::Orientation orientation, QWidget* parent, const char* name) {
    auto* bar = Named(new QScrollBar(orientation, parent), name);
    bar->setRange(0, 0);
    bar->setSingleStep(500);
    bar->setPageStep(1);
    bar->setVisible(false);
    bar->setEnabled(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

}  // namespace vardesca
