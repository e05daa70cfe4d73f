// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <functional>

#include "tests/support/csv_reader.h"
#include "tests/support/form1_fixture.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

// A folder of a survey's photos, measured one after another with the keys.
class Form1FolderTest : public testing::Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        one = Make(QStringLiteral("IMG_1.png"), {400, 300}, Qt::red);
        two = Make(QStringLiteral("IMG_2.png"), {500, 300}, Qt::green);
        ten = Make(QStringLiteral("IMG_10.png"), {600, 300}, Qt::blue);
        Make(QStringLiteral("note.txt"), {1, 1}, Qt::black);
    }

    QString Make(const QString& name, QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(window.picPicture, key, modifiers);
    }
    void Next() { Key(Qt::Key_PageDown); }
    void Previous() { Key(Qt::Key_PageUp); }
    QString Shown() const { return window.windowTitle(); }
    static QString Caption(const QString& path) {
        return QStringLiteral("Vardesca [%1]").arg(path);
    }
    void Click(QPointF p) {
        window.picPicture_MouseDown(static_cast<float>(p.x() * 15), static_cast<float>(p.y() * 15));
    }
    // References of 100 px for 2 cm and 50 px for 1 cm: 50 px a cm.
    void Calibrate() {
        window.Inizia_Click();
        dialogs.inputs = {"2", "1"};
        for (const QPointF p :
             {QPointF(10, 10), QPointF(110, 10), QPointF(10, 20), QPointF(60, 20)}) {
            Click(p);
        }
        ASSERT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    }
    void Measure(QPointF a, QPointF b) {
        Click(a);
        Click(b);
    }

    QString one, two, ten;
};

TEST_F(Form1FolderTest, TheKeysWalkTheFolderInItsOrderKeepingTheResults) {
    Open(one);
    Calibrate();
    Measure({100, 100}, {200, 100});
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
    const std::size_t marksOfOne = window.picPicture->MarkCount();

    Next();
    EXPECT_EQ(Shown(), Caption(two));
    EXPECT_EQ(window.picPicture->Picture().pixel(0, 0), QColor(Qt::green).rgb());
    // Exactly a load: the results stay, measuring starts again and counts from 1.
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Idle);
    EXPECT_EQ(window.picPicture->MarkCount(), 0u);
    Calibrate();
    Measure({100, 100}, {250, 100});
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n1\t3\r\n");

    // From the results box too: the key has no meaning of its own there.
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Shown(), Caption(ten));  // IMG_10 after IMG_2
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n1\t3\r\n");

    // The end: a box says so and nothing else happens.
    dialogs.shown.clear();
    Next();
    EXPECT_EQ(Shown(), Caption(ten));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QStringLiteral("ultima foto")));

    // Back on the first photo: its calibration and fish, as the folder's
    // record keeps them; the box as the user left it.
    Previous();
    Previous();
    const QString measured = Caption(one) + QStringLiteral(" — 50,00 px/cm, riferimenti ±0,0 %");
    EXPECT_EQ(Shown(), measured);
    EXPECT_EQ(window.picPicture->MarkCount(), marksOfOne);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n1\t3\r\n");
    EXPECT_EQ(window.Desk().Table().Rows().size(), 2U) << "its row is in the table once";
    dialogs.shown.clear();
    Previous();
    EXPECT_EQ(Shown(), measured);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QStringLiteral("prima foto")));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(Form1FolderTest, AFittedViewStaysFittedAndOneHundredPercentStays) {
    Open(one);
    window.Viewport().Fit();
    Next();
    EXPECT_EQ(Shown().left(Caption(two).size()), Caption(two));
    EXPECT_TRUE(window.Viewport().Fitted());
    EXPECT_EQ(window.picPicture->size(), window.Viewport().Zoom() * QSize(500, 300));

    window.Viewport().NaturalSize();
    Next();
    EXPECT_FALSE(window.Viewport().Fitted());
    EXPECT_EQ(window.Viewport().Zoom(), 1.0);
    // The open button opens at 100 % whatever the view was.
    window.Viewport().Fit();
    Open(two);
    EXPECT_EQ(window.Viewport().Zoom(), 1.0);
}

