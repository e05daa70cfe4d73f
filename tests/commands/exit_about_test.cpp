// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QTest>

#include "commands/about.h"
#include "tests/support/form1_fixture.h"
#include "window/app_text.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

// Esci, the close box and Vardesca?, through the window that routes them.
class ExitAboutTest : public testing::Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        window.Session().SetQuit([this] { ++quits; });
    }
    int quits = 0;
};

TEST_F(ExitAboutTest, ExitAsksAndEndsOnlyOnYes) {
    window.Text1->SetText("1\t2\r\n");
    dialogs.answers = {Answer::No};
    window.Esci_Click();
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
    const auto asked = dialogs.Messages().back();
    EXPECT_EQ(asked.text, "Vuoi veramente uscire?");
    EXPECT_EQ(asked.title, "");  // the box shows "Vardesca"
    EXPECT_EQ(asked.buttons, WindowDialogs::Buttons::YesNo);
    dialogs.answers = {Answer::Yes};
    window.Esci_Click();
    EXPECT_EQ(quits, 1);
}

TEST_F(ExitAboutTest, CloseBoxAsksTheSameQuestion) {
    dialogs.answers = {Answer::No};
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(dialogs.Messages().back().text, "Vuoi veramente uscire?");
    dialogs.answers = {Answer::Yes};
    EXPECT_TRUE(window.close());
}

TEST_F(ExitAboutTest, AboutIsOneItalianParagraph) {
    window.Info_Click();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    const auto about = dialogs.Messages()[0];
    EXPECT_EQ(about.title, "Vardesca?");
    EXPECT_EQ(about.buttons, WindowDialogs::Buttons::Ok);
    EXPECT_FALSE(about.text.contains('\n'));
    EXPECT_TRUE(about.text.endsWith(' '));
    EXPECT_TRUE(about.text.contains(QStringLiteral("pesci")));
    EXPECT_EQ(window.Text1->GetText(), app_text::kStartupText);
}

}  // namespace
}  // namespace vardesca
