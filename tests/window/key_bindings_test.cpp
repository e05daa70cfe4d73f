// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/key_bindings.h"

#include <gtest/gtest.h>
#include <set>

namespace vardesca {
namespace {

TEST(KeyBindingsTest, EveryKeyIsListedOnceAndNoKeyIsBoundTwice) {
    const QString help = KeysHelpText();
    std::set<QString> keys;
    for (const KeyBinding& binding : KeyBindings()) {
        // Its line is in the list, and names the key as the list writes it.
        const QString line = QStringLiteral("  ") + QString::fromUtf8(binding.help) + '\n';
        EXPECT_EQ(help.count(line), 1) << binding.help;
        EXPECT_TRUE(line.contains(QString::fromUtf8(binding.shown))) << binding.shown;
        // Single keys type in the results box: they must never act there.
        for (const QKeySequence& key : binding.keys) {
            EXPECT_TRUE(keys.insert(key.toString()).second) << qPrintable(key.toString());
            const bool plain = (key[0].keyboardModifiers() & Qt::ControlModifier) == 0 &&
                               key[0].key() != Qt::Key_F1;
            EXPECT_EQ(binding.scope == KeyScope::OutsideResultsBox, plain)
                << qPrintable(key.toString());
        }
    }
}

TEST(KeyBindingsTest, TheListReadsAsTheUserKnowsIt) {
    const QString help = KeysHelpText();
    EXPECT_TRUE(help.startsWith("Mouse sulla foto\n  Clic (qualsiasi tasto)"));
    EXPECT_TRUE(
        help.contains("\n\nTastiera, ovunque\n  Ctrl+0: foto intera nella finestra; "
                      "Ctrl+1: 100 %\n  Ctrl++ e Ctrl+-: ingrandisce e riduce\n"));
    EXPECT_TRUE(
        help.contains("Tab e Maiusc+Tab: passano da un comando all'altro\n\n"
                      "Tastiera, fuori dal riquadro dei risultati\n  Frecce: scorrono la "
                      "foto\n  Backspace:"));
    EXPECT_TRUE(
        help.contains("sulla foto\n\nNel riquadro dei risultati ogni tasto scrive, e "
                      "Ctrl+Z, Ctrl+Maiusc+Z, Ctrl+A, Ctrl+C, Ctrl+V e Ctrl+X agiscono "
                      "sul testo.\n\n"));
    // Last, where the measurements are kept, by the file's own name.
    EXPECT_TRUE(
        help.endsWith("\n\nLe misure di ogni foto restano nel file misure-vardesca.csv "
                      "della sua cartella: riaprendo la foto, anche un altro giorno, "
                      "tornano la calibrazione e i punti, e si continua dal numero "
                      "successivo."));
}

}  // namespace
}  // namespace vardesca