TEST_F(Form1FolderTest, ABadPhotoIsSaidKeepsEverythingAndIsPassedByTheNextPress) {
    {
        QFile file(two);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("\x89PNG\r\n\x1a\n broken");
    }
    Open(one);
    Calibrate();
    Click({30, 30});  // a first point waits
    window.Text1->SetText("nota\r\n");
    dialogs.shown.clear();

    Next();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.startsWith(QStringLiteral("Impossibile aprire")));
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(two));
    EXPECT_EQ(Shown().left(Caption(one).size()), Caption(one));
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_TRUE(window.Desk().Engine().HasPendingPoint());
    EXPECT_EQ(window.Text1->GetText(), "nota\r\n");

    Next();
    EXPECT_EQ(Shown(), Caption(ten));
}

TEST_F(Form1FolderTest, APhotoChangedOrRemovedAfterItWasDecodedAheadIsReadAsItIsNow) {
    Open(one);
    ASSERT_EQ(window.Photos().Prefetch().Path(), two);
    // Replaced after it was decoded ahead: the new content is what shows.
    Make(QStringLiteral("IMG_2.png"), {700, 300}, Qt::yellow);
    Next();
    EXPECT_EQ(window.picPicture->Picture().pixel(0, 0), QColor(Qt::yellow).rgb());
    EXPECT_EQ(window.picPicture->size(), QSize(700, 300));
    ASSERT_EQ(window.Photos().Prefetch().Path(), ten);

    // Removed: the next press goes to the one after it, or says it is the last.
    ASSERT_TRUE(QFile::remove(ten));
    dialogs.shown.clear();
    Next();
    EXPECT_EQ(Shown(), Caption(two));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QStringLiteral("ultima foto")));
}

