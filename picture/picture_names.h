// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vardesca {

// The photos of a survey sit in one folder, named by the camera (IMG_2.JPG …
// IMG_10.JPG). Going from one to the next follows the order a file manager
// shows, so that the user meets them in the order seen there.

// What the annotated copy of a photo adds to its name (foto.jpg →
// foto-misure.jpg). Such copies are the program's output, not photos to measure,
// and the folder's order passes over them.
inline constexpr const char* kAnnotatedNameMark = "-misure";

// Whether a file name ends in one of the kinds the program opens (any case).
[[nodiscard]] bool IsPictureName(const QString& fileName);

// A file manager's order: runs of digits compare as numbers (IMG_2 before
// IMG_10), the rest without regard to case; a total order, so two names that
// differ only in case still come in one fixed order.
[[nodiscard]] bool NaturalLess(const QString& a, const QString& b);

// The file names of the pictures in `folder`, in that order.
[[nodiscard]] QStringList PicturesInFolder(const QString& folder);

// The name `step` places after (+1) or before (-1) `name` in `names` (in the
// folder's order); `name` need not be among them. Nothing past either end.
[[nodiscard]] std::optional<QString> NeighbourIn(const QStringList& names, const QString& name,
                                                 int step);

}  // namespace vardesca
