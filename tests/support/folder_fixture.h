// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <QColor>
#include <QImage>
#include <QTemporaryDir>

namespace vardesca::testing {

// A folder of its own, and small photos made in it under any name.
class FolderFixture : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Make(const QString& name, QColor colour = Qt::darkGreen) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));  // the content's kind, whatever the name
        return path;
    }
    QTemporaryDir dir;
};

}  // namespace vardesca::testing