TEST_F(Form1FolderTest, TheTableFollowsTheMeasuringAndReadsBackAsTheLinesAndPoints) {
    Open(one);
    Calibrate();
    Measure({100, 100}, {200, 100});
    Measure({100.5, 150.25}, {300.5, 150.25});  // fractions, as a zoomed click gives
    Measure({0, 0}, {0, 50});
    Key(Qt::Key_Z);                                                     // the third undone …
    Key(Qt::Key_Z);                                                     // … and the second
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);            // the second again
    window.Text1->SetText(window.Text1->GetText() + "nota;\"a\"\r\n");  // the user's own
    Next();
    Calibrate();
    Measure({10, 200}, {10, 275});
    const std::string lines = window.Text1->GetText();
    EXPECT_EQ(lines, "1\t2\r\n2\t4\r\nnota;\"a\"\r\n1\t1,5\r\n");

    const QString saved = dir.filePath(QStringLiteral("tabella.csv"));
    dialogs.files = {saved};
    Key(Qt::Key_T);
    EXPECT_EQ(dialogs.shown.back().text, dir.filePath(QStringLiteral("misure.csv")));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto records = testing::ReadCsv(QString::fromUtf8(file.readAll()), QLatin1Char(';'));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 4u);
    EXPECT_EQ(records->at(1), QStringList({"IMG_1.png", "1", "2,00", "100,000", "100,000",
                                           "200,000", "100,000", "50,000", "50,000", "50,000"}));
    EXPECT_EQ(records->at(2), QStringList({"IMG_1.png", "2", "4,00", "100,500", "150,250",
                                           "300,500", "150,250", "50,000", "50,000", "50,000"}));
    EXPECT_EQ(records->at(3)[0], QStringLiteral("IMG_2.png"));
    EXPECT_EQ(records->at(3)[1], QStringLiteral("1"));
    EXPECT_EQ(records->at(3)[2], QStringLiteral("1,50"));

    // Resetta empties the table with the box.
    dialogs.answers = {Answer::Ok};
    window.Resetta_Click();
    EXPECT_TRUE(window.Desk().Table().Rows().empty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(Form1FolderTest, ReferencesMoreThanTwoPercentApartOfferANewCalibration) {
    Open(one);
    window.Inizia_Click();
    EXPECT_TRUE(Shown().endsWith(QStringLiteral(" — riferimento 1: primo punto")));
    dialogs.inputs = {"2", "1"};
    Click({10, 10});
    EXPECT_TRUE(Shown().endsWith(QStringLiteral(" — riferimento 1: secondo punto")));
    Click({110, 10});
    EXPECT_TRUE(Shown().endsWith(QStringLiteral(" — riferimento 2: primo punto")));
    Click({10, 20});
    EXPECT_TRUE(Shown().endsWith(QStringLiteral(" — riferimento 2: secondo punto")));
    // 52 px for 1 cm against 50: 3,9 % apart. Sì: the marks go and calibration
    // starts over on the same view.
    window.Viewport().ZoomInStep();
    dialogs.shown.clear();
    dialogs.answers = {Answer::Yes};
    Click({62, 20});
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_EQ(dialogs.Messages()[0].title, QStringLiteral("Riferimenti discordanti"));
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QStringLiteral("3,9 %")));
    EXPECT_EQ(dialogs.Messages()[1].title, QStringLiteral("Calibrazione (1 di 3)"));
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Calibrating);
    EXPECT_EQ(window.Desk().Engine().punti(), 0);
    EXPECT_EQ(window.picPicture->MarkCount(), 0u);
    EXPECT_EQ(window.picPicture->LabelCount(), 0u);
    EXPECT_GT(window.Viewport().Zoom(), 1.0);

    // 51 px for 1 cm against 50: 2 % apart, no more: nothing is asked.
    dialogs.shown.clear();
    dialogs.inputs = {"2", "1"};
    for (const QPointF p : {QPointF(10, 10), QPointF(110, 10), QPointF(10, 20), QPointF(61, 20)}) {
        Click(p);
    }
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(Shown().contains(QStringLiteral("px/cm")));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(Form1FolderTest, TheFolderWindowAndSwitchesAreRememberedAndADamagedFileIgnored) {
    const QString file = dir.filePath(QStringLiteral("conf/vardesca.conf"));
    {
        RememberedSettings settings(file);
        Form1 first(dialogs, locale, nullptr, &settings);
        first.Session().SetQuit([] {});
        first.show();
        first.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&first));
        first.resize(790, 700);
        dialogs.files = {one};
        first.cmdOpen_Click();
        first.picPicture->setFocus();
        QTest::keyClick(first.picPicture, Qt::Key_L);  // loupe off
        QTest::keyClick(first.picPicture, Qt::Key_N);  // labels off
        dialogs.files = {dir.filePath(QStringLiteral("misure.txt"))};
        first.Actions().Perform(UserAction::SaveResults);
        dialogs.answers = {Answer::Yes};
        first.Esci_Click();
    }
    {
        RememberedSettings settings(file);
        Form1 second(dialogs, locale, nullptr, &settings);
        EXPECT_EQ(second.size(), QSize(790, 700));
        EXPECT_FALSE(second.Desk().LoupeWidget().Enabled());
        EXPECT_FALSE(second.picPicture->LabelsVisible());
        dialogs.files = {QString()};
        second.cmdOpen_Click();
        EXPECT_EQ(dialogs.shown.back().text, dir.path());  // the open dialog's folder
        // Ctrl+S offers the file the results went to last time.
        dialogs.files = {QString()};
        second.Actions().Perform(UserAction::SaveResults);
        EXPECT_EQ(dialogs.shown.back().text, dir.filePath(QStringLiteral("misure.txt")));
    }
    // Nonsense where the settings were: started as on a first day, without a word.
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        static const char nonsense[] =
            "[General\x00\xff\n finestra=@ByteArray(\x01\x02)\nlente=forse\n\xfe\xfe";
        damaged.write(nonsense, sizeof nonsense - 1);
    }
    dialogs.shown.clear();
    RememberedSettings settings(file);
    Form1 third(dialogs, locale, nullptr, &settings);
    EXPECT_TRUE(third.Desk().LoupeWidget().Enabled());
    EXPECT_TRUE(third.picPicture->LabelsVisible());
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

