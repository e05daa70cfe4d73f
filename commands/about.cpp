// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/about.h"

#include <QStringList>
#include "text/ui_text.h"

namespace vardesca {

QString AboutText() {
    static const char* const fragments[] = {
        QT_TRANSLATE_NOOP("Vardesca", "Ho scritto questo programma per un amico "),
        QT_TRANSLATE_NOOP("Vardesca", "che doveva misurare i pesci catturati "),
        QT_TRANSLATE_NOOP("Vardesca", "durante i campionamenti nei fiumi. "),
        QT_TRANSLATE_NOOP("Vardesca", "Gli animali venivano fotografati sul campo "),
        QT_TRANSLATE_NOOP("Vardesca", "e misurati in seguito sulle fotografie. "),
        QT_TRANSLATE_NOOP("Vardesca", "Nessun programma esistente era adatto allo scopo, "),
        QT_TRANSLATE_NOOP("Vardesca", "così ne ho scritto uno "),
        QT_TRANSLATE_NOOP("Vardesca", "che mette al primo posto "),
        QT_TRANSLATE_NOOP("Vardesca", "la semplicità d'uso. "),
    };
    QString text;
    for (const char* fragment : fragments) {
        text += UiText(fragment);
    }
    return text;
}

}  // namespace vardesca
