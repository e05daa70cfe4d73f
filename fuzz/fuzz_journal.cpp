// SPDX-License-Identifier: GPL-3.0-or-later
// The session journal's reader and the recovery plan on arbitrary bytes: a
// journal damaged anyhow must never crash the start of the program. The whole
// records read must be exactly the bytes they came from, so that recovery
// goes on appending after them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commands/journal_format.h"
#include "window/session_recovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const vardesca::JournalReading reading = vardesca::ReadJournal(bytes);
    if (reading.wholeBytes > size) {
        std::abort();
    }
    std::string again;
    for (const vardesca::JournalRecord& record : reading.records) {
        again += vardesca::EncodeRecord(record);
    }
    if (again != bytes.substr(0, reading.wholeBytes)) {
        std::abort();
    }
    const vardesca::RecoveryPlan plan = vardesca::PlanRecovery(reading.records);
    for (const vardesca::RecoveryStep& step : plan.steps) {
        static_cast<void>(vardesca::ClickOf(step.action));
    }
    return 0;
}