// The session's first photo opens as the last one was looked at: fitted, or
// at 100 %. Later photos open as they always do.
TEST_F(Form1FolderTest, TheFirstPhotoOpensInTheLastSessionsView) {
    const QString file = dir.filePath(QStringLiteral("conf/vardesca.conf"));
    const auto session = [&](const std::function<void(Form1&)>& work) {
        RememberedSettings settings(file);
        Form1 form(dialogs, locale, nullptr, &settings);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        work(form);
    };
    session([&](Form1& first) {
        dialogs.files = {one};
        first.cmdOpen_Click();
        EXPECT_FALSE(first.Viewport().Fitted()) << "a first-ever start is at 100 %";
        QTest::keyClick(first.picPicture, Qt::Key_0, Qt::ControlModifier);
        ASSERT_TRUE(first.Viewport().Fitted());
    });
    session([&](Form1& second) {
        dialogs.files = {two, one};
        second.cmdOpen_Click();
        EXPECT_TRUE(second.Viewport().Fitted());
        second.cmdOpen_Click();  // the open dialog again: at 100 %, as ever
        EXPECT_FALSE(second.Viewport().Fitted());
        EXPECT_EQ(second.Viewport().Zoom(), 1.0);
    });
    session([&](Form1& third) {
        dialogs.files = {one};
        third.cmdOpen_Click();
        EXPECT_FALSE(third.Viewport().Fitted()) << "the last photo was looked at at 100 %";
    });
}

// Wider than its first width, the window shows a handle between the view and
// the results box; dragging it widens the box, and the next start keeps it.
TEST_F(Form1FolderTest, TheResultsBoxWidensByItsHandleAndIsRemembered) {
    auto* handle = window.findChild<ColumnHandle*>();
    ASSERT_NE(handle, nullptr);
    const int fixedBox = window.Text1->width();
    EXPECT_FALSE(handle->isVisible()) << "at the first width the layout is the fixed one";

    const QString file = dir.filePath(QStringLiteral("conf/vardesca.conf"));
    int boxAfterDrag = 0;
    {
        RememberedSettings settings(file);
        Form1 wide(dialogs, locale, nullptr, &settings);
        wide.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&wide));
        wide.resize(808 + 200, 600);
        auto* grip = wide.findChild<ColumnHandle*>();
        ASSERT_TRUE(grip->isVisible());
        EXPECT_EQ(wide.Text1->width(), fixedBox + 50);  // a quarter of the 200 px beyond
        const int view = wide.picContainer->width();
        const QPoint centre = grip->rect().center();
        QTest::mousePress(grip, Qt::LeftButton, {}, centre);
        QMouseEvent move(QEvent::MouseMove, QPointF(centre - QPoint(100, 0)),
                         grip->mapToGlobal(QPointF(centre - QPoint(100, 0))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grip, &move);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, centre - QPoint(100, 0));
        EXPECT_NEAR(wide.Text1->width(), fixedBox + 150, 1);
        EXPECT_NEAR(wide.picContainer->width(), view - 100, 1);
        boxAfterDrag = wide.Text1->width();
    }
    RememberedSettings settings(file);
    Form1 next(dialogs, locale, nullptr, &settings);
    next.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
    next.resize(808 + 200, 600);
    EXPECT_EQ(next.Text1->width(), boxAfterDrag);
    next.resize(808, 600);
    EXPECT_EQ(next.Text1->width(), fixedBox);
}

// Windows started with a settings file of their own, one after another.
class WindowGeometryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("vardesca.conf"));
    testing::ScriptedWindowDialogs dialogs;
    const QtLocaleNumbers locale{QLocale(QLocale::Italian, QLocale::Italy)};
};

