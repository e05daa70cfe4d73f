// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/completed_step.h"
#include "engine/measure_engine.h"
#include "view/image_surface.h"

namespace vardesca {

// The label a click, an undo or a redo earned, told from the engine's state
// `before` it and now: a measurement's number at the middle of its line, a
// reference's typed length ("2,5 cm", in the user's conventions); an undone
// measurement's label taken away.
void LabelWhatCompleted(ImageSurface& surface, const MeasureEngine& engine,
                        const EngineState& before, const LocaleNumbers& locale);

}  // namespace vardesca
