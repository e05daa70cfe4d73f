// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon as PNG files of the given sizes, for the desktop's
// hicolor theme: make_icons OUTPUT_DIR SIZE...
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "window/app_icon.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR SIZE...\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0 || !vardesca::DrawRulersIcon(size).save(
                             out.filePath(QStringLiteral("vardesca-%1.png").arg(size)))) {
            std::fprintf(stderr, "cannot write the %s px icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
