// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/resource.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>
#include <QDir>

#include "commands/results_export.h"
#include "tests/support/scripted_window_dialogs.h"
#include "window/app_text.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

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
    text = "1\t2,22\r\n" + std::string(5000, 'x');

    // A file larger than the process may write: the write fails half-way,
    // exactly as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ExportToFile(path);
    setrlimit(RLIMIT_FSIZE, &before);

    // A folder that does not exist, and a folder as the target.
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
    // No temporary file left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("vecchio.txt")});
}

TEST_F(ExportTest, ReadOnlyFileIsNotReplaced) {
    const QString path = dir.filePath(QStringLiteral("sola-lettura.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("ieri");
    f.close();
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    text = "oggi";
    ExportToFile(path);
    EXPECT_EQ(ReadAll(path), QByteArray("ieri"));
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_TRUE(dialogs.Messages()[1].text.contains(QStringLiteral("sola lettura")));
}

}  // namespace
}  // namespace vardesca

namespace vardesca {
namespace {

TEST(MayWriteTest, TheOwnerTheGroupOrTheRestByTheirOwnBits) {
    const UserIdentity alice{1000, {1000, 27}};
    const UserIdentity root{0, {0}};
    struct Row {
        const char* what;
        FileOwnership file;
        const UserIdentity& user;
        bool may;
    };
    const Row rows[] = {
        {"own file, 0644", {0644, 1000, 1000}, alice, true},
        {"own file, 0444", {0444, 1000, 1000}, alice, false},
        {"own file, 0464: the group's bit is not the owner's", {0464, 1000, 27}, alice, false},
        {"someone else's, 0644", {0644, 1001, 1001}, alice, false},
        {"someone else's, group 27 writable, a member", {0664, 1001, 27}, alice, true},
        {"someone else's, group writable, not a member", {0664, 1001, 50}, alice, false},
        {"someone else's, 0646: the others' bit", {0646, 1001, 50}, alice, true},
        {"someone else's, 0646, but a member of its read-only group", {0646, 1001, 27}, alice, false},
        {"root, a user's 0644", {0644, 1000, 1000}, root, true},
        {"root, a file nobody may write", {0444, 1000, 1000}, root, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MayWrite(row.file, row.user), row.may) << row.what;
    }
    EXPECT_EQ(CurrentUser().uid, geteuid());
}

}  // namespace
}  // namespace vardesca

namespace vardesca {
namespace {

// Runs `body` as an ordinary user (nobody) in a child process, since root may
// write anywhere; its exit status is the result. -1 when that cannot be done.
int AsNobody(const std::function<int()>& body) {
    if (geteuid() != 0) {
        return body();
    }
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(99);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(AtomicSaveTest, AFailedRenameIsReportedAndTheOldFileStays) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a file another user's";
    }
    // A sticky folder anyone may write, holding root's file that anyone may
    // write: nobody can write the new file beside it, but not rename it over.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 01777), 0);
    const QString path = dir.filePath(QStringLiteral("di-root.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("dati di ieri");
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther));
    const int result = AsNobody([&] {
        const Outcome failure = WriteFileSafely(path, "dati di oggi");
        return failure && failure->reason == QStringLiteral("impossibile sostituire il file esistente")
                   ? 0
                   : 1 + (failure ? 1 : 0);
    });
    EXPECT_EQ(result, 0);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "dati di ieri");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("di-root.txt")});
}

TEST(AtomicSaveTest, NeverFallsBackToWritingInPlace) {
    // A folder the user may not write, holding a file the user may: writing in
    // place would work, and would lose the old file on any failure half-way.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString folder = dir.filePath(QStringLiteral("chiusa"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/misure.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("dati di ieri");
    }
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const int result = AsNobody([&] {
        const Outcome failure = WriteFileSafely(path, "dati di oggi");
        return failure && failure->reason.contains(QStringLiteral("cartella")) ? 0 : 1;
    });
    chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(result, 0);  // refused
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "dati di ieri");
}

}  // namespace
}  // namespace vardesca
