// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/results_box.h"

#include <gtest/gtest.h>
#include <QScrollBar>
#include <QTest>

#include "window/app_text.h"

namespace vardesca {
namespace {

TEST(ResultsBoxTest, GivesEveryLineBreakAsCrLf) {
    ResultsBox box(nullptr);
    box.SetText(app_text::kStartupText);
    const std::string text = box.GetText();
    EXPECT_EQ(text.size(), 245u);
    EXPECT_EQ(text, app_text::kStartupText);

    box.SetText("a\nb\rc\r\nd");
    EXPECT_EQ(box.GetText(), "a\r\nb\r\nc\r\nd");
    box.SetText("");
    EXPECT_EQ(box.GetText(), "");
}

TEST(ResultsBoxTest, EnterTypedByTheUserIsCrLfToo) {
    ResultsBox box(nullptr);
    box.SetText("1\t2,22\r\n");
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, QStringLiteral("nota"));
    QTest::keyClick(&box, Qt::Key_Return);
    box.insertPlainText(QStringLiteral("àè"));
    EXPECT_EQ(box.GetText(), "1\t2,22\r\nnota\r\n\xC3\xA0\xC3\xA8");
}

TEST(ResultsBoxTest, EveryKindOfBreakComesOutAsCrLf) {
    ResultsBox box(nullptr);
    box.SetText("1\t2\r\n");
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, QStringLiteral("a"));
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);  // a line separator, U+2028
    QTest::keyClicks(&box, QStringLiteral("b"));
    EXPECT_EQ(box.GetText(), "1\t2\r\na\r\nb");
    // Appended text with a lone CR and a lone LF: each one break, given as CR LF.
    box.SetText(box.GetText() + "\rc\nd");
    EXPECT_EQ(box.GetText(), "1\t2\r\na\r\nb\r\nc\r\nd");
}

TEST(ResultsBoxTest, AppendingKeepsTheUsersCursorAndShowsTheNewLine) {
    ResultsBox box(nullptr);
    box.resize(120, 200);
    std::string text;
    for (int i = 1; i <= 200; ++i) {
        text += std::to_string(i) + "\t1,5\r\n";
    }
    box.SetText(text);
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(3);
    box.setTextCursor(cursor);
    box.document()->setModified(false);

    box.SetText(text + "201\t2\r\n");
    EXPECT_EQ(box.GetText(), text + "201\t2\r\n");
    EXPECT_EQ(box.textCursor().position(), 3);
    EXPECT_EQ(box.verticalScrollBar()->value(), box.verticalScrollBar()->maximum());
    // A line the program wrote is not the box's own undo to take back.
    box.undo();
    EXPECT_EQ(box.GetText(), text + "201\t2\r\n");
    // Writing what is already there forgets nothing the user typed since.
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, QStringLiteral("nota"));
    box.SetText(box.GetText());
    box.undo();
    EXPECT_EQ(box.GetText(), text + "201\t2\r\n");
}

TEST(ResultsBoxTest, CuttingTheLastLineKeepsTheRestAndTheCursor) {
    ResultsBox box(nullptr);
    // Non-BMP characters and accents count as the document counts them.
    box.SetText("nota \xF0\x9F\x90\x9F \xC3\xA8\r\n1\t2\r\n2\t3\r\n");
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(2);
    box.setTextCursor(cursor);
    box.SetText("nota \xF0\x9F\x90\x9F \xC3\xA8\r\n1\t2\r\n");
    EXPECT_EQ(box.GetText(), "nota \xF0\x9F\x90\x9F \xC3\xA8\r\n1\t2\r\n");
    EXPECT_EQ(box.textCursor().position(), 2);
    EXPECT_EQ(box.toPlainText(), QStringLiteral("nota \U0001F41F \u00E8\n1\t2\n"));
    box.SetText("");
    EXPECT_EQ(box.GetText(), "");
    EXPECT_EQ(box.document()->characterCount(), 1);  // nothing left but the end
}

TEST(ResultsBoxTest, TextThatDoesNotExtendTheOldOneReplacesIt) {
    ResultsBox box(nullptr);
    box.SetText("1\t2\r\n2\t3\r\n");
    box.SetText("1\t2\r\n");
    EXPECT_EQ(box.GetText(), "1\t2\r\n");
    box.SetText("altro");
    EXPECT_EQ(box.GetText(), "altro");
}

// A line rewritten in the middle (a moved point) changes only what differs:
// the bytes come back exact, next to characters of several bytes and line
// breaks too, and the user's cursor stays on the text it was in.
TEST(ResultsBoxTest, ALineRewrittenInTheMiddleLeavesTheRestAndTheCursor) {
    ResultsBox box(nullptr);
    box.SetText("\xF0\x9F\x90\x9F\r\n1\t2\r\nnota \xC3\xA0\r\n2\t1,5\r\nfine");
    QTextCursor cursor = box.textCursor();
    cursor.movePosition(QTextCursor::End);
    box.setTextCursor(cursor);
    const int end = cursor.position();
    box.SetText("\xF0\x9F\x90\x9F\r\n1\t2,25\r\nnota \xC3\xA0\r\n2\t1,5\r\nfine");
    EXPECT_EQ(box.GetText(), "\xF0\x9F\x90\x9F\r\n1\t2,25\r\nnota \xC3\xA0\r\n2\t1,5\r\nfine");
    EXPECT_EQ(box.textCursor().position(), end + 3);
    EXPECT_EQ(box.toPlainText(), QStringLiteral("\U0001F41F\n1\t2,25\nnota \u00E0\n2\t1,5\nfine"));
    // The two texts differ within one character's bytes (à, á) and at a break.
    box.SetText("\xF0\x9F\x90\x9F\r\n1\t2,25\r\nnota \xC3\xA1\r\n\r\n2\t1,5\r\nfine");
    EXPECT_EQ(box.GetText(), "\xF0\x9F\x90\x9F\r\n1\t2,25\r\nnota \xC3\xA1\r\n\r\n2\t1,5\r\nfine");
    EXPECT_EQ(box.toPlainText(),
              QStringLiteral("\U0001F41F\n1\t2,25\nnota \u00E1\n\n2\t1,5\nfine"));
}

}  // namespace
}  // namespace vardesca
