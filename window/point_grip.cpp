// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/point_grip.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "view/zoom.h"

namespace vardesca {

int LabelKey(const PointId& point) {
    return point.pair == PointId::Pair::Reference ? -1 - point.number : point.number;
}

PointGrip::PointGrip(ImageSurface& surface, Loupe& loupe, MeasureEngine& engine,
                     const TwipsScale& scale, UserActions& actions,
                     std::function<void(const MovePreview*)> preview)
    : surface_(surface),
      loupe_(loupe),
      engine_(engine),
      scale_(scale),
      actions_(actions),
      preview_(std::move(preview)) {
    surface_.installEventFilter(this);
}

PointGrip::~PointGrip() {
    qApp->removeEventFilter(this);
}

QPointF PointGrip::ToTwips(QPointF p) const {
    const double tpp = scale_.TwipsPerPixel();
    // As the surface reports a press: single precision, as the engine takes it.
    return {static_cast<float>(ScreenToPictureTwips(p.x(), surface_.Zoom(), tpp)),
            static_cast<float>(ScreenToPictureTwips(p.y(), surface_.Zoom(), tpp))};
}

bool PointGrip::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (dragging_ && (type == QEvent::KeyPress || type == QEvent::ShortcutOverride)) {
        // The drag holds the keyboard: no shortcut runs in the middle of it.
        const auto* key = static_cast<QKeyEvent*>(event);
        event->accept();
        if (type == QEvent::KeyPress && key->key() == Qt::Key_Escape) {
            LetGo();
        }
        return true;
    }
    if (watched != &surface_) {
        return false;
    }
    if (type == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && Press(mouse->position());
    }
    if (type == QEvent::MouseMove && hold_ &&
        !static_cast<QMouseEvent*>(event)->buttons().testFlag(Qt::LeftButton)) {
        LetGo();  // its release went elsewhere (a box took the mouse): no drag
        return false;
    }
    if (type == QEvent::MouseMove && hold_) {
        // Out of memory in the middle of a drag: the point back where it was,
        // the box said, and the window goes on.
        actions_.Guard([&] {
            try {
                Move(static_cast<QMouseEvent*>(event)->position());
            } catch (...) {
                LetGo();
                throw;
            }
        });
        return false;  // the loupe follows the pointer as ever
    }
    if (type == QEvent::MouseButtonRelease && hold_ &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Release();
        return true;
    }
    return false;
}

bool PointGrip::Press(const QPointF& at) {
    if (hold_) {
        LetGo();  // a press with a hold still on: the last one lost its release
    }
    const QPointF twips = ToTwips(at);
    const double reach = kReachPixels * scale_.TwipsPerPixel() / surface_.Zoom();
    const auto near = engine_.PointNear(static_cast<float>(twips.x()),
                                        static_cast<float>(twips.y()), static_cast<float>(reach));
    if (!near) {
        return false;  // a click at once, as ever
    }
    const QPointF point(near->x, near->y);
    hold_ = Hold{near->id, at, twips, point, point};
    return true;
}

void PointGrip::Move(const QPointF& at) {
    if (!dragging_) {
        if ((at - hold_->press).manhattanLength() <= QApplication::startDragDistance()) {
            return;  // a trembling click is never a drag
        }
        dragging_ = true;
        ringing_ = true;
        qApp->installEventFilter(this);
    }
    // The point keeps its distance from the pointer: it does not jump to it.
    const QPointF target = hold_->pointTwips + (ToTwips(at) - hold_->pressTwips);
    const auto shown = engine_.PreviewMove(hold_->point, static_cast<float>(target.x()),
                                           static_cast<float>(target.y()));
    if (!shown) {
        return;  // where it cannot go: it stays where last shown
    }
    const bool first = hold_->point.end == 0 || hold_->point.pair == PointId::Pair::Pending;
    hold_->targetTwips = first ? QPointF(shown->xa, shown->ya) : QPointF(shown->xb, shown->yb);
    FollowLabel(hold_->point, shown->xa, shown->ya, shown->xb, shown->yb);
    surface_.SetSelection(hold_->targetTwips);
    loupe_.Follow(scale_.ToPixels(hold_->targetTwips.x(), hold_->targetTwips.y()) *
                  surface_.Zoom());
    preview_(&*shown);
}

void PointGrip::Release() {
    const Hold hold = *hold_;
    const bool dragged = dragging_;
    LetGo();
    ActionArgs args;
    if (!dragged) {
        args.x = static_cast<float>(hold.pressTwips.x());
        args.y = static_cast<float>(hold.pressTwips.y());
        actions_.Perform(UserAction::Click, args);
        return;
    }
    if (hold.targetTwips == hold.pointTwips) {
        return;  // dragged and brought back: nothing moved
    }
    args.x = static_cast<float>(hold.targetTwips.x());
    args.y = static_cast<float>(hold.targetTwips.y());
    args.point = hold.point;
    actions_.Perform(UserAction::MovePoint, args);
}

void PointGrip::LetGo() {
    const std::optional<Hold> hold = std::exchange(hold_, std::nullopt);
    if (!std::exchange(dragging_, false)) {
        return;
    }
    qApp->removeEventFilter(this);
    engine_.EndPreview();
    loupe_.Follow(std::nullopt);
    const auto a = engine_.PointAt({hold->point.pair, hold->point.number, 0});
    const auto b = engine_.PointAt({hold->point.pair, hold->point.number, 1});
    if (a && b) {
        FollowLabel(hold->point, a->x, a->y, b->x, b->y);
    }
    ShowSelection();
    preview_(nullptr);
}

void PointGrip::FollowLabel(const PointId& point, float xa, float ya, float xb, float yb) {
    if (point.pair != PointId::Pair::Pending) {
        surface_.MoveLabel(LabelKey(point), xa, ya, xb, yb);
    }
}

void PointGrip::ShowSelection() {
    const std::optional<PointId> last = ringing_ ? engine_.LastPoint() : std::nullopt;
    const std::optional<PlacedPoint> at = last ? engine_.PointAt(*last) : std::nullopt;
    surface_.SetSelection(at ? std::optional<QPointF>(QPointF(at->x, at->y)) : std::nullopt);
}

}  // namespace vardesca
