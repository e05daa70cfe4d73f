// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace vardesca {

// The handle between the photo's view and the results box: dragged sideways,
// it says where the user wants the gap between them, and the window lays
// itself out again.
class ColumnHandle : public QWidget {
    Q_OBJECT

  public:
    explicit ColumnHandle(QWidget* parent);

  signals:
    // The handle's centre should stand at `x` (the parent's pixels).
    void Dragged(double x);
    void Released();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Where in the handle it was taken hold of, from its centre.
    double grip_ = 0;
    bool dragging_ = false;
};

}  // namespace vardesca
