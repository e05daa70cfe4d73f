// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/sync_watch.h"

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>
#include <set>
#include <utility>

namespace {

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

std::set<std::pair<dev_t, ino_t>>& SyncedFiles() {
    static std::set<std::pair<dev_t, ino_t>> files;
    return files;
}

void Note(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        const std::lock_guard<std::mutex> hold(Lock());
        SyncedFiles().insert({info.st_dev, info.st_ino});
    }
}

}  // namespace

// The program's own calls land here, in the test binary, before the C
// library's: noted, then made.
extern "C" int fsync(int fd) {
    Note(fd);
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd) {
    Note(fd);
    return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

namespace vardesca::testing {

bool Synced(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0) {
        return false;
    }
    const std::lock_guard<std::mutex> hold(Lock());
    return SyncedFiles().count({info.st_dev, info.st_ino}) > 0;
}

void ForgetSyncs() {
    const std::lock_guard<std::mutex> hold(Lock());
    SyncedFiles().clear();
}

}  // namespace vardesca::testing
