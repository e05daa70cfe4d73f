// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/picture_names.h"

#include "picture/system_name.h"

#include <QFileInfo>
#include <algorithm>
#include <array>

namespace vardesca {

namespace {

// Every kind the open dialog lists.
constexpr std::array kPictureSuffixes = {"jpg", "jpeg", "gif", "bmp", "ico", "wmf",
                                         "png", "tif", "tiff", "webp"};

// -1, 0 or 1 for the digit runs starting at a[i] and b[j] (both advanced past
// them): by value, so leading zeros do not count here.
int CompareNumbers(const QString& a, qsizetype& i, const QString& b, qsizetype& j) {
    const auto skipZeros = [](const QString& s, qsizetype& k) {
        while (k + 1 < s.size() && s[k] == QLatin1Char('0') && s[k + 1].isDigit()) {
            ++k;
        }
    };
    skipZeros(a, i);
    skipZeros(b, j);
    qsizetype endA = i;
    while (endA < a.size() && a[endA].isDigit()) {
        ++endA;
    }
    qsizetype endB = j;
    while (endB < b.size() && b[endB].isDigit()) {
        ++endB;
    }
    // More digits is a larger number; the same count compares digit by digit.
    int result = 0;
    if (endA - i != endB - j) {
        result = endA - i < endB - j ? -1 : 1;
    } else {
        const int c = QStringView(a).mid(i, endA - i).compare(QStringView(b).mid(j, endB - j));
        result = c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    i = endA;
    j = endB;
    return result;
}

int NaturalCompare(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            if (const int c = CompareNumbers(a, i, b, j); c != 0) {
                return c;
            }
            continue;
        }
        const char16_t ca = a[i].toCaseFolded().unicode();
        const char16_t cb = b[j].toCaseFolded().unicode();
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return i < a.size() ? 1 : -1;  // a name that goes on comes after
    }
    return 0;
}

}  // namespace

bool IsPictureName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return std::any_of(kPictureSuffixes.begin(), kPictureSuffixes.end(),
                       [&suffix](const char* s) { return suffix == QLatin1String(s); });
}

bool NaturalLess(const QString& a, const QString& b) {
    if (const int c = NaturalCompare(a, b); c != 0) {
        return c < 0;
    }
    // IMG_01 and IMG_1, or foto.JPG and foto.jpg: still one fixed order.
    return a < b;
}

QStringList PicturesInFolder(const QString& folder) {
    QStringList names;
    // Listed by the names' bytes, so that a name that is not UTF-8 is met too.
    for (const QString& name : ReadableFilesIn(folder)) {
        // The annotated copies Ctrl+E saves beside the photos are the program's
        // own output, not photos still to measure.
        if (IsPictureName(name) && !QFileInfo(name).completeBaseName().endsWith(
                                       QLatin1String(kAnnotatedNameMark), Qt::CaseInsensitive)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

std::optional<QString> NeighbourIn(const QStringList& names, const QString& name, int step) {
    if (step > 0) {
        const auto next = std::upper_bound(names.begin(), names.end(), name, NaturalLess);
        return next != names.end() ? std::optional<QString>(*next) : std::nullopt;
    }
    const auto here = std::lower_bound(names.begin(), names.end(), name, NaturalLess);
    return here != names.begin() ? std::optional<QString>(*(here - 1)) : std::nullopt;
}

}  // namespace vardesca
