// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/photo_folder.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include "picture/picture_names.h"
#include "picture/system_name.h"

namespace vardesca {

std::optional<PhotoFolder::Stamp> PhotoFolder::StampOf(const QString& folder) {
    struct stat info {};
    if (::stat(ToSystemName(folder).constData(), &info) != 0) {
        return std::nullopt;
    }
    const auto ns = [](const timespec& t) {
        return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
    };
    return Stamp{ns(info.st_mtim), ns(info.st_ctim), static_cast<unsigned long long>(info.st_ino),
                 static_cast<long long>(info.st_size)};
}

const QStringList& PhotoFolder::Names(const QString& folder) {
    // Stamped before it is read: a change made while it is read shows as a
    // changed stamp at the next press.
    const std::optional<Stamp> stamp = StampOf(folder);
    if (!stamp || folder != listedFolder_ || stamp != listedStamp_) {
        names_ = PicturesInFolder(folder);
        listedFolder_ = folder;
        listedStamp_ = stamp;
        ++listings_;
    }
    return names_;
}

std::optional<QString> PhotoFolder::Neighbour(const QString& path, int step) {
    const QFileInfo current(path);
    const QStringList& names = Names(current.absolutePath());
    // The current photo need not exist any more: its place in the order is
    // kept by its name.
    const std::optional<QString> found = NeighbourIn(names, current.fileName(), step);
    if (!found) {
        return std::nullopt;
    }
    return current.absoluteDir().filePath(*found);
}

void PhotoFolder::Shown(const QString& path) {
    place_ = path;
    if (const std::optional<QString> next = Neighbour(path, direction_)) {
        prefetch_.Start(*next);
    }
}

std::optional<QString> PhotoFolder::Step(int step) {
    if (place_.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<QString> next = Neighbour(place_, step);
    if (next) {
        direction_ = step > 0 ? 1 : -1;
        place_ = *next;
    }
    return next;
}

void PhotoFolder::Forget() {
    prefetch_.Drop();
    place_.clear();
}

}  // namespace vardesca
