// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/pixel_memory.h"

#include <sys/mman.h>

#include <atomic>
#include <thread>

namespace vardesca {

namespace {

struct Owner {
    uchar* data;
    std::size_t bytes;
};

void Release(void* info) {
    auto* owner = static_cast<Owner*>(info);
    FreePixelMemory(owner->data, owner->bytes);
    delete owner;
}

}  // namespace

namespace {
std::atomic<bool> refuseOffThread{false};
std::thread::id refuseOwner;
}  // namespace

void RefusePixelMemoryOffThisThreadForTests(bool on) {
    refuseOwner = std::this_thread::get_id();
    refuseOffThread = on;
}

uchar* AllocatePixelMemory(std::size_t bytes) {
    if (refuseOffThread.load(std::memory_order_relaxed) &&
        std::this_thread::get_id() != refuseOwner) {
        return nullptr;
    }
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    madvise(p, bytes, MADV_HUGEPAGE);
    return static_cast<uchar*>(p);
}

void FreePixelMemory(uchar* pixels, std::size_t bytes) {
    munmap(pixels, bytes);
}

QImage AdoptPixelMemory(uchar* pixels, std::size_t bytes, int width, int height, qsizetype stride,
                        QImage::Format format) {
    auto* owner = new Owner{pixels, bytes};
    return QImage(pixels, width, height, stride, format, Release, owner);
}

QImage MakePixelImage(int width, int height, QImage::Format format) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    const qsizetype stride = qsizetype(width) * 4;
    const std::size_t bytes = std::size_t(stride) * std::size_t(height);
    uchar* pixels = AllocatePixelMemory(bytes);
    if (pixels == nullptr) {
        return {};
    }
    return AdoptPixelMemory(pixels, bytes, width, height, stride, format);
}

}  // namespace vardesca
