// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session_recovery.h"

namespace vardesca {

namespace {

// What the user did on a photo, replayed in order; the rest is what it gave.
bool IsAction(const JournalRecord& r) {
    const std::optional<RecordKind> kind = KindOf(r.kind);
    if (!kind) {
        return false;
    }
    switch (*kind) {
        case RecordKind::Inizia:
        case RecordKind::Click:
        case RecordKind::Undo:
        case RecordKind::Redo:
        case RecordKind::Resetta:
        case RecordKind::Text:
        case RecordKind::Move:
        case RecordKind::GiveUp:
        case RecordKind::Restore:
            return true;
        case RecordKind::Header:
        case RecordKind::Picture:
        case RecordKind::Row:
        case RecordKind::Export:
        case RecordKind::Answer:
        case RecordKind::Reply:
            return false;
    }
    return false;
}

bool IsReply(const JournalRecord& r) {
    return (Is(r, RecordKind::Answer) || Is(r, RecordKind::Reply)) && r.fields.size() == 1;
}

}  // namespace

namespace {

// A record of the journal, or a damaged line where one was.
struct Item {
    const JournalRecord* record = nullptr;
    const JournalGap* gap = nullptr;
};

RecoveryPlan::Cost HistoryCost(const JournalGap& gap) {
    using Cost = RecoveryPlan::Cost;
    if (GapIs(gap, {RecordKind::Row})) {
        return Cost::TableRow;
    }
    if (GapIs(gap, {RecordKind::Text})) {
        return Cost::TextEdit;
    }
    // Actions and replies on an earlier photo: the text and the rows
    // journaled when it was left hold what they gave.
    if (GapIs(gap, {RecordKind::Header, RecordKind::Picture, RecordKind::Click, RecordKind::Inizia,
                    RecordKind::Undo, RecordKind::Redo, RecordKind::Resetta, RecordKind::Export,
                    RecordKind::Answer, RecordKind::Reply, RecordKind::Move, RecordKind::GiveUp,
                    RecordKind::Restore})) {
        return Cost::Nothing;
    }
    return Cost::Unknown;
}

}  // namespace

namespace {

// The records and the damaged lines in the file's order.
std::vector<Item> InFileOrder(const JournalReading& reading) {
    const std::vector<JournalRecord>& records = reading.records;
    std::vector<Item> items;
    items.reserve(records.size() + reading.gaps.size());
    std::size_t nextGap = 0;
    for (std::size_t i = 0; i <= records.size(); ++i) {
        while (nextGap < reading.gaps.size() && reading.gaps[nextGap].before <= i) {
            items.push_back({nullptr, &reading.gaps[nextGap++]});
        }
        if (i < records.size()) {
            items.push_back({&records[i], nullptr});
        }
    }
    return items;
}

// Before the last photo: the table of the photos left and the box's text.
void PlanHistory(const std::vector<Item>& items, std::size_t before, int version,
                 RecoveryPlan& plan) {
    using Cost = RecoveryPlan::Cost;
    for (std::size_t i = 0; i < before; ++i) {
        if (items[i].gap != nullptr) {
            const JournalGap& gap = *items[i].gap;
            plan.damage.push_back({gap.line, gap.onlyLineBreak ? Cost::Nothing : HistoryCost(gap)});
            continue;
        }
        const JournalRecord& r = *items[i].record;
        const JournalRecord* next =
            i + 1 < before && items[i + 1].record != nullptr ? items[i + 1].record : nullptr;
        if (Is(r, RecordKind::Row)) {
            if (auto row = RowOf(r, version)) {
                plan.rows.push_back(std::move(*row));
            }
        } else if (auto text = TextOf(r)) {
            plan.startText = std::move(*text);
        } else if (Is(r, RecordKind::Resetta) && next != nullptr && Is(*next, RecordKind::Answer) &&
                   next->fields == std::vector<std::string>{"ok"}) {
            // Confirmed: the table went with the box.
            plan.rows.clear();
        }
    }
}

// What a damaged line after the last photo costs; `stopped` once the steps
// can no longer be replayed.
void PlanStepGap(const JournalGap& gap, bool& stopped, RecoveryPlan& plan) {
    using Cost = RecoveryPlan::Cost;
    if (gap.onlyLineBreak) {
        plan.damage.push_back({gap.line, Cost::Nothing});
    } else if (GapIs(gap, {RecordKind::Text})) {
        plan.damage.push_back({gap.line, Cost::TextEdit});
    } else if (GapIs(gap, {RecordKind::Row, RecordKind::Export, RecordKind::Header}) || stopped) {
        plan.damage.push_back({gap.line, Cost::Nothing});
    } else {
        stopped = true;
        plan.lastStepComplete = false;
        plan.damage.push_back({gap.line, Cost::StepsStopped});
        // A lost reply leaves its action unanswerable: it goes too.
        if (GapIs(gap, {RecordKind::Answer, RecordKind::Reply}) && !plan.steps.empty()) {
            plan.steps.pop_back();
        }
    }
}

// After the last photo: what was done on it, in order.
void PlanSteps(const std::vector<Item>& items, std::size_t last, RecoveryPlan& plan) {
    // After a damaged action or reply the engine's state is no longer known:
    // nothing more is replayed but the edits of the results text.
    bool stopped = false;
    for (std::size_t i = last + 1; i < items.size(); ++i) {
        if (const JournalGap* gap = items[i].gap) {
            PlanStepGap(*gap, stopped, plan);
            continue;
        }
        const JournalRecord& r = *items[i].record;
        if (stopped) {
            if (TextOf(r)) {
                plan.steps.push_back({r, {}});
            }
        } else if (IsAction(r)) {
            plan.steps.push_back({r, {}});
        } else if (IsReply(r) && !plan.steps.empty()) {
            plan.steps.back().replies.push_back(r);
        }
    }
}

}  // namespace

RecoveryPlan PlanRecovery(const JournalReading& reading) {
    const std::vector<Item> items = InFileOrder(reading);
    RecoveryPlan plan;
    // The last photo loaded: its record, or a damaged line that held one.
    std::size_t last = items.size();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if ((items[i].record != nullptr && PictureOf(*items[i].record)) ||
            (items[i].gap != nullptr && GapIs(*items[i].gap, {RecordKind::Picture}))) {
            last = i;
        }
    }
    PlanHistory(items, last, VersionOf(reading), plan);
    if (last == items.size()) {
        return plan;
    }
    if (items[last].record != nullptr) {
        plan.picture = PictureOf(*items[last].record);
    } else {
        plan.pictureLost = true;
        plan.damage.push_back({items[last].gap->line, RecoveryPlan::Cost::PictureNotReloaded});
    }
    PlanSteps(items, last, plan);
    return plan;
}

RecoveryPlan PlanRecovery(const std::vector<JournalRecord>& records) {
    JournalReading reading;
    reading.records = records;
    return PlanRecovery(reading);
}

std::string EncodePlan(const RecoveryPlan& plan) {
    std::string bytes;
    if (plan.startText) {
        bytes += EncodeRecord(journal_record::Text(*plan.startText));
    }
    for (const TableRow& row : plan.rows) {
        bytes += EncodeRecord(journal_record::Row(row));
    }
    if (plan.picture) {
        bytes += EncodeRecord(journal_record::Picture(plan.picture->path, plan.picture->size,
                                                      plan.picture->modifiedMs));
        for (const RecoveryStep& step : plan.steps) {
            bytes += EncodeRecord(step.action);
            for (const JournalRecord& reply : step.replies) {
                bytes += EncodeRecord(reply);
            }
        }
    }
    return bytes;
}

}  // namespace vardesca
