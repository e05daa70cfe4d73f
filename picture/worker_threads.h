// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <thread>

namespace vardesca {

// How many threads a picture's work is split between: the machine's cores, at
// most eight (past that a photo's bands are too thin to pay for their threads),
// or VARDESCA_THREADS when it is set (1 gives the single-thread path, which the
// tests compare the others with).
[[nodiscard]] int WorkerThreads();

// Runs job(0) … job(count − 1), each on a thread of its own but the first, which
// runs on the calling thread; returns when every one has returned. A thread the
// system refuses is run on the calling thread instead, so the work is always
// done. A job that throws (out of memory, on any thread) does not end the
// program: once every thread has been joined, the first such exception is
// thrown again on the calling thread, where the window reports it.
void RunSideBySide(int count, const std::function<void(int)>& job);

// Every thread of the program's background work starts here. A thread the
// system refuses (or no memory for one) throws as std::thread does; each
// caller then does the work on its own thread, or does without it, and says so
// where it is written. Tests refuse every thread here to walk those paths.
[[nodiscard]] std::thread StartThread(std::function<void()> work);
void RefuseThreadsForTests(bool refuse);

}  // namespace vardesca
