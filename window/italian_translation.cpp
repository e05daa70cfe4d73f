// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/italian_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vardesca {

void InstallItalianTranslation() {
    // Lives as long as the application; Qt keeps only a pointer to it.
    static QTranslator italian;
    if (italian.isEmpty() && italian.load(QStringLiteral("qtbase_it"),
                                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&italian);
    }
}

}  // namespace vardesca
