// SPDX-License-Identifier: GPL-3.0-or-later
// The real boxes and file dialogs, driven headless: a timer waits for the modal
// box to come up and answers it as a user would, with keys or buttons.
#include "dialogs/qt_window_dialogs.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace vardesca {
namespace {

// Runs `act` on the next modal widget that is not `besides`, as soon as it shows.
void WhenModal(std::function<void(QWidget*)> act, QWidget* besides = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, besides] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == besides || !modal->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

void Press(Qt::Key key) {
    WhenModal([key](QWidget* box) { QTest::keyClick(box, key); });
}

struct BoxCase {
    const char* name;
    WindowDialogs::Buttons buttons;
    Qt::Key key;
    WindowDialogs::Answer answer;
};

class QtBoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(QtBoxTest, KeysAnswerAsTheirButtonsSay) {
    QtWindowDialogs real(nullptr);
    WindowDialogs& dialogs = real;
    Press(GetParam().key);
    EXPECT_EQ(dialogs.ShowBox(QString(), QStringLiteral("Vuoi uscire?"), GetParam().buttons),
              GetParam().answer);
}

// A box comes up centred on the main window and stays so when the window
// moves under it (a window manager placing the window after the box showed).
TEST(QtBoxPlaceTest, ABoxStaysCentredOnTheMainWindow) {
    QWidget window;
    window.setGeometry(60, 80, 500, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QtWindowDialogs real(&window);
    WindowDialogs& dialogs = real;
    QPoint shownAt;
    QPoint afterMove;
    WhenModal([&](QWidget* box) {
        shownAt = box->frameGeometry().center();
        window.move(200, 250);
        afterMove = box->frameGeometry().center();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    dialogs.ShowBox(QString(), QStringLiteral("Recuperare la sessione?"),
                    WindowDialogs::Buttons::YesNo);
    const QPoint first = QRect(60, 80, 500, 400).center();
    EXPECT_LE((shownAt - first).manhattanLength(), 2);
    EXPECT_LE((afterMove - window.frameGeometry().center()).manhattanLength(), 2);

    WhenModal([&](QWidget* box) {
        window.move(10, 20);
        afterMove = box->frameGeometry().center();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    dialogs.Input(QString(), QStringLiteral("Lunghezza in cm"));
    EXPECT_LE((afterMove - window.frameGeometry().center()).manhattanLength(), 2);
}

using B = WindowDialogs::Buttons;
using A = WindowDialogs::Answer;
INSTANTIATE_TEST_SUITE_P(
    Keys, QtBoxTest,
    ::testing::Values(
        // Escape never answers Sì: on the exit question it would quit.
        BoxCase{"yes_no_escape_is_no", B::YesNo, Qt::Key_Escape, A::No},
        BoxCase{"yes_no_enter_is_yes", B::YesNo, Qt::Key_Return, A::Yes},
        BoxCase{"ok_cancel_escape_is_cancel", B::OkCancel, Qt::Key_Escape, A::Cancel},
        BoxCase{"three_buttons_escape_is_cancel", B::YesNoCancel, Qt::Key_Escape, A::Cancel},
        BoxCase{"ok_escape_is_ok", B::Ok, Qt::Key_Escape, A::Ok}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(QtBoxTest, ItalianButtonsAndTheProgramsTitle) {
    QtWindowDialogs real(nullptr);
    WindowDialogs& dialogs = real;
    QStringList texts;
    QString title;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QAbstractButton* button : box->buttons()) {
            texts << button->text();
        }
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dialogs.ShowBox(QString(), QStringLiteral("?"), B::YesNoCancel), A::No);
    texts.sort();
    EXPECT_EQ(texts, QStringList({"Annulla", "No", "Sì"}));
    EXPECT_EQ(title, "Vardesca");
}

TEST(QtInputTest, TheTypedTextOrNothingWhenCancelled) {
    QtWindowDialogs dialogs(nullptr);
    WhenModal([](QWidget* box) {
        QTest::keyClicks(box->findChild<QLineEdit*>(), "2,5");
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.Input(QString(), QStringLiteral("Quanti cm?")), "2,5");
    WhenModal([](QWidget* box) {
        QTest::keyClicks(box->findChild<QLineEdit*>(), "7");
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.Input(QString(), QStringLiteral("Quanti cm?")), "");
}

TEST(QtSaveDialogTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.filePath(QStringLiteral("misure.txt"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QtWindowDialogs dialogs(nullptr);

    // Accepted on the existing name: a question comes first; No goes back to the
    // dialog, which is then cancelled.
    int asked = 0;
    const auto acceptAndAnswer = [&](QMessageBox::StandardButton answer,
                                     std::function<void(QFileDialog*)> after) {
        WhenModal([&, answer, after](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            WhenModal(
                [&, answer](QWidget* question) {
                    auto* box = qobject_cast<QMessageBox*>(question);
                    ASSERT_NE(box, nullptr);
                    ++asked;
                    box->button(answer)->click();
                },
                dialog);
            static_cast<QDialog*>(dialog)->accept();  // as the Save button does
            after(dialog);
        });
    };
    acceptAndAnswer(QMessageBox::No, [](QFileDialog* dialog) {
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    EXPECT_EQ(dialogs.SaveFile(existing), std::nullopt);
    EXPECT_EQ(asked, 1);

    acceptAndAnswer(QMessageBox::Yes, [](QFileDialog*) {});
    EXPECT_EQ(dialogs.SaveFile(existing), existing);
    EXPECT_EQ(asked, 2);
}

}  // namespace
}  // namespace vardesca
