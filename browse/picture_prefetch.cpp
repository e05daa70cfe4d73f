// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/picture_prefetch.h"

#include "picture/system_name.h"

#include <new>


namespace vardesca {

PicturePrefetch::~PicturePrefetch() {
    Drop();
}

PicturePrefetch::Stamp PicturePrefetch::StampOf(const QString& path) {
    const FileFacts info = FactsOf(path);
    if (!info.exists) {
        return {};
    }
    return {info.size, info.modifiedMs};
}

void PicturePrefetch::Start(const QString& path) {
    Drop();
    path_ = path;
    stamp_ = StampOf(path);
    result_ = std::make_shared<ImageLoadResult>();
    // Where no thread is to be had, the job decodes the photo when it is
    // taken: read when asked for, as before there was a prefetch.
    job_.Start([source = &source_, path, result = result_](std::atomic<bool>& stop) {
        try {
            *result = source->Load(path, &stop);
        } catch (...) {
            // Out of memory, or anything else: taken as no prefetch, and
            // the window's own load then says why.
            *result = ImageLoadResult{};
        }
    });
}

std::optional<ImageLoadResult> PicturePrefetch::Take(const QString& path) {
    if (path_.isEmpty() || path != path_) {
        Drop();
        return std::nullopt;
    }
    job_.Wait();
    std::optional<ImageLoadResult> taken;
    // Only a picture is given: a load that failed on its thread (out of memory
    // there, where the window may have enough) is read again by the window,
    // which then says why, as for any photo.
    const bool usable = result_ && result_->picture;
    if (usable && StampOf(path) == stamp_) {
        taken = std::move(*result_);
    }
    Drop();
    return taken;
}

void PicturePrefetch::Drop() {
    job_.Stop();
    result_.reset();
    path_.clear();
    stamp_ = {};
}

}  // namespace vardesca
