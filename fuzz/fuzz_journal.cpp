// SPDX-License-Identifier: GPL-3.0-or-later
// The session journal's reader and the recovery plan on arbitrary bytes: a
// journal damaged anyhow must never crash the start of the program. An
// undamaged journal's records are exactly the bytes they came from; a damaged
// one's are each found whole in them; read in two pieces, the file gives what
// it gives read at once; and what a new journal takes over reads back whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "session/journal_format.h"
#include "session/journal_records.h"
#include "session/session_recovery.h"

namespace {
bool SameReading(const vardesca::JournalReading& a, const vardesca::JournalReading& b) {
    if (a.records != b.records || a.damaged != b.damaged || a.gaps.size() != b.gaps.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.gaps.size(); ++i) {
        if (a.gaps[i].line != b.gaps[i].line || a.gaps[i].before != b.gaps[i].before ||
            a.gaps[i].likelyKind != b.gaps[i].likelyKind ||
            a.gaps[i].onlyLineBreak != b.gaps[i].onlyLineBreak) {
            return false;
        }
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const vardesca::JournalReading reading = vardesca::ReadJournal(bytes);
    if (reading.wholeBytes > size) {
        std::abort();
    }
    std::string again;
    for (const vardesca::JournalRecord& record : reading.records) {
        const std::string encoded = vardesca::EncodeRecord(record);
        if (reading.damaged &&
            bytes.find(encoded.substr(0, encoded.size() - 1)) == std::string_view::npos) {
            std::abort();
        }
        again += encoded;
    }
    if (!reading.damaged && again != bytes.substr(0, reading.wholeBytes)) {
        std::abort();
    }
    vardesca::JournalReader pieces;
    const std::size_t split = size > 0 ? data[0] % (size + 1) : 0;
    pieces.Feed(bytes.substr(0, split));
    pieces.Feed(bytes.substr(split));
    if (!SameReading(pieces.Finish(), reading)) {
        std::abort();
    }
    const vardesca::RecoveryPlan plan = vardesca::PlanRecovery(reading);
    for (const vardesca::RecoveryStep& step : plan.steps) {
        static_cast<void>(vardesca::ClickOf(step.action));
        static_cast<void>(vardesca::MoveOf(step.action));
        static_cast<void>(vardesca::RestoreOf(step.action));
    }
    const std::string taken = vardesca::EncodePlan(plan);
    if (vardesca::ReadJournal(taken).damaged) {
        std::abort();
    }
    return 0;
}
