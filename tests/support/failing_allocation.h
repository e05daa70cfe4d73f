// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vardesca::testing {

// While one lives, every allocation made on a thread other than the one that
// made it fails: operator new throws std::bad_alloc and pixel memory is
// refused, as on a machine out of memory, but only where the program's
// background work runs.
class FailingAllocationsOffThisThread {
  public:
    FailingAllocationsOffThisThread();
    ~FailingAllocationsOffThisThread();
    FailingAllocationsOffThisThread(const FailingAllocationsOffThisThread&) = delete;
    FailingAllocationsOffThisThread& operator=(const FailingAllocationsOffThisThread&) = delete;
};

}  // namespace vardesca::testing
