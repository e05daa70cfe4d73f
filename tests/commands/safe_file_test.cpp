// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/safe_file.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include "tests/support/as_nobody.h"
#include "tests/support/file_bytes.h"
#include "tests/support/sync_watch.h"

namespace vardesca {
namespace {

using testing::AsNobody;
using testing::InChild;

using testing::ReadAll;

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every file in `dir`, hidden ones included.
QStringList Files(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(SaveFailureTest, EachSystemErrorHasItsOwnReason) {
    struct Row {
        int error;
        SaveStep step;
        const char* reason;
    };
    const Row rows[] = {
        {EROFS, SaveStep::Create, save_text::kReadOnlyFileSystem},
        {EROFS, SaveStep::Replace, save_text::kReadOnlyFileSystem},
        {ENOSPC, SaveStep::Write, save_text::kDiskFull},
        {EDQUOT, SaveStep::Write, save_text::kQuotaExceeded},
        {EFBIG, SaveStep::Write, save_text::kTooBig},
        {EACCES, SaveStep::Create, save_text::kFolderNotWritable},
        {EACCES, SaveStep::Replace, save_text::kCannotReplace},
        {EPERM, SaveStep::Write, save_text::kPermissionDenied},
        {ENOENT, SaveStep::Create, save_text::kNoFolder},
        {EIO, SaveStep::Write, save_text::kWriteFailed},
        {EBUSY, SaveStep::Replace, save_text::kCannotReplace},
        {EMFILE, SaveStep::Create, save_text::kFolderNotWritable},
    };
    QStringList reasons;
    for (const Row& row : rows) {
        EXPECT_EQ(SaveFailure(row.error, row.step).Reason(), QString::fromUtf8(row.reason))
            << row.error;
        reasons << SaveFailure(row.error, row.step).Reason();
    }
    // Five errors the user can act on, five different reasons.
    reasons = reasons.mid(0, 5);
    reasons.removeDuplicates();
    EXPECT_EQ(reasons.size(), 4);  // EROFS twice
}

TEST(SafeFileTest, PastTheFileSizeLimitTheSaveFailsAndTheProgramLives) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("misure.txt"));
    WriteFile(path, "dati di ieri\r\n");
    // In a child, with the program's own signal set-up: without it the limit
    // ends the process with SIGXFSZ.
    const int result = InChild([&] {
        IgnoreFileSizeSignal();
        rlimit small{};
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 1000;
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) {
            return 98;
        }
        const Outcome failure = WriteFileSafely(path, QByteArray(5000, 'x'));
        return failure && failure->Reason() == QString::fromUtf8(save_text::kTooBig) ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(path), "dati di ieri\r\n");
    EXPECT_EQ(Files(dir.path()), QStringList{QStringLiteral("misure.txt")});
}

// The saved bytes are on the disk before they take the old file's name: a
// power cut right after a save leaves the new file or the old, never an empty
// one.
TEST(SafeFileTest, TheSavedFileIsSyncedBeforeItTakesTheName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("misure.txt"));
    ASSERT_EQ(WriteFileSafely(path, "ieri"), std::nullopt);
    testing::ForgetSyncs();
    ASSERT_EQ(WriteFileSafely(path, "oggi"), std::nullopt);
    EXPECT_TRUE(testing::Synced(QFile::encodeName(path).constData()));
}

// A folder or a pipe at the name chosen is not a results file: the save says
// so, and what stands there stays what it was.
TEST(SafeFileTest, AFolderOrAPipeAtTheNameIsRefusedAndLeftAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("cartella.txt"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString pipe = dir.filePath(QStringLiteral("tubo.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString& path : {folder, pipe}) {
        const Outcome failure = WriteFileSafely(path, "dati");
        ASSERT_TRUE(failure) << path.toStdString();
        EXPECT_EQ(failure->Reason(), Because(save_text::kNotRegular).Reason());
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_TRUE(Files(dir.path()).isEmpty());  // no temporary left beside them
}

TEST(SafeFileTest, TheTemporaryIsHiddenNamedAfterItsTargetAndGoesWhenNotCommitted) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foto-misure.png"));
    EXPECT_EQ(TemporaryName(path, 1234),
              dir.filePath(QStringLiteral(".foto-misure.png.vardesca-1234.tmp")));
    {
        SafeFile file;
        ASSERT_EQ(file.Open(path), std::nullopt);
        ASSERT_EQ(file.Write("mezzo"), std::nullopt);
        EXPECT_EQ(Files(dir.path()),
                  QStringList{QFileInfo(TemporaryName(path, getpid())).fileName()});
    }  // cancelled
    EXPECT_TRUE(Files(dir.path()).isEmpty());
    // Committed: the new file keeps the old one's permissions.
    WriteFile(path, "ieri");
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    ASSERT_EQ(WriteFileSafely(path, "oggi"), std::nullopt);
    EXPECT_EQ(ReadAll(path), "oggi");
    EXPECT_EQ(QFile::permissions(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                            QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(Files(dir.path()), QStringList{QStringLiteral("foto-misure.png")});
}

TEST(SafeFileTest, ASaveRemovesOnlyItsTargetsLeftoversOfProcessesGone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foto-misure.png"));
    // A process id that ran and is gone, and one that runs (this test's).
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const QString dead = TemporaryName(path, gone);
    const QString alive = TemporaryName(path, getppid());
    const QString otherTarget = TemporaryName(dir.filePath(QStringLiteral("altra.png")), gone);
    const QString notOurs = dir.filePath(QStringLiteral(".foto-misure.png.altro-1.tmp"));
    for (const QString& leftover : {dead, alive, otherTarget, notOurs}) {
        WriteFile(leftover, QByteArray(97, 'x'));
    }
    ASSERT_EQ(WriteFileSafely(path, "oggi"), std::nullopt);
    EXPECT_FALSE(QFile::exists(dead));
    for (const QString& kept : {alive, otherTarget, notOurs}) {
        EXPECT_TRUE(QFile::exists(kept)) << kept.toStdString();
    }
}

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
        {"someone else's, 0646, but a member of its read-only group",
         {0646, 1001, 27},
         alice,
         false},
        {"root, a user's 0644", {0644, 1000, 1000}, root, true},
        {"root, a file nobody may write", {0444, 1000, 1000}, root, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MayWrite(row.file, row.user), row.may) << row.what;
    }
    EXPECT_EQ(CurrentUser().uid, geteuid());
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
        return failure && failure->Reason() ==
                              QStringLiteral("impossibile sostituire il file esistente")
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
        return failure && failure->Reason().contains(QStringLiteral("cartella")) ? 0 : 1;
    });
    chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(result, 0);  // refused
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "dati di ieri");
}

}  // namespace
}  // namespace vardesca
