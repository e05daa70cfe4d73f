// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>

class QMimeData;

namespace vardesca {

// A file dropped on the window from a file manager: the window takes the drop,
// and the first local file among what was dropped is handed to `open`. Text or
// a web address is not taken.
class PhotoDrop : public QObject {
  public:
    PhotoDrop(QWidget& window, std::function<void(const QString&)> open);

    [[nodiscard]] static QString DroppedFile(const QMimeData& data);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void(const QString&)> open_;
};

}  // namespace vardesca
