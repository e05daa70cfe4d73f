// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/photo_record.h"

#include <unistd.h>
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "picture/system_name.h"
#include "session/journal_records.h"
#include "text/qt_locale_numbers.h"
#include "text/ui_text.h"

namespace vardesca {

namespace {

std::function<std::optional<RecordPlace>(const QString&)>& PlaceForTests() {
    static std::function<std::optional<RecordPlace>(const QString&)> place;
    return place;
}

QString TimeText(qint64 modifiedMs) {
    return QDateTime::fromMSecsSinceEpoch(modifiedMs, Qt::UTC).toString(Qt::ISODateWithMs);
}

}  // namespace

PhotoRecord::PlaceHook PhotoRecord::SetPlaceForTests(PlaceHook place) {
    return std::exchange(PlaceForTests(), std::move(place));
}

PhotoRecord::PhotoRecord(WindowDialogs& dialogs, const LocaleNumbers& locale,
                         const TwipsScale& scale, Hooks hooks)
    : dialogs_(dialogs), locale_(locale), scale_(scale), hooks_(std::move(hooks)) {}

RecordPlace PhotoRecord::PlaceOf(const QString& folder) const {
    if (PlaceForTests()) {
        if (std::optional<RecordPlace> place = PlaceForTests()(folder)) {
            return *place;
        }
    }
    return RecordPlaceFor(folder);
}

std::optional<KeptMeasuring> PhotoRecord::Opened(const QString& path, QSize pixels) {
    path_ = path;
    pixels_ = pixels;
    time_ = TimeText(FactsOf(path).modifiedMs);
    written_ = {};
    known_ = false;
    elsewhere_.clear();
    if (hooks_.replaying && hooks_.replaying()) {
        return std::nullopt;
    }
    const QFileInfo info(path);
    const RecordPlace place = PlaceOf(info.absolutePath());
    if (place.path.isEmpty()) {
        return std::nullopt;
    }
    const FolderRecord record = ReadFolderRecord(place);
    if (record.failure || record.problem) {
        Tell(record, record_text::kCannotRead);
        known_ = !record.failure;  // set aside: a new record starts
        return std::nullopt;
    }
    known_ = true;
    std::vector<TableRow> rows;
    for (const TableRow& row : record.rows) {
        if (row.photo == info.fileName()) {
            rows.push_back(row);
        }
    }
    if (rows.empty()) {
        return std::nullopt;
    }
    const bool changed = std::any_of(rows.begin(), rows.end(), [this](const TableRow& row) {
        return row.photoWidth != pixels_.width() || row.photoHeight != pixels_.height() ||
               row.photoTime != time_;
    });
    // Declined, the rows stay in the record until the photo is measured again.
    if (changed && dialogs_.ShowBox(UiText(photo_record_text::kChangedTitle),
                                    UiText(photo_record_text::kChanged).arg(path),
                                    WindowDialogs::Buttons::YesNo,
                                    WindowDialogs::Icon::Warning) != WindowDialogs::Answer::Yes) {
        return std::nullopt;
    }
    return KeptOf(rows);
}

void PhotoRecord::Restored(const KeptMeasuring& kept, const KeptMeasuring& now) {
    if (hooks_.journal) {
        hooks_.journal(journal_record::Restore(kept));
    }
    written_ = now;
    known_ = true;
}

void PhotoRecord::NotRestored() {
    const QFileInfo info(path_);
    dialogs_.ShowBox(
        QString(),
        UiText(photo_record_text::kNotRestored).arg(path_, PlaceOf(info.absolutePath()).path),
        WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    known_ = false;  // what the record holds is not what stands on the photo
}

void PhotoRecord::Forget() {
    path_.clear();
    elsewhere_.clear();
    written_ = {};
    known_ = false;
}

void PhotoRecord::Changed(const std::function<KeptMeasuring()>& standing, float k) {
    if (path_.isEmpty() || (hooks_.replaying && hooks_.replaying())) {
        return;
    }
    const QFileInfo info(path_);
    const RecordPlace place = PlaceOf(info.absolutePath());
    if (place.path.isEmpty()) {
        return;
    }
    // Taken only now: a photo of thousands of fish is not copied at every
    // click where no record is kept.
    const KeptMeasuring now = standing();
    if (known_ ? now == written_ : now.pairs.empty()) {
        return;  // unchanged; or declined, and nothing measured since
    }
    const FolderRecord result =
        ReplacePhotoRows(place, info.fileName(), RowsOf(now, k), DecimalSeparatorOf(locale_));
    const bool refused = result.problem && result.setAsideAs.isEmpty();
    if (result.problem && !refused) {
        Tell(result, record_text::kCannotWrite);  // set aside: a new record begins
    }
    if (result.failure || refused) {
        // Said once, not at every click, until a write succeeds again.
        if (!std::exchange(failureTold_, true)) {
            if (refused) {
                Tell(result, record_text::kCannotWrite);
            } else {
                dialogs_.ShowBox(
                    QString(),
                    UiText(record_text::kCannotWrite).arg(place.path, result.failure->Reason()),
                    WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
            }
        }
        return;
    }
    failureTold_ = false;
    written_ = now;
    known_ = true;
    if (!place.inFolder && told_.insert(place.path).second) {
        elsewhere_ = place.path;
    }
}

void PhotoRecord::Tell(const FolderRecord& record, const char* failureText) {
    const QString folder = QFileInfo(path_).absolutePath();
    if (record.failure) {
        dialogs_.ShowBox(QString(),
                         UiText(failureText).arg(PlaceOf(folder).path, record.failure->Reason()),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
        return;
    }
    const char* why = record_text::kDamaged;
    if (record.problem == RecordProblem::Foreign) {
        why = record_text::kForeign;
    } else if (record.problem == RecordProblem::Newer) {
        why = record_text::kNewer;
    }
    const QString file = PlaceOf(folder).path;
    if (record.setAsideAs.isEmpty()) {
        dialogs_.ShowBox(QString(), UiText(record_text::kNotSetAside).arg(file, UiText(why)),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    } else {
        dialogs_.ShowBox(QString(),
                         UiText(record_text::kSetAside).arg(file, UiText(why), record.setAsideAs),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

std::vector<TableRow> PhotoRecord::RowsOf(const KeptMeasuring& kept, float k) const {
    const double perPixel = scale_.TwipsPerPixel();
    const QString name = QFileInfo(path_).fileName();
    std::vector<TableRow> rows;
    for (const KeptPair& p : kept.pairs) {
        const bool reference = p.pair == PointId::Pair::Reference;
        TableRow row;
        row.photo = name;
        row.kind = QLatin1String(reference ? record_kind::kReference : record_kind::kMeasurement);
        row.number = reference ? p.number + 1 : p.number;
        row.length = reference ? p.length : RoundToHundredths(p.length);
        row.x0 = p.xa / perPixel;
        row.y0 = p.ya / perPixel;
        row.x1 = p.xb / perPixel;
        row.y1 = p.yb / perPixel;
        row.scale = static_cast<double>(k) / perPixel;
        row.photoWidth = pixels_.width();
        row.photoHeight = pixels_.height();
        row.photoTime = time_;
        if (kept.selected && kept.selected->pair == p.pair && kept.selected->number == p.number) {
            row.selected = kept.selected->end + 1;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

KeptMeasuring PhotoRecord::KeptOf(const std::vector<TableRow>& rows) const {
    const double perPixel = scale_.TwipsPerPixel();
    KeptMeasuring kept;
    for (const TableRow& row : rows) {
        const bool reference = row.kind == QLatin1String(record_kind::kReference);
        KeptPair p;
        p.pair = reference ? PointId::Pair::Reference : PointId::Pair::Measurement;
        p.number = static_cast<std::int16_t>(reference ? row.number - 1 : row.number);
        p.xa = static_cast<float>(row.x0 * perPixel);
        p.ya = static_cast<float>(row.y0 * perPixel);
        p.xb = static_cast<float>(row.x1 * perPixel);
        p.yb = static_cast<float>(row.y1 * perPixel);
        p.length = row.length;
        kept.pairs.push_back(p);
        if (row.selected == 1 || row.selected == 2) {
            kept.selected = PointId{p.pair, p.number, static_cast<std::int8_t>(row.selected - 1)};
        }
    }
    // References first, in order, then the measurements by number: as the
    // engine takes them, whatever order the rows were left in.
    std::stable_sort(kept.pairs.begin(), kept.pairs.end(),
                     [](const KeptPair& a, const KeptPair& b) {
                         const bool aReference = a.pair == PointId::Pair::Reference;
                         const bool bReference = b.pair == PointId::Pair::Reference;
                         return aReference != bReference ? aReference : a.number < b.number;
                     });
    return kept;
}

}  // namespace vardesca
