// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace vardesca {

int WorkerThreads() {
    constexpr int kMost = 8;
    if (const char* asked = std::getenv("VARDESCA_THREADS"); asked != nullptr && *asked != '\0') {
        char* end = nullptr;
        const long n = std::strtol(asked, &end, 10);
        if (*end == '\0' && n >= 1) {
            return static_cast<int>(std::min<long>(n, kMost));
        }
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores), 1, kMost);
}

namespace {
std::atomic<bool> refuseThreads{false};
}  // namespace

std::thread StartThread(std::function<void()> work) {
    if (refuseThreads.load(std::memory_order_relaxed)) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    return std::thread(std::move(work));
}

void RefuseThreadsForTests(bool refuse) {
    refuseThreads = refuse;
}

void RunSideBySide(int count, const std::function<void(int)>& job) {
    // One slot a job for what it threw: each thread writes only its own.
    std::vector<std::exception_ptr> thrown(static_cast<std::size_t>(std::max(count, 0)));
    const auto run = [&job, &thrown](int i) {
        try {
            job(i);
        } catch (...) {
            thrown[static_cast<std::size_t>(i)] = std::current_exception();
        }
    };
    // Room made first: once a thread runs, nothing here may throw before the joins.
    std::vector<std::thread> threads;
    std::vector<int> refused;
    threads.reserve(static_cast<std::size_t>(std::max(count - 1, 0)));
    refused.reserve(static_cast<std::size_t>(std::max(count - 1, 0)));
    for (int i = 1; i < count; ++i) {
        try {
            threads.push_back(StartThread([&run, i] { run(i); }));
        } catch (const std::exception&) {
            refused.push_back(i);  // no thread, or no memory for one: run here
        }
    }
    if (count > 0) {
        run(0);
    }
    for (const int i : refused) {
        run(i);
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (const std::exception_ptr& e : thrown) {
        if (e) {
            std::rethrow_exception(e);
        }
    }
}

}  // namespace vardesca
