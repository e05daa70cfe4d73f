// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/picture_prefetch.h"

#include "picture/worker_threads.h"
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
    result_ = std::make_shared<Result>();
    try {
        worker_ = StartThread([source = &source_, path, result = result_] {
            try {
                result->load = source->Load(path, &result->stop);
            } catch (...) {
                // Out of memory, or anything else: taken as no prefetch, and
                // the window's own load then says why.
                result->load = ImageLoadResult{};
            }
            result->finished = true;
        });
    } catch (const std::exception&) {
        // No thread to be had: nothing is decoded ahead, and the photo is read
        // when it is asked for, as before there was a prefetch.
        Drop();
    }
}

std::optional<ImageLoadResult> PicturePrefetch::Take(const QString& path) {
    if (path_.isEmpty() || path != path_) {
        Drop();
        return std::nullopt;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    std::optional<ImageLoadResult> taken;
    // Only a picture is given: a load that failed on its thread (out of memory
    // there, where the window may have enough) is read again by the window,
    // which then says why, as for any photo.
    const bool usable = result_ && result_->load.picture;
    if (usable && StampOf(path) == stamp_) {
        taken = std::move(result_->load);
    }
    Drop();
    return taken;
}

void PicturePrefetch::Drop() {
    if (result_) {
        result_->stop = true;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    result_.reset();
    path_.clear();
    stamp_ = {};
}

}  // namespace vardesca
