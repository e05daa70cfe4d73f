// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

#include "picture/background_job.h"
#include "picture/image_source.h"

namespace vardesca {

// The next photo of the folder, decoded on a thread of its own while the user
// measures the current one, so that going to it shows it at once. At most one
// picture is held. What the file held when the decoding began is what is
// given, and only if the file still has that size and modification time; a
// damaged file's messages come when the picture is taken, as for any load.
class PicturePrefetch {
  public:
    explicit PicturePrefetch(const ImageSource& source) : source_(source) {}
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch&) = delete;
    PicturePrefetch& operator=(const PicturePrefetch&) = delete;

    // Begins decoding `path`, letting go of whatever was held or under way.
    void Start(const QString& path);
    // The picture of `path`, waiting for it if it is still under way: nothing
    // when another file was decoded ahead, this one has changed since, or its
    // load failed (the caller then loads it, and says why where it fails).
    // Either way nothing is held afterwards.
    [[nodiscard]] std::optional<ImageLoadResult> Take(const QString& path);
    // Lets go of whatever was held or under way: a JPEG's decode is stopped
    // within a strip of rows, not waited for.
    void Drop();

    // The file decoded ahead, empty when none (tests).
    [[nodiscard]] const QString& Path() const { return path_; }
    // Whether its decoding is over (benchmarks).
    [[nodiscard]] bool Finished() const { return !job_.Running() || job_.Finished(); }

  private:
    struct Stamp {
        qint64 size = -1;
        qint64 modifiedMs = -1;
        bool operator==(const Stamp&) const = default;
    };
    [[nodiscard]] static Stamp StampOf(const QString& path);

    const ImageSource& source_;
    QString path_;
    Stamp stamp_;
    // Written by the job, read only once it has been waited for.
    std::shared_ptr<ImageLoadResult> result_;
    BackgroundJob job_;
};

}  // namespace vardesca
