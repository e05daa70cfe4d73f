// SPDX-License-Identifier: GPL-3.0-or-later
// The test program's own operator new: the standard's, but for a switch that
// makes it fail on every thread but one.
#include "tests/support/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#include "picture/pixel_memory.h"

namespace {
std::atomic<bool> failing{false};
std::thread::id spared;

void* Allocate(std::size_t size) {
    if (failing.load(std::memory_order_relaxed) && std::this_thread::get_id() != spared) {
        throw std::bad_alloc();
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}
}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace vardesca::testing {

FailingAllocationsOffThisThread::FailingAllocationsOffThisThread() {
    spared = std::this_thread::get_id();
    failing = true;
    RefusePixelMemoryOffThisThreadForTests(true);
}

FailingAllocationsOffThisThread::~FailingAllocationsOffThisThread() {
    failing = false;
    RefusePixelMemoryOffThisThreadForTests(false);
}

}  // namespace vardesca::testing
