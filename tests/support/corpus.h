// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

namespace vardesca::testing {

// A file of the image corpus (tests/corpus), by its path inside it.
inline QString Corpus(const QString& sub) {
    return QStringLiteral(VARDESCA_TESTDATA "/") + sub;
}

// Every file of one of the corpus's folders (good, bad, questionable), by name.
inline QStringList CorpusFiles(const QString& folder) {
    const QDir dir(Corpus(folder));
    QStringList files;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        files << dir.filePath(name);
    }
    return files;
}

}  // namespace vardesca::testing
