// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vardesca::testing {

// Runs `body` in a child process; its exit status is the result, -1 when the
// child was ended by a signal.
inline int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `body` as an ordinary user (nobody) in a child process, since root may
// write anywhere.
inline int AsNobody(const std::function<int()>& body) {
    if (geteuid() != 0) {
        return body();
    }
    return InChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            return 99;
        }
        return body();
    });
}

}  // namespace vardesca::testing
