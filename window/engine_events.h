// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <map>

#include "commands/measurement_table.h"
#include "dialogs/window_dialogs.h"
#include "engine/measure_engine.h"
#include "view/image_surface.h"
#include "view/twips.h"

namespace vardesca {

// What the window does as the engine says what it did: a measurement gets its
// number beside its line and its row in the table, a reference its typed
// length ("2,5 cm", in the user's conventions); a measurement taken back loses
// both, and one redone gets them again. The second reference asks for the
// references' check, which the window makes once the action is over (its
// question is part of the action, and journaled with it).
class EngineEvents : public MeasureObserver {
  public:
    EngineEvents(ImageSurface& surface, const MeasureEngine& engine, MeasurementTable& table,
                 const TwipsScale& scale, const LocaleNumbers& locale,
                 std::function<QString()> photoPath);

    void ReferenceCompleted(int which) override;
    void MeasurementAdded(const MeasuredPair& measurement) override;
    void MeasurementTakenBack(const MeasuredPair& measurement) override;
    void MeasurementRedone(const MeasuredPair& measurement) override;
    void CalibrationReset() override;
    // A reference's label follows its pair; references moved more than 2 %
    // apart are checked, once the action is over.
    void PointMoved(const PlacedPoint& point) override;
    // The label and the table's row follow.
    void MeasurementChanged(const MeasuredPair& before, const MeasuredPair& after) override;
    // A photo's measuring put back from the folder's record: the labels, and a
    // table row for each measurement, the session's own row when it has one
    // already (the photo measured earlier in the session, or a journal's row),
    // so that nothing is counted twice.
    void MeasuringRestored() override;

    // Whether the second reference came since the last asking (asked once).
    [[nodiscard]] bool TakeReferencesToCheck();

  private:
    void Label(const QString& text, std::uint32_t colour, int key);
    void Label(const QString& text, std::uint32_t colour, int key, const KeptPair& at);
    // The label of reference `which` (0 or 1): its typed length.
    [[nodiscard]] QString ReferenceText(int which) const;
    void Measured(const MeasuredPair& measurement);
    [[nodiscard]] TableRow RowOf(const MeasuredPair& measurement) const;
    // How far apart the references are, in percent of their mean.
    [[nodiscard]] double ReferencesApart() const;

    ImageSurface& surface_;
    const MeasureEngine& engine_;
    MeasurementTable& table_;
    const TwipsScale& scale_;
    const LocaleNumbers& locale_;
    std::function<QString()> photoPath_;
    bool referencesToCheck_ = false;
    double apart_ = 0.0;  // the references' disagreement before a move
    // The table's row of each measurement of this calibration, by number.
    std::map<int, std::size_t> rowOf_;
};

// After a calibration: references more than 2 % apart are said, with the
// offer to calibrate again (Sì: the same photo as just loaded and Inizia
// pressed, the rejected references' marks gone, the view kept).
void CheckReferences(MeasureEngine& engine, ImageSurface& surface, WindowDialogs& dialogs,
                     const LocaleNumbers& locale);

}  // namespace vardesca
