// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/worker_threads.h"

#include <algorithm>
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

void RunSideBySide(int count, const std::function<void(int)>& job) {
    std::vector<std::thread> threads;
    std::vector<int> refused;
    for (int i = 1; i < count; ++i) {
        try {
            threads.emplace_back(job, i);
        } catch (const std::system_error&) {
            refused.push_back(i);
        }
    }
    if (count > 0) {
        job(0);
    }
    for (const int i : refused) {
        job(i);
    }
    for (std::thread& t : threads) {
        t.join();
    }
}

}  // namespace vardesca
