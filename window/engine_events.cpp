// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/engine_events.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/point_grip.h"

namespace vardesca {

EngineEvents::EngineEvents(ImageSurface& surface, const MeasureEngine& engine,
                           MeasurementTable& table, const TwipsScale& scale,
                           const LocaleNumbers& locale, std::function<QString()> photoName)
    : surface_(surface),
      engine_(engine),
      table_(table),
      scale_(scale),
      locale_(locale),
      photoName_(std::move(photoName)) {}

void EngineEvents::Label(const QString& text, std::uint32_t colour, int key) {
    surface_.AddLabel(static_cast<float>(engine_.x0()), static_cast<float>(engine_.y0()),
                      static_cast<float>(engine_.x1()), static_cast<float>(engine_.y1()), text,
                      colour, key);
}

void EngineEvents::ReferenceCompleted(int which) {
    const float length = engine_.ReferenceLengths()[which == 0 ? 0 : 1];
    const std::string number = QString::number(static_cast<double>(length), 'g', 6).toStdString();
    Label(UiText(app_text::kReferenceLabel)
              .arg(QString::fromStdString(PointToDecimal(number, locale_))),
          kCalibrationColour,
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
    row.photo = photoName_();
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
