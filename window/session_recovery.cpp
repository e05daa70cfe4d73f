// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/session_recovery.h"

#include <charconv>
#include <cstring>

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
    row.photo = QString::fromStdString(r.fields[0]);
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
    return RecoveryPlan::Picture{QString::fromStdString(r.fields[0]), *size, *modified};
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
    return {"picture", {path.toStdString(), NumberField(size), NumberField(modifiedMs)}};
}

JournalRecord Row(const TableRow& row) {
    return {"row",
            {row.photo.toStdString(), NumberField(row.number), NumberField(row.length),
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

RecoveryPlan PlanRecovery(const std::vector<JournalRecord>& records) {
    RecoveryPlan plan;
    std::size_t last = records.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (PictureOf(records[i])) {
            last = i;
        }
    }
    // Before the last photo: the table of the photos left and the box's text.
    const std::size_t before = last < records.size() ? last : records.size();
    for (std::size_t i = 0; i < before; ++i) {
        const JournalRecord& r = records[i];
        if (r.kind == "row") {
            if (auto row = RowOf(r)) {
                plan.rows.push_back(std::move(*row));
            }
        } else if (r.kind == "text" && r.fields.size() == 1) {
            plan.startText = r.fields[0];
        } else if (r.kind == "resetta" && i + 1 < before && records[i + 1].kind == "answer" &&
                   records[i + 1].fields == std::vector<std::string>{"ok"}) {
            // Confirmed: the table went with the box.
            plan.rows.clear();
        }
    }
    if (last == records.size()) {
        return plan;
    }
    plan.picture = PictureOf(records[last]);
    for (std::size_t i = last + 1; i < records.size(); ++i) {
        const JournalRecord& r = records[i];
        if (IsAction(r)) {
            plan.steps.push_back({r, {}});
        } else if (IsReply(r) && !plan.steps.empty()) {
            plan.steps.back().replies.push_back(r);
        }
    }
    return plan;
}

}  // namespace vardesca
