// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

namespace vardesca::testing {

// Whether the file `path` names has been fsync'd or fdatasync'd by this
// process since the last Forget: the test binary stands in for both calls (and
// makes the real system call), so a sync the program drops shows here, as it
// would after a power cut.
[[nodiscard]] bool Synced(const char* path);
void ForgetSyncs();

}  // namespace vardesca::testing
