// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <signal.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// The session played by journal_drill, killed with SIGKILL (or ended with
// SIGTERM) after a step, then recovered by a new start: the state must be the
// one printed just before the kill, and one more pair must give what it gives
// in a session never killed.
class KillDrillTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const auto& [name, colour] :
             {std::pair{"IMG_1.png", Qt::red}, {"IMG_2.png", Qt::green}}) {
            QImage image(400, 300, QImage::Format_RGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(dir.filePath(QString::fromLatin1(name)), "PNG"));
        }
    }

    static QString ReadLine(QProcess& p) {
        while (!p.canReadLine()) {
            if (!p.waitForReadyRead(20000)) {
                return {};
            }
        }
        return QString::fromUtf8(p.readLine()).trimmed();
    }
    static std::string After(const QString& line, const QString& tag) {
        return (line.startsWith(tag) ? line.mid(tag.size()) : QStringLiteral("<%1>").arg(line))
            .toStdString();
    }
    static std::string StepState(const QString& line) {  // "STEP i <state>"
        return line.section(QLatin1Char(' '), 2).toStdString();
    }

    // Plays up to step `k`, stops it with `signal`; what was shown then.
    std::string PlayAndStop(const QString& state, int k, int signal) {
        ForgetMeasurements();
        QProcess play;
        play.start(QStringLiteral(VARDESCA_DRILL), {QStringLiteral("play"), state, dir.path()});
        EXPECT_TRUE(play.waitForStarted());
        QString line;
        for (int i = 1; i <= k; ++i) {
            line = ReadLine(play);
            if (i < k) {
                play.write("\n");
            }
        }
        ::kill(static_cast<pid_t>(play.processId()), signal);
        play.waitForFinished(20000);
        if (signal == SIGTERM) {
            EXPECT_EQ(play.exitStatus(), QProcess::NormalExit) << k;
        }
        return StepState(line);
    }

    // Each play is a first session in the folder: the record the last one left
    // (which the recovery ran beside, and had to leave uncounted) goes.
    void ForgetMeasurements() const {
        QFile::remove(dir.filePath(QStringLiteral("misure-vardesca.csv")));
    }

    QTemporaryDir dir;
};

TEST_F(KillDrillTest, KilledAtAnyStepTheSessionComesBackAsItWas) {
    // The reference: one more pair after each step of a session never killed.
    constexpr int kSteps = 24;
    for (int k = 1; k <= kSteps; ++k) {
        const QString state = dir.filePath(QStringLiteral("stato-%1").arg(k));
        const std::string shown = PlayAndStop(state, k, k == 12 ? SIGTERM : SIGKILL);
        ASSERT_FALSE(shown.empty()) << k;

        QProcess recover;
        recover.start(QStringLiteral(VARDESCA_DRILL), {QStringLiteral("recover"), state});
        ASSERT_TRUE(recover.waitForStarted());
        const std::string recovered = After(ReadLine(recover), QStringLiteral("RECOVERED "));
        const std::string next = After(ReadLine(recover), QStringLiteral("NEXT "));
        recover.waitForFinished(20000);
        EXPECT_EQ(recover.exitCode(), 0) << k;
        EXPECT_EQ(recovered, shown) << "killed after step " << k;

        QProcess reference;
        ForgetMeasurements();
        reference.start(QStringLiteral(VARDESCA_DRILL),
                        {QStringLiteral("play"), dir.filePath(QStringLiteral("ref-%1").arg(k)),
                         dir.path(), QString::number(k)});
        QString line;
        do {
            line = ReadLine(reference);
        } while (line.startsWith(QLatin1String("STEP")));
        reference.waitForFinished(20000);
        EXPECT_EQ(next, After(line, QStringLiteral("NEXT "))) << "the pair after step " << k;
    }
}

}  // namespace