// A window saved on a larger monitor, at a place off every screen, or at a
// negative place comes back whole on the screen it opens on (the offscreen
// screen here: 800 × 800).
TEST_F(WindowGeometryTest, ARememberedWindowIsKeptOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QRect saved :
         {QRect(-3000, -2000, 99999, 99999), QRect(100, 50, 3000, 3000), QRect(5000, 300, 740, 540),
          QRect(-400, -300, 740, 540), QRect(30, 40, 740, 540)}) {
        QWidget other;
        other.setGeometry(saved);
        RememberedSettings(file).SetWindowGeometry(other.saveGeometry());
        RememberedSettings settings(file);
        Form1 window(dialogs, locale, nullptr, &settings);
        const QRect g = window.frameGeometry();
        EXPECT_TRUE(area.contains(g)) << saved.x() << "," << saved.width() << " -> " << g.x() << ","
                                      << g.y() << " " << g.width() << "x" << g.height();
        // Where it fits, as it was.
        if (area.contains(saved)) {
            EXPECT_EQ(window.geometry(), saved);
        }
        // What was larger fills the screen, no more.
        if (saved.width() > area.width()) {
            EXPECT_EQ(window.frameGeometry().width(), area.width());
        }
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// A logout closes the window without its question, and the window's size is
// remembered all the same.
TEST_F(WindowGeometryTest, ALogoutClosesWithoutAQuestionAndRemembersTheWindow) {
    {
        RememberedSettings settings(file);
        Form1 form(dialogs, locale, nullptr, &settings);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.resize(760, 610);
        form.Session().PrepareForSessionEnd();
        EXPECT_TRUE(form.close());
        EXPECT_TRUE(dialogs.shown.empty());
    }
    RememberedSettings settings(file);
    const Form1 next(dialogs, locale, nullptr, &settings);
    EXPECT_EQ(next.size(), QSize(760, 610));
}

// Maximised, then killed (no normal end, so nothing is remembered at exit):
// the next start is maximised again, and one that was made normal is normal.
TEST_F(WindowGeometryTest, MaximisedOrNotIsRememberedWithoutANormalEnd) {
    for (const bool maximised : {true, false}) {
        {
            RememberedSettings settings(file);
            Form1 killed(dialogs, locale, nullptr, &settings);
            killed.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&killed));
            killed.setWindowState(maximised ? Qt::WindowMaximized : Qt::WindowNoState);
            ASSERT_EQ(killed.isMaximized(), maximised);
        }
        RememberedSettings settings(file);
        const Form1 next(dialogs, locale, nullptr, &settings);
        EXPECT_EQ(next.windowState().testFlag(Qt::WindowMaximized), maximised);
    }
}

}  // namespace
}  // namespace vardesca

namespace vardesca {
namespace {

// Each setting is on the disk when its setter returns: a program killed
// before its event loop turns again (when QSettings would write on its own)
// loses none of them.
TEST(RememberedSettingsTest, EachSettingIsOnTheDiskAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vardesca.conf"));
    RememberedSettings settings(file);
    const auto onDisk = [&file](const char* key) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains(key);
    };
    const std::pair<const char*, std::function<void()>> setters[] = {
        {"cartella_foto", [&] { settings.SetPhotoFolder(dir.path()); }},
        {"file_risultati", [&] { settings.SetResultsFile(dir.filePath(QStringLiteral("r.txt"))); }},
        {"finestra", [&] { settings.SetWindowGeometry(QByteArray("geometria")); }},
        {"lente", [&] { settings.SetLoupeOn(false); }},
        {"etichette", [&] { settings.SetLabelsOn(false); }},
        {"foto_intera", [&] { settings.SetFittedView(true); }},
        {"larghezza_risultati", [&] { settings.SetBoxShare(0.5); }},
    };
    for (const auto& [key, set] : setters) {
        set();
        EXPECT_TRUE(onDisk(key)) << key;
    }
}

}  // namespace
}  // namespace vardesca
