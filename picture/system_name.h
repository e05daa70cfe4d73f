// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vardesca {

// File names are bytes to the system, text to Qt. Old cameras, FAT cards and
// archives from other systems give names that are not valid UTF-8
// ("e\xff\xfe.jpg"); QFile::decodeName turns each such byte into U+FFFD, and
// the name no longer opens the file it came from. So every path crosses
// through these two: a name that QFile::decodeName/encodeName carry there and
// back unchanged takes their way, and in any other each byte they would lose
// is kept as the lone surrogate U+DC80 + (byte − 0x80), the escape Python's
// "surrogateescape" uses. Shown, such a byte looks like a replacement mark;
// given back to the system, it is the byte it was.
[[nodiscard]] QString FromSystemName(const QByteArray& bytes);
[[nodiscard]] QByteArray ToSystemName(const QString& name);

// Whether Qt's own file functions (QFile, QFileInfo, QDir) would reach the
// file: false for a name that holds escaped bytes.
[[nodiscard]] bool QtCanReach(const QString& path);

// What the system says of a path, asked with its exact bytes.
struct FileFacts {
    bool exists = false;
    bool isFile = false;  // a regular file (after links)
    bool isDir = false;
    bool readable = false;
    qint64 size = 0;
    qint64 modifiedMs = 0;  // since the epoch
};
[[nodiscard]] FileFacts FactsOf(const QString& path);

// The names in `folder` of regular, readable files that are not hidden (the
// entries QDir::Files | QDir::Readable lists), each name as FromSystemName
// gives it, in no particular order.
[[nodiscard]] QStringList ReadableFilesIn(const QString& folder);

}  // namespace vardesca
