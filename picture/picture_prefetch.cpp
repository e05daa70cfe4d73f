// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/picture_prefetch.h"

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
    worker_ = std::thread([source = &source_, path, result = result_] {
        try {
            result->load = source->Load(path);
        } catch (const std::bad_alloc&) {
            // Taken as no prefetch: the window's own load then says why.
            result->load = ImageLoadResult{};
        }
        result->finished = true;
    });
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
    // A load that gave neither a picture nor a reason ran out of memory on
    // its thread: load again where the failure is reported.
    const bool usable = result_ && (result_->load.picture || result_->load.failure);
    if (usable && StampOf(path) == stamp_) {
        taken = std::move(result_->load);
    }
    Drop();
    return taken;
}

void PicturePrefetch::Drop() {
    if (worker_.joinable()) {
        worker_.join();
    }
    result_.reset();
    path_.clear();
    stamp_ = {};
}

}  // namespace vardesca
