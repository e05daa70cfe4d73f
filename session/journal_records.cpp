// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/journal_records.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <variant>

#include "picture/system_name.h"

namespace vardesca {

namespace {

struct KindWord {
    RecordKind kind;
    const char* word;
};

// The words are the journal's on the disk: never change one, or journals
// already written lose what it stood for.
constexpr std::array<KindWord, 15> kKinds = {{
    {RecordKind::Header, kHeaderKind},
    {RecordKind::Picture, "picture"},
    {RecordKind::Row, "row"},
    {RecordKind::Text, "text"},
    {RecordKind::Click, "click"},
    {RecordKind::Inizia, "inizia"},
    {RecordKind::Undo, "undo"},
    {RecordKind::Redo, "redo"},
    {RecordKind::Resetta, "resetta"},
    {RecordKind::Export, "export"},
    {RecordKind::Answer, "answer"},
    {RecordKind::Reply, "reply"},
    {RecordKind::Move, "move"},
    {RecordKind::GiveUp, "giveup"},
    {RecordKind::Restore, "restore"},
}};

// The kinds of pair a moved point belongs to, as the journal writes them.
constexpr std::array<std::pair<PointId::Pair, const char*>, 3> kPairs = {{
    {PointId::Pair::Reference, "reference"},
    {PointId::Pair::Measurement, "measurement"},
    {PointId::Pair::Pending, "pending"},
}};

const char* PairWord(PointId::Pair pair) {
    for (const auto& [kind, word] : kPairs) {
        if (kind == pair) {
            return word;
        }
    }
    return kPairs[0].second;
}

std::optional<PointId::Pair> PairOf(const std::string& word) {
    for (const auto& [kind, name] : kPairs) {
        if (word == name) {
            return kind;
        }
    }
    return std::nullopt;
}

// What follows a restore record's pairs: the point that was selected.
constexpr const char* kSelected = "selected";

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

}  // namespace

std::string_view KindName(RecordKind kind) {
    for (const KindWord& k : kKinds) {
        if (k.kind == kind) {
            return k.word;
        }
    }
    return {};
}

std::optional<RecordKind> KindOf(std::string_view name) {
    for (const KindWord& k : kKinds) {
        if (name == k.word) {
            return k.kind;
        }
    }
    return std::nullopt;
}

bool GapIs(const JournalGap& gap, std::initializer_list<RecordKind> kinds) {
    const std::optional<RecordKind> kind = KindOf(gap.likelyKind);
    return kind && std::find(kinds.begin(), kinds.end(), *kind) != kinds.end();
}

int VersionOf(const JournalReading& reading) {
    if (reading.records.empty() || !Is(reading.records.front(), RecordKind::Header) ||
        reading.records.front().fields.size() != 1) {
        return 1;
    }
    return ParseNumber<int>(reading.records.front().fields[0]).value_or(1);
}

namespace journal_record {

JournalRecord Picture(const QString& path, qint64 size, qint64 modifiedMs) {
    return {std::string(KindName(RecordKind::Picture)),
            {ToSystemName(path).toStdString(), NumberField(size), NumberField(modifiedMs)}};
}

JournalRecord Row(const TableRow& row) {
    JournalRecord record{std::string(KindName(RecordKind::Row)), {}};
    for (const TableColumn& column : TableColumns()) {
        if (!In(column, kTableForm)) {
            continue;
        }
        if (const auto* text = std::get_if<QString TableRow::*>(&column.field)) {
            record.fields.push_back(ToSystemName(row.*(*text)).toStdString());
        } else if (const auto* integer = std::get_if<int TableRow::*>(&column.field)) {
            record.fields.push_back(NumberField(row.*(*integer)));
        } else {
            // Every digit: the row comes back as it was, not as a file shows it.
            record.fields.push_back(NumberField(row.*std::get<double TableRow::*>(column.field)));
        }
    }
    return record;
}

JournalRecord Click(float x, float y) {
    return {std::string(KindName(RecordKind::Click)), {NumberField(x), NumberField(y)}};
}

JournalRecord Text(const std::string& text) {
    return {std::string(KindName(RecordKind::Text)), {text}};
}

JournalRecord Move(const PointMove& move) {
    return {std::string(KindName(RecordKind::Move)),
            {PairWord(move.point.pair), NumberField(move.point.number),
             NumberField(static_cast<int>(move.point.end)), NumberField(move.x),
             NumberField(move.y), move.join ? "1" : "0"}};
}

JournalRecord Restore(const KeptMeasuring& kept) {
    JournalRecord record{std::string(KindName(RecordKind::Restore)), {}};
    for (const KeptPair& p : kept.pairs) {
        record.fields.insert(
            record.fields.end(),
            {PairWord(p.pair), NumberField(p.number), NumberField(p.xa), NumberField(p.ya),
             NumberField(p.xb), NumberField(p.yb), NumberField(p.length)});
    }
    if (kept.selected) {
        record.fields.insert(
            record.fields.end(),
            {kSelected, PairWord(kept.selected->pair), NumberField(kept.selected->number),
             NumberField(static_cast<int>(kept.selected->end))});
    }
    return record;
}

JournalRecord Action(RecordKind kind) {
    return {std::string(KindName(kind)), {}};
}

}  // namespace journal_record

std::optional<TableRow> RowOf(const JournalRecord& record, int version) {
    if (!Is(record, RecordKind::Row)) {
        return std::nullopt;
    }
    std::size_t expected = 0;
    for (const TableColumn& column : TableColumns()) {
        expected += In(column, kTableForm) && column.sinceJournal <= version ? 1U : 0U;
    }
    if (record.fields.size() != expected) {
        return std::nullopt;
    }
    TableRow row;
    std::size_t at = 0;
    for (const TableColumn& column : TableColumns()) {
        if (!In(column, kTableForm) || column.sinceJournal > version) {
            continue;
        }
        const std::string& field = record.fields[at++];
        if (const auto* text = std::get_if<QString TableRow::*>(&column.field)) {
            row.*(*text) = FromSystemName(QByteArray::fromStdString(field));
        } else if (const auto* integer = std::get_if<int TableRow::*>(&column.field)) {
            const auto value = ParseNumber<int>(field);
            if (!value) {
                return std::nullopt;
            }
            row.*(*integer) = *value;
        } else {
            const auto value = ParseNumber<double>(field);
            if (!value) {
                return std::nullopt;
            }
            row.*std::get<double TableRow::*>(column.field) = *value;
        }
    }
    return row;
}

std::optional<std::pair<float, float>> ClickOf(const JournalRecord& record) {
    if (!Is(record, RecordKind::Click) || record.fields.size() != 2) {
        return std::nullopt;
    }
    const auto x = ParseNumber<float>(record.fields[0]);
    const auto y = ParseNumber<float>(record.fields[1]);
    if (!x || !y) {
        return std::nullopt;
    }
    return std::pair{*x, *y};
}

std::optional<PictureFacts> PictureOf(const JournalRecord& record) {
    if (!Is(record, RecordKind::Picture) || record.fields.size() != 3 || record.fields[0].empty()) {
        return std::nullopt;
    }
    const auto size = ParseNumber<qint64>(record.fields[1]);
    const auto modified = ParseNumber<qint64>(record.fields[2]);
    if (!size || !modified) {
        return std::nullopt;
    }
    return PictureFacts{FromSystemName(QByteArray::fromStdString(record.fields[0])), *size,
                        *modified};
}

std::optional<std::string> TextOf(const JournalRecord& record) {
    if (!Is(record, RecordKind::Text) || record.fields.size() != 1) {
        return std::nullopt;
    }
    return record.fields[0];
}

}  // namespace vardesca

