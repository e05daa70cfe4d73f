// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointF>
#include <functional>
#include <optional>

#include "engine/measure_engine.h"
#include "view/image_surface.h"
#include "view/twips.h"
#include "window/loupe.h"
#include "window/user_actions.h"

namespace vardesca {

// Taking hold of a placed point with the mouse. A left press within 6 screen
// pixels of a point of this photo waits: moved further than the desktop's drag
// distance before its release it drags the point, and the release lets it go
// there (one action through the door, journaled); released sooner it is the
// click it would have been, at the press. A press anywhere else is a click at
// once, as ever.
//
// While dragging the point's marks and label follow, the loupe shows the
// point, the caption what it would measure; every key but Escape is held back,
// and Escape puts the point back.
class PointGrip : public QObject {
  public:
    static constexpr double kReachPixels = 6.0;

    // `preview` shows in the caption what the dragged point would give, or,
    // given nothing, what the engine now gives.
    PointGrip(ImageSurface& surface, Loupe& loupe, MeasureEngine& engine, const TwipsScale& scale,
              UserActions& actions, std::function<void(const MovePreview*)> preview);
    ~PointGrip() override;
    PointGrip(const PointGrip&) = delete;
    PointGrip& operator=(const PointGrip&) = delete;

    [[nodiscard]] bool Dragging() const { return dragging_; }
    // The selected point's ring where the engine's last point now is. The
    // ring shows from the first move on a photo (a drag or a nudge) until the
    // next load or Resetta: a user who never moves a point sees the marks
    // exactly as they have always been.
    void ShowSelection();
    void StartRinging() { ringing_ = true; }
    void StopRinging() { ringing_ = false; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Hold {
        PointId point;
        QPointF press;        // surface pixels
        QPointF pressTwips;   // the same, in picture twips
        QPointF pointTwips;   // where the point stood
        QPointF targetTwips;  // where it would go now
    };
    [[nodiscard]] QPointF ToTwips(QPointF surfacePixels) const;
    bool Press(const QPointF& at);
    void Move(const QPointF& at);
    void Release();
    // Back to no hold: the marks, the label, the loupe and the caption as the
    // engine's state has them.
    void LetGo();
    // The label of the point's pair beside the segment xa … yb.
    void FollowLabel(const PointId& point, float xa, float ya, float xb, float yb);

    ImageSurface& surface_;
    Loupe& loupe_;
    MeasureEngine& engine_;
    const TwipsScale& scale_;
    UserActions& actions_;
    std::function<void(const MovePreview*)> preview_;
    std::optional<Hold> hold_;
    bool dragging_ = false;
    bool ringing_ = false;
};

// The key of a pair's label on the surface: a measurement's number, or a
// reference's own below 1.
[[nodiscard]] int LabelKey(const PointId& point);

}  // namespace vardesca
