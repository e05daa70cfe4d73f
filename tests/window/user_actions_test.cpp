// SPDX-License-Identifier: GPL-3.0-or-later
// The one door every action goes through, against its table: each action gets
// exactly what its row says, and nothing a row does not say.
#include "window/user_actions.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <stdexcept>

#include "commands/annotated_photo.h"
#include "session/journal_dialogs.h"
#include "tests/support/scripted_window_dialogs.h"
#include "text/qt_locale_numbers.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/form1.h"
#include "window/key_bindings.h"
#include "window/stale_clicks.h"

namespace vardesca {
namespace {

class UserActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        top.resize(200, 100);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
        stale.UseMarkSender(
            [this](std::uint32_t, std::uint32_t) {
                ++marks;
                return true;
            },
            131, 777);
        recording.SetRecorder([this](const JournalRecord& r) { written.push_back(r); });
    }

    // Every box the door said, but the replies asked inside an action.
    [[nodiscard]] int Boxes(const char* italian) const {
        int count = 0;
        for (const auto& shown : dialogs.shown) {
            count += shown.text.contains(UiText(italian).left(20)) ? 1 : 0;
        }
        return count;
    }

    QWidget top;
    StaleClicks stale{top};
    int marks = 0;
    testing::ScriptedWindowDialogs dialogs;
    JournalDialogs recording{dialogs};
    std::vector<JournalRecord> written;
    int flushes = 0;
    bool saving = false;
    UserActions door{
        dialogs, recording, stale, [this] { return saving; },
        UserActions::Journal{[this] { ++flushes; },
                             [this](const JournalRecord& r) { written.push_back(r); }}};
};

TEST_F(UserActionsTest, EveryActionGetsWhatItsRowSaysDuringASaveAndOutOfOne) {
    for (const ActionRule& rule : ActionRules()) {
        if (rule.action == UserAction::None) {
            continue;
        }
        SCOPED_TRACE(static_cast<int>(rule.action));
        int ran = 0;
        int after = 0;
        door.Define(
            rule.action,
            [&](const ActionArgs& args) {
                ++ran;
                EXPECT_EQ(args.x, 3.5f);
                dialogs.inputs = {QStringLiteral("7")};
                (void)recording.Input(QStringLiteral("t"), QStringLiteral("p"));
                throw std::runtime_error("a fault in the work");
            },
            [&] { ++after; });
        const ActionArgs args{.x = 3.5f, .y = 4.0f, .path = {}};

        saving = true;
        dialogs.shown.clear();
        written.clear();
        door.Perform(rule.action, args);
        EXPECT_EQ(ran, rule.duringSave ? 1 : 0);
        EXPECT_EQ(Boxes(annotated_text::kWaitForSave), rule.duringSave ? 0 : 1);

        saving = false;
        ran = 0;
        after = 0;
        dialogs.shown.clear();
        written.clear();
        const int marksBefore = marks;
        const int flushesBefore = flushes;
        door.Perform(rule.action, args);
        EXPECT_EQ(ran, 1);
        EXPECT_EQ(after, 1);  // the work's failure does not skip what follows it
        EXPECT_EQ(Boxes(app_text::kErrorText), 1);
        EXPECT_EQ(marks - marksBefore, rule.holds == ActionRule::Hold::AfterWork ? 1 : 0);
        if (!rule.record) {
            EXPECT_TRUE(written.empty());
            continue;
        }
        // Recorded before it runs, with the reply it got after it; or, when
        // recovery needs nothing of it, once it has run, with no reply.
        JournalRecord record = rule.record == RecordKind::Click
                                   ? journal_record::Click(3.5f, 4.0f)
                                   : journal_record::Action(*rule.record);
        if (rule.record == RecordKind::Move) {
            record = journal_record::Move({PointId{}, 3.5f, 4.0f, false});
        }
        if (rule.recordAfter) {
            EXPECT_EQ(written, std::vector<JournalRecord>{record});
        } else {
            EXPECT_EQ(flushes - flushesBefore, 1);
            EXPECT_EQ(written, (std::vector<JournalRecord>{record, {"reply", {"7"}}}));
            EXPECT_EQ(ReplayedBy(*rule.record).has_value(), true);
            EXPECT_EQ(RuleOf(*ReplayedBy(*rule.record)).record, rule.record);
        }
    }
}

