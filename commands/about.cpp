// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/about.h"

#include <QStringList>

namespace vardesca {

QString AboutText() {
    static const char* const fragments[] = {
        "Ho scritto questo programma per un amico ",
        "che doveva misurare i pesci catturati ",
        "durante i campionamenti nei fiumi. ",
        "Gli animali venivano fotografati sul campo ",
        "e misurati in seguito sulle fotografie. ",
        "Nessun programma esistente era adatto allo scopo, ",
        "così ne ho scritto uno ",
        "che mette al primo posto ",
        "la semplicità d'uso. ",
    };
    QString text;
    for (const char* fragment : fragments) {
        text += QString::fromUtf8(fragment);
    }
    return text;
}

}  // namespace vardesca
