// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include "commands/results_export.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_window_dialogs.h"
#include "window/app_text.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

using testing::ReadAll;

// The export on its own: the text it is given, the dialogs it asks.
class ExportTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void ExportToFile(const QString& path) {
        dialogs.answers = {Answer::No};
        dialogs.files = {path};
        exporter.CopiaDati(text);
    }

    QTemporaryDir dir;
    testing::ScriptedWindowDialogs dialogs;
    ResultsExport exporter{dialogs};
    std::string text;
};

TEST_F(ExportTest, YesPutsTheExactTextOnTheClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const std::string& given : {std::string(app_text::kStartupText), std::string(),
                                     std::string("1\t2,22\r\nnota: trota àè\r\n2\t7,41\r\n")}) {
        dialogs.answers = {Answer::Yes};
        exporter.CopiaDati(given);
        EXPECT_EQ(clipboard->text(QClipboard::Clipboard).toStdString(), given);
    }
    const auto asked = dialogs.Messages().front();
    EXPECT_EQ(asked.title, "Vuoi copiare i dati per incollarli altrove?");
    EXPECT_TRUE(asked.text.startsWith("Clicca Si per copiare i dati negli appunti"));
    EXPECT_EQ(asked.buttons, WindowDialogs::Buttons::YesNoCancel);
}

TEST_F(ExportTest, NoWritesTheTextPlusCrLfAndReplacesTheFile) {
    const QString path = dir.filePath(QStringLiteral("misure"));  // no extension added
    text = "1\t2,22\r\nnota àè\r\n";
    ExportToFile(path);
    EXPECT_EQ(ReadAll(path), QByteArray("1\t2,22\r\nnota \xC3\xA0\xC3\xA8\r\n\r\n"));
    // Second export: the same name is offered again and the file is replaced.
    text = "x";
    ExportToFile(path);
    EXPECT_EQ(dialogs.shown.back().text, path);
    EXPECT_EQ(ReadAll(path), QByteArray("x\r\n"));
    // An empty box gives a file holding CR LF alone.
    text.clear();
    ExportToFile(path);
    EXPECT_EQ(ReadAll(path), QByteArray("\r\n"));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(ExportTest, CancelWritesNothing) {
    const QString path = dir.filePath(QStringLiteral("mai.txt"));
    dialogs.answers = {Answer::Cancel};
    exporter.CopiaDati("dati");
    dialogs.answers = {Answer::No};
    dialogs.files = {QString()};  // save dialog cancelled
    exporter.CopiaDati("dati");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(dialogs.shown.size(), 3u);  // question, question, save dialog
}

TEST_F(ExportTest, FailedWritesKeepTheOldFileAndTheText) {
    const QString path = dir.filePath(QStringLiteral("vecchio.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("dati di ieri\r\n");
    }
    text = "1\t2,22\r\n";
    // The file read-only for everyone, a folder that does not exist, and a
    // folder as the target.
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    ExportToFile(path);
    ExportToFile(dir.filePath(QStringLiteral("manca/misure.txt")));
    ExportToFile(dir.path());

    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 6u);  // three questions, three failures
    for (const std::size_t i : {1u, 3u, 5u}) {
        EXPECT_TRUE(messages[i].text.startsWith("Impossibile salvare il file")) << i;
        EXPECT_EQ(messages[i].icon, WindowDialogs::Icon::Warning);
    }
    EXPECT_TRUE(messages[1].text.contains(path));
    EXPECT_EQ(ReadAll(path), QByteArray("dati di ieri\r\n"));
    EXPECT_TRUE(messages[1].text.contains(QStringLiteral("sola lettura")));
    // No temporary file left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("vecchio.txt")});
}

}  // namespace
}  // namespace vardesca
