// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "browse/picture_prefetch.h"

namespace vardesca {

// The folder of the photo shown, as Ctrl+PgDn and Ctrl+PgUp walk it: where
// the keys go on from, which way the user is going, and the photo decoded
// ahead that way. The folder's listing is kept with the folder's own stamp
// (its modification and change times to the nanosecond, its inode and size):
// any file added, removed or renamed there changes the stamp, and the folder
// is then listed again, once for the press that finds it changed. A folder
// unchanged since is not listed at all, so a press in a folder of thousands
// of photos costs a stat, not a listing and a sort.
class PhotoFolder {
  public:
    explicit PhotoFolder(const ImageSource& source) : prefetch_(source) {}

    // `path` was loaded and is shown: the keys go on from it, and the next
    // photo the user is likely to want is decoded ahead.
    void Shown(const QString& path);
    // The photo `step` places after (+1) or before (-1) the place the keys go
    // on from; nothing past either end. The place moves to it whether or not
    // it then opens, so that a bad file is passed, not met again.
    [[nodiscard]] std::optional<QString> Step(int step);
    // The picture of `path` if it was decoded ahead and is unchanged since.
    [[nodiscard]] std::optional<ImageLoadResult> Take(const QString& path) {
        return prefetch_.Take(path);
    }
    // No photo shown: nothing to go on from, nothing held ahead.
    void Forget();
    // What is held ahead is let go (a photo chosen in the dialog is read
    // afresh, and at most the photo shown and one more are held).
    void DropAhead() { prefetch_.Drop(); }

    [[nodiscard]] PicturePrefetch& Prefetch() { return prefetch_; }
    // How many times a folder has been listed (tests and benchmarks).
    [[nodiscard]] int Listings() const { return listings_; }

  private:
    struct Stamp {
        long long modifiedNs = -1;
        long long changedNs = -1;
        unsigned long long inode = 0;
        long long size = -1;
        bool operator==(const Stamp&) const = default;
    };
    [[nodiscard]] static std::optional<Stamp> StampOf(const QString& folder);
    // The folder's pictures in their order, listed only when it has changed.
    [[nodiscard]] const QStringList& Names(const QString& folder);
    [[nodiscard]] std::optional<QString> Neighbour(const QString& path, int step);

    PicturePrefetch prefetch_;
    QString place_;
    int direction_ = 1;
    QString listedFolder_;
    std::optional<Stamp> listedStamp_;
    QStringList names_;
    int listings_ = 0;
};

}  // namespace vardesca
