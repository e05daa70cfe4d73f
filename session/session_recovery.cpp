// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session_recovery.h"

#include <charconv>
#include <cstring>

#include "picture/system_name.h"

namespace vardesca {

namespace {

template <typename Number>
std::string NumberField(Number value) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

template <typename Number>
std::optional<Number> ParseNumber(const std::string& field) {
    Number value{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<TableRow> RowOf(const JournalRecord& r) {
    if (r.fields.size() != 10) {
        return std::nullopt;
    }
    TableRow row;
    row.photo = FromSystemName(QByteArray::fromStdString(r.fields[0]));
    const auto number = ParseNumber<int>(r.fields[1]);
    double* const values[] = {&row.length, &row.x0, &row.y0, &row.x1,
                              &row.y1,     &row.scale, &row.reference1, &row.reference2};
    if (!number) {
        return std::nullopt;
    }
    row.number = *number;
    for (std::size_t i = 0; i < 8; ++i) {
        const auto value = ParseNumber<double>(r.fields[i + 2]);
        if (!value) {
            return std::nullopt;
        }
        *values[i] = *value;
    }
    return row;
}

std::optional<RecoveryPlan::Picture> PictureOf(const JournalRecord& r) {
    if (r.kind != "picture" || r.fields.size() != 3 || r.fields[0].empty()) {
        return std::nullopt;
    }
    const auto size = ParseNumber<qint64>(r.fields[1]);
    const auto modified = ParseNumber<qint64>(r.fields[2]);
    if (!size || !modified) {
        return std::nullopt;
    }
    return RecoveryPlan::Picture{FromSystemName(QByteArray::fromStdString(r.fields[0])), *size,
                                 *modified};
}

bool IsAction(const JournalRecord& r) {
    for (const char* kind : {"inizia", "click", "undo", "redo", "resetta", "text"}) {
        if (r.kind == kind) {
            return true;
        }
    }
    return false;
}

bool IsReply(const JournalRecord& r) {
    return (r.kind == "answer" || r.kind == "reply") && r.fields.size() == 1;
}

}  // namespace

namespace journal_record {

JournalRecord Picture(const QString& path, qint64 size, qint64 modifiedMs) {
    return {"picture", {ToSystemName(path).toStdString(), NumberField(size), NumberField(modifiedMs)}};
}

JournalRecord Row(const TableRow& row) {
    return {"row",
            {ToSystemName(row.photo).toStdString(), NumberField(row.number), NumberField(row.length),
             NumberField(row.x0), NumberField(row.y0), NumberField(row.x1), NumberField(row.y1),
             NumberField(row.scale), NumberField(row.reference1), NumberField(row.reference2)}};
}

JournalRecord Click(float x, float y) {
    return {"click", {NumberField(x), NumberField(y)}};
}

JournalRecord Text(const std::string& text) {
    return {"text", {text}};
}

JournalRecord Action(const char* kind) {
    return {kind, {}};
}

}  // namespace journal_record

std::optional<std::pair<float, float>> ClickOf(const JournalRecord& record) {
    if (record.kind != "click" || record.fields.size() != 2) {
        return std::nullopt;
    }
    const auto x = ParseNumber<float>(record.fields[0]);
    const auto y = ParseNumber<float>(record.fields[1]);
    if (!x || !y) {
        return std::nullopt;
    }
    return std::pair{*x, *y};
}

namespace {

// A record of the journal, or a damaged line where one was.
struct Item {
    const JournalRecord* record = nullptr;
    const JournalGap* gap = nullptr;
};

bool GapIs(const JournalGap& gap, std::initializer_list<const char*> kinds) {
    for (const char* kind : kinds) {
        if (gap.likelyKind == kind) {
            return true;
        }
    }
    return false;
}

RecoveryPlan::Cost HistoryCost(const JournalGap& gap) {
    using Cost = RecoveryPlan::Cost;
    if (GapIs(gap, {"row"})) {
        return Cost::TableRow;
    }
    if (GapIs(gap, {"text"})) {
        return Cost::TextEdit;
    }
    // Actions and replies on an earlier photo: the text and the rows
    // journaled when it was left hold what they gave.
    if (GapIs(gap, {"vardesca-journal", "picture", "click", "inizia", "undo", "redo", "resetta",
                    "export", "answer", "reply"})) {
        return Cost::Nothing;
    }
    return Cost::Unknown;
}

}  // namespace

RecoveryPlan PlanRecovery(const JournalReading& reading) {
    using Cost = RecoveryPlan::Cost;
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

    RecoveryPlan plan;
    // The last photo loaded: its record, or a damaged line that held one.
    std::size_t last = items.size();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if ((items[i].record != nullptr && PictureOf(*items[i].record)) ||
            (items[i].gap != nullptr && GapIs(*items[i].gap, {"picture"}))) {
            last = i;
        }
    }
    // Before the last photo: the table of the photos left and the box's text.
    const std::size_t before = last < items.size() ? last : items.size();
    for (std::size_t i = 0; i < before; ++i) {
        if (items[i].gap != nullptr) {
            const JournalGap& gap = *items[i].gap;
            plan.damage.push_back({gap.line, gap.onlyLineBreak ? Cost::Nothing : HistoryCost(gap)});
            continue;
        }
        const JournalRecord& r = *items[i].record;
        const JournalRecord* next =
            i + 1 < before && items[i + 1].record != nullptr ? items[i + 1].record : nullptr;
        if (r.kind == "row") {
            if (auto row = RowOf(r)) {
                plan.rows.push_back(std::move(*row));
            }
        } else if (r.kind == "text" && r.fields.size() == 1) {
            plan.startText = r.fields[0];
        } else if (r.kind == "resetta" && next != nullptr && next->kind == "answer" &&
                   next->fields == std::vector<std::string>{"ok"}) {
            // Confirmed: the table went with the box.
            plan.rows.clear();
        }
    }
    if (last == items.size()) {
        return plan;
    }
    if (items[last].record != nullptr) {
        plan.picture = PictureOf(*items[last].record);
    } else {
        plan.pictureLost = true;
        plan.damage.push_back({items[last].gap->line, Cost::PictureNotReloaded});
    }
    // After a damaged action or reply the engine's state is no longer known:
    // nothing more is replayed but the edits of the results text.
    bool stopped = false;
    for (std::size_t i = last + 1; i < items.size(); ++i) {
        if (const JournalGap* gap = items[i].gap) {
            if (gap->onlyLineBreak) {
                plan.damage.push_back({gap->line, Cost::Nothing});
            } else if (GapIs(*gap, {"text"})) {
                plan.damage.push_back({gap->line, Cost::TextEdit});
            } else if (GapIs(*gap, {"row", "export", "vardesca-journal"})) {
                plan.damage.push_back({gap->line, Cost::Nothing});
            } else if (stopped) {
                plan.damage.push_back({gap->line, Cost::Nothing});
            } else {
                stopped = true;
                plan.lastStepComplete = false;
                plan.damage.push_back({gap->line, Cost::StepsStopped});
                // A lost reply leaves its action unanswerable: it goes too.
                if (GapIs(*gap, {"answer", "reply"}) && !plan.steps.empty()) {
                    plan.steps.pop_back();
                }
            }
            continue;
        }
        const JournalRecord& r = *items[i].record;
        if (stopped) {
            if (r.kind == "text" && r.fields.size() == 1) {
                plan.steps.push_back({r, {}});
            }
        } else if (IsAction(r)) {
            plan.steps.push_back({r, {}});
        } else if (IsReply(r) && !plan.steps.empty()) {
            plan.steps.back().replies.push_back(r);
        }
    }
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
        bytes += EncodeRecord(
            journal_record::Picture(plan.picture->path, plan.picture->size, plan.picture->modifiedMs));
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