TEST_F(UserActionsTest, AnActionThatDoesNotApplyDoesNothingAndIsNotJournaled) {
    int ran = 0;
    bool calibrating = false;
    door.Define(
        UserAction::Click, [&](const ActionArgs&) { ++ran; }, {},
        [&](const ActionArgs&) { return calibrating; });
    door.Define(
        UserAction::Undo, [&](const ActionArgs&) { ++ran; }, {},
        [&](const ActionArgs&) { return false; });
    // A press before calibrating is nothing, even during a save: no box.
    saving = true;
    door.Perform(UserAction::Click);
    EXPECT_TRUE(dialogs.shown.empty());
    // Ctrl+Z during a save says why it waits, as it always did.
    door.Perform(UserAction::Undo);
    EXPECT_EQ(Boxes(annotated_text::kWaitForSave), 1);
    saving = false;
    door.Perform(UserAction::Undo);
    door.Perform(UserAction::Click);
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(written.empty());
    calibrating = true;
    door.Perform(UserAction::Click);
    EXPECT_EQ(ran, 1);
    ASSERT_EQ(written.size(), 1U);
    // Replayed by the action that recorded it.
    EXPECT_EQ(ReplayedBy(RecordKind::Click), UserAction::Click);
    EXPECT_EQ(ReplayedBy(RecordKind::Undo), UserAction::Undo);
    EXPECT_EQ(ReplayedBy(RecordKind::Inizia), UserAction::Inizia);
    EXPECT_EQ(ReplayedBy(RecordKind::Export), std::nullopt);
}

// The actions table of docs/ARCHITECTURE.md, as the rules and the key table
// make it (the F1 list is made from the same key table).
QString ActionsTable() {
    QString table = QStringLiteral(
        "| action | keys | also started by | during a save | journal record | holds the window "
        "| undoable |\n|---|---|---|---|---|---|---|\n");
    for (const ActionRule& rule : ActionRules()) {
        if (rule.action == UserAction::None) {
            continue;
        }
        QStringList keys;
        for (const KeyBinding& binding : KeyBindings()) {
            const QString shown = QString::fromUtf8(binding.shown);
            if (binding.action == rule.action && !keys.contains(shown)) {
                keys.push_back(shown);
            }
        }
        const QString record =
            rule.record ? QStringLiteral("`%1`%2").arg(
                              QString::fromUtf8(std::string(KindName(*rule.record)).c_str()),
                              rule.recordAfter ? QStringLiteral(", after it") : QString())
                        : QStringLiteral("—");
        const char* holds = rule.holds == ActionRule::Hold::AfterWork ? "after it"
                            : rule.holds == ActionRule::Hold::AtLoad  ? "when its decode ends"
                                                                      : "—";
        table += QStringLiteral("| `%1` | %2 | %3 | %4 | %5 | %6 | %7 |\n")
                     .arg(QString::fromUtf8(rule.name),
                          keys.isEmpty() ? QStringLiteral("—") : keys.join(QStringLiteral(", ")),
                          *rule.besides ? QString::fromUtf8(rule.besides) : QStringLiteral("—"),
                          rule.duringSave ? QStringLiteral("yes") : QStringLiteral("waits"), record,
                          QString::fromUtf8(holds),
                          rule.undoable ? QStringLiteral("yes") : QStringLiteral("—"));
    }
    return table;
}

TEST(ActionRulesTest, TheArchitecturesActionsTableIsWrittenFromTheRulesAndTheKeys) {
    QFile doc(QStringLiteral(VARDESCA_SOURCE "/docs/ARCHITECTURE.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    const QString begin = QStringLiteral(
        "<!-- actions table: written by ActionsTable() in "
        "tests/window/user_actions_test.cpp -->\n");
    const QString end = QStringLiteral("<!-- end of the actions table -->");
    const qsizetype from = text.indexOf(begin);
    const qsizetype to = text.indexOf(end);
    ASSERT_GE(from, 0);
    ASSERT_GT(to, from);
    const QString written = text.mid(from + begin.size(), to - from - begin.size());
    EXPECT_EQ(written, ActionsTable()) << "the table as it should stand:\n"
                                       << ActionsTable().toStdString();
}

// The window gives every action its work: a key or a button whose action it
// forgot would do nothing, with nothing said.
TEST(ActionRulesTest, TheWindowGivesEveryActionItsWork) {
    testing::ScriptedWindowDialogs dialogs;
    const QtLocaleNumbers locale{QLocale(QLocale::Italian, QLocale::Italy)};
    Form1 window(dialogs, locale);
    for (const ActionRule& rule : ActionRules()) {
        EXPECT_EQ(window.Actions().Defined(rule.action), rule.action != UserAction::None)
            << rule.name;
    }
}

TEST(ActionRulesTest, EveryKeyPerformsAnActionWithARow) {
    for (const KeyBinding& binding : KeyBindings()) {
        EXPECT_EQ(RuleOf(binding.action).action, binding.action) << binding.shown;
    }
}

}  // namespace
}  // namespace vardesca
