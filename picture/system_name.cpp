// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/system_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace vardesca {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at `at`, or 0: no overlong forms, no
// surrogates, nothing past U+10FFFF.
int ValidSequence(const unsigned char* s, qsizetype at, qsizetype size) {
    const unsigned char c = s[at];
    if (c < 0x80) {
        return 1;
    }
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > size || s[at + 1] < low || s[at + 1] > high) {
        return 0;
    }
    for (int k = 2; k < length; ++k) {
        if (s[at + k] < 0x80 || s[at + k] > 0xBF) {
            return 0;
        }
    }
    return length;
}

bool IsEscape(QChar c) {
    return c.unicode() >= kEscapeBase + 0x80 && c.unicode() <= kEscapeBase + 0xFF;
}

}  // namespace

QString FromSystemName(const QByteArray& bytes) {
    QString plain = QFile::decodeName(bytes);
    if (QFile::encodeName(plain) == bytes) {
        return plain;
    }
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    QString name;
    name.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype at = 0;
    const auto flush = [&] {
        if (at > runStart) {
            name += QFile::decodeName(bytes.mid(runStart, at - runStart));
        }
    };
    while (at < bytes.size()) {
        const int length = ValidSequence(s, at, bytes.size());
        if (length > 0) {
            at += length;
            continue;
        }
        flush();
        name += QChar(static_cast<char16_t>(kEscapeBase + s[at]));
        ++at;
        runStart = at;
    }
    flush();
    return name;
}

QByteArray ToSystemName(const QString& name) {
    qsizetype runStart = 0;
    QByteArray bytes;
    bool escaped = false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!IsEscape(name[i])) {
            continue;
        }
        // A lone low surrogate only: one after a high surrogate is half of a
        // real character, which UTF-8 writes whole.
        if (i > 0 && name[i - 1].isHighSurrogate()) {
            continue;
        }
        escaped = true;
        bytes += QFile::encodeName(name.mid(runStart, i - runStart));
        bytes += static_cast<char>(name[i].unicode() - kEscapeBase);
        runStart = i + 1;
    }
    if (!escaped) {
        return QFile::encodeName(name);
    }
    bytes += QFile::encodeName(name.mid(runStart));
    return bytes;
}

bool QtCanReach(const QString& path) {
    return ToSystemName(path) == QFile::encodeName(path);
}

FileFacts FactsOf(const QString& path) {
    FileFacts facts;
    const QByteArray name = ToSystemName(path);
    struct stat info {};
    if (name.isEmpty() || ::stat(name.constData(), &info) != 0) {
        return facts;
    }
    facts.exists = true;
    facts.isFile = S_ISREG(info.st_mode);
    facts.isDir = S_ISDIR(info.st_mode);
    facts.readable = ::access(name.constData(), R_OK) == 0;
    facts.size = static_cast<qint64>(info.st_size);
    facts.modifiedMs = static_cast<qint64>(info.st_mtim.tv_sec) * 1000 +
                       static_cast<qint64>(info.st_mtim.tv_nsec) / 1000000;
    return facts;
}

QStringList ReadableFilesIn(const QString& folder) {
    QStringList names;
    const int folderFd =
        ::open(ToSystemName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return names;
    }
    DIR* dir = ::fdopendir(folderFd);
    if (dir == nullptr) {
        ::close(folderFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.') {
            continue;  // hidden, and the folder itself and its parent
        }
        struct stat info {};
        if (::fstatat(folderFd, name, &info, 0) != 0 || !S_ISREG(info.st_mode) ||
            ::faccessat(folderFd, name, R_OK, 0) != 0) {
            continue;
        }
        names.push_back(FromSystemName(QByteArray(name)));
    }
    ::closedir(dir);
    return names;
}

}  // namespace vardesca
