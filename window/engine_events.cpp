// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/engine_events.h"

#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <utility>

#include "engine/checked_int.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/point_grip.h"

namespace vardesca {

EngineEvents::EngineEvents(ImageSurface& surface, const MeasureEngine& engine,
                           MeasurementTable& table, const TwipsScale& scale,
                           const LocaleNumbers& locale, std::function<QString()> photoPath)
    : surface_(surface),
      engine_(engine),
      table_(table),
      scale_(scale),
      locale_(locale),
      photoPath_(std::move(photoPath)) {}

void EngineEvents::Label(const QString& text, std::uint32_t colour, int key) {
    surface_.AddLabel(static_cast<float>(engine_.x0()), static_cast<float>(engine_.y0()),
                      static_cast<float>(engine_.x1()), static_cast<float>(engine_.y1()), text,
                      colour, key);
}

void EngineEvents::Label(const QString& text, std::uint32_t colour, int key, const KeptPair& at) {
    // Where a label of clicks there would be: at the points as stored, rounded.
    surface_.AddLabel(static_cast<float>(RoundToInt32(at.xa)),
                      static_cast<float>(RoundToInt32(at.ya)),
                      static_cast<float>(RoundToInt32(at.xb)),
                      static_cast<float>(RoundToInt32(at.yb)), text, colour, key);
}

QString EngineEvents::ReferenceText(int which) const {
    const float length = engine_.ReferenceLengths()[which == 0 ? 0 : 1];
    const std::string number = QString::number(static_cast<double>(length), 'g', 6).toStdString();
    return UiText(app_text::kReferenceLabel)
        .arg(QString::fromStdString(PointToDecimal(number, locale_)));
}

void EngineEvents::ReferenceCompleted(int which) {
    Label(ReferenceText(which), kCalibrationColour,
          LabelKey({PointId::Pair::Reference, static_cast<std::int16_t>(which == 0 ? 0 : 1), 0}));
    referencesToCheck_ = referencesToCheck_ || which == 1;
    apart_ = ReferencesApart();
}

double EngineEvents::ReferencesApart() const {
    const auto [s1, s2] = engine_.ReferenceScales();
    const double mean = (s1 + s2) / 2.0;
    return mean > 0 ? std::abs(s1 - s2) / mean * 100.0 : 0.0;
}

void EngineEvents::Measured(const MeasuredPair& m) {
    Label(QString::number(m.number), kMeasureColour, m.number);
    rowOf_[m.number] = table_.Rows().size();
    table_.Add(RowOf(m));
}

TableRow EngineEvents::RowOf(const MeasuredPair& m) const {
    const double perPixel = scale_.TwipsPerPixel();
    const auto [s1, s2] = engine_.ReferenceScales();
    TableRow row;
    row.path = photoPath_();
    row.photo = QFileInfo(row.path).fileName();
    row.number = m.number;
    row.length = RoundToHundredths(m.length);
    row.x0 = m.xa / perPixel;
    row.y0 = m.ya / perPixel;
    row.x1 = m.xb / perPixel;
    row.y1 = m.yb / perPixel;
    row.scale = static_cast<double>(engine_.k()) / perPixel;
    row.reference1 = s1 / perPixel;
    row.reference2 = s2 / perPixel;
    return row;
}

void EngineEvents::MeasurementAdded(const MeasuredPair& measurement) {
    Measured(measurement);
}

void EngineEvents::MeasurementRedone(const MeasuredPair& measurement) {
    Measured(measurement);
}

void EngineEvents::MeasurementTakenBack(const MeasuredPair& measurement) {
    surface_.RemoveLabel(measurement.number);
    table_.RemoveLast();
    rowOf_.erase(measurement.number);
}

void EngineEvents::CalibrationReset() {
    rowOf_.clear();
}

void EngineEvents::PointMoved(const PlacedPoint& point) {
    if (point.id.pair != PointId::Pair::Reference) {
        return;
    }
    const auto a = engine_.PointAt({point.id.pair, point.id.number, 0});
    const auto b = engine_.PointAt({point.id.pair, point.id.number, 1});
    if (a && b) {
        surface_.MoveLabel(LabelKey(point.id), a->x, a->y, b->x, b->y);
    }
    if (engine_.azione() != MeasureEngine::Measuring) {
        return;  // one reference only: nothing to compare yet
    }
    // Asked when a move takes them apart, not at every nudge while they are.
    const double now = ReferencesApart();
    referencesToCheck_ = referencesToCheck_ || (now > 2.0 && apart_ <= 2.0);
    apart_ = now;
}

void EngineEvents::MeasurementChanged(const MeasuredPair& /*before*/, const MeasuredPair& after) {
    surface_.MoveLabel(after.number, after.xa, after.ya, after.xb, after.yb);
    const auto row = rowOf_.find(after.number);
    if (row != rowOf_.end() && row->second < table_.Rows().size() &&
        table_.Rows()[row->second].number == after.number) {
        table_.Replace(row->second, RowOf(after));
    }
}

void EngineEvents::MeasuringRestored() {
    const KeptMeasuring kept = engine_.Kept();
    const QString path = photoPath_();
    const QString name = QFileInfo(path).fileName();
    const std::vector<TableRow>& rows = table_.Rows();
    for (const KeptPair& p : kept.pairs) {
        if (p.pair == PointId::Pair::Reference) {
            Label(ReferenceText(p.number), kCalibrationColour,
                  LabelKey({PointId::Pair::Reference, p.number, 0}), p);
            continue;
        }
        Label(QString::number(p.number), kMeasureColour, p.number, p);
        const MeasuredPair m{p.number, p.xa, p.ya, p.xb, p.yb, p.length};
        std::optional<std::size_t> own;
        for (std::size_t i = rows.size(); i-- > 0;) {
            if (rows[i].photo == name && rows[i].number == p.number &&
                (rows[i].path.isEmpty() || rows[i].path == path)) {
                own = i;
                break;
            }
        }
        if (own) {
            rowOf_[p.number] = *own;
            table_.Replace(*own, RowOf(m));
        } else {
            rowOf_[p.number] = rows.size();
            table_.Add(RowOf(m));
        }
    }
    apart_ = ReferencesApart();
    referencesToCheck_ = false;  // checked when they were clicked
}

bool EngineEvents::TakeReferencesToCheck() {
    return std::exchange(referencesToCheck_, false);
}

void CheckReferences(MeasureEngine& engine, ImageSurface& surface, WindowDialogs& dialogs,
                     const LocaleNumbers& locale) {
    const auto [s1, s2] = engine.ReferenceScales();
    const double mean = (s1 + s2) / 2.0;
    // Apart by the difference of the two against their mean.
    const double apart = mean > 0 ? std::abs(s1 - s2) / mean * 100.0 : 0.0;
    if (apart <= 2.0) {
        return;
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", apart);
    const auto answer =
        dialogs.ShowBox(UiText(app_text::kReferencesTitle),
                        UiText(app_text::kReferencesDisagree)
                            .arg(QString::fromStdString(PointToDecimal(number, locale))),
                        WindowDialogs::Buttons::YesNo, WindowDialogs::Icon::Warning);
    if (answer != WindowDialogs::Answer::Yes) {
        return;
    }
    // A new calibration on the same photo, as if it had just been loaded and
    // Inizia pressed: the rejected references' marks go, the view stays.
    surface.ClearMarks();
    engine.Reset();
    engine.StartCalibration();
}

}  // namespace vardesca