namespace vardesca {

std::optional<journal_record::PointMove> MoveOf(const JournalRecord& record) {
    if (!Is(record, RecordKind::Move) || record.fields.size() != 6) {
        return std::nullopt;
    }
    journal_record::PointMove move;
    const auto pair = std::find_if(kPairs.begin(), kPairs.end(),
                                   [&](const auto& p) { return record.fields[0] == p.second; });
    const auto number = ParseNumber<std::int16_t>(record.fields[1]);
    const auto end = ParseNumber<int>(record.fields[2]);
    const auto x = ParseNumber<float>(record.fields[3]);
    const auto y = ParseNumber<float>(record.fields[4]);
    const std::string& join = record.fields[5];
    if (pair == kPairs.end() || !number || !end || (*end != 0 && *end != 1) || !x || !y ||
        (join != "0" && join != "1")) {
        return std::nullopt;
    }
    move.point = PointId{pair->first, *number, static_cast<std::int8_t>(*end)};
    move.x = *x;
    move.y = *y;
    move.join = join == "1";
    return move;
}

std::optional<KeptMeasuring> RestoreOf(const JournalRecord& record) {
    if (!Is(record, RecordKind::Restore)) {
        return std::nullopt;
    }
    const std::vector<std::string>& f = record.fields;
    KeptMeasuring kept;
    std::size_t at = 0;
    for (; at + 7 <= f.size() && f[at] != kSelected; at += 7) {
        const auto pair = PairOf(f[at]);
        const auto number = ParseNumber<std::int16_t>(f[at + 1]);
        const auto xa = ParseNumber<float>(f[at + 2]);
        const auto ya = ParseNumber<float>(f[at + 3]);
        const auto xb = ParseNumber<float>(f[at + 4]);
        const auto yb = ParseNumber<float>(f[at + 5]);
        const auto length = ParseNumber<double>(f[at + 6]);
        if (!pair || *pair == PointId::Pair::Pending || !number || !xa || !ya || !xb || !yb ||
            !length) {
            return std::nullopt;
        }
        kept.pairs.push_back({*pair, *number, *xa, *ya, *xb, *yb, *length});
    }
    if (at == f.size()) {
        return kept;
    }
    if (at + 4 != f.size() || f[at] != kSelected) {
        return std::nullopt;
    }
    const auto pair = PairOf(f[at + 1]);
    const auto number = ParseNumber<std::int16_t>(f[at + 2]);
    const auto end = ParseNumber<int>(f[at + 3]);
    if (!pair || !number || !end || (*end != 0 && *end != 1)) {
        return std::nullopt;
    }
    kept.selected = PointId{*pair, *number, static_cast<std::int8_t>(*end)};
    return kept;
}

}  // namespace vardesca
