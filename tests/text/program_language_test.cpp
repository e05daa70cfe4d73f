// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/program_language.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <cerrno>
#include <map>
#include <thread>

#include "commands/safe_file.h"
#include "picture/failure.h"

#include "tests/support/form1_fixture.h"
#include "window/app_text.h"
#include "window/form1.h"

namespace vardesca {
namespace {

TEST(ProgramLanguageTest, TheFirstOfTheUsersLanguagesThatWeHave) {
    const struct {
        QStringList languages;
        Language chosen;
    } cases[] = {
        {{"it-IT", "it"}, Language::Italian},
        {{"en-US", "en"}, Language::English},
        {{"en_GB"}, Language::English},
        {{"de-DE", "de", "en-GB", "en"}, Language::English},  // German first, then English
        {{"fr-FR", "it-IT", "en-US"}, Language::Italian},
        {{"de-DE", "de"}, Language::English},  // none of ours: English, read more widely
        {{"C"}, Language::Italian},            // none asked for: the program's own
        {{"POSIX"}, Language::Italian},
        {{}, Language::Italian},
        {{"EN-us"}, Language::English},
        {{"eng", "ita"}, Language::English},  // not language codes we know
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseLanguage(c.languages), c.chosen) << c.languages.join(',').toStdString();
    }
}

// Every message of the translation file at once: each has its English, and the
// English keeps what the program fills in or joins on (the %1 … a message
// carries, the dash that opens a caption's part, the space or line end that
// closes a fragment). A translation that lost its %2 would show a message
// without its reason; one that lost a trailing space would glue two words.
// The text of the element the reader is on, with Qt Linguist's <byte value="xd"/>
// for the characters XML cannot hold (the CR of a CR LF) put back.
QString ElementText(QXmlStreamReader& xml) {
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters()) {
            text += xml.text();
        } else if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == QLatin1String("byte")) {
                text +=
                    QChar(xml.attributes().value(QLatin1String("value")).mid(1).toInt(nullptr, 16));
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return text;
}

TEST(ProgramLanguageTest, EveryTranslationKeepsItsPlaceholdersAndItsEdges) {
    QFile file(QStringLiteral(VARDESCA_TRANSLATIONS "/vardesca_en.ts"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<QString, QString> english;
    QString source;
    int messages = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = ElementText(xml);
        } else if (xml.name() == QLatin1String("translation")) {
            const QString translation = ElementText(xml);
            ++messages;
            const auto placeholders = [](const QString& text) {
                QStringList found;
                for (const auto& m : QRegularExpression(QStringLiteral("%\\d")).globalMatch(text))
                    found << m.captured();
                found.sort();
                return found;
            };
            const auto edges = [](const QString& text) {
                static const QRegularExpression lead(QStringLiteral("^[ —]*"));
                static const QRegularExpression trail(QStringLiteral("\\s*$"));
                return lead.match(text).captured() + QLatin1Char('|') +
                       trail.match(text).captured();
            };
            EXPECT_FALSE(translation.isEmpty()) << source.toStdString();
            EXPECT_EQ(placeholders(translation), placeholders(source)) << source.toStdString();
            EXPECT_EQ(edges(translation), edges(source)) << source.toStdString();
            english[source] = translation;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GE(messages, 150);
    // The start-up instructions keep their CR LF line ends, every one.
    const QString startup = english[QString::fromUtf8(app_text::kStartupText)];
    ASSERT_FALSE(startup.isEmpty());
    EXPECT_EQ(startup.count(QStringLiteral("\r\n")), startup.count(QLatin1Char('\n')));
}

// The window in English: its buttons, its instructions, the boxes' texts and
// the engine's, translated where the window shows them. The instructions are
// recognised by their first words in the language shown: cleared by the first
// load, as a text the user typed that begins with them; a text that begins
// with the other language's first words is the user's and stays.
// Installed before the window is made (a base comes before the fixture's
// members) and removed after it has gone.
struct EnglishTranslation {
    EnglishTranslation() {
        loaded = translator.load(QStringLiteral(":/i18n/vardesca_en.qm"));
        QCoreApplication::installTranslator(&translator);
    }
    ~EnglishTranslation() { QCoreApplication::removeTranslator(&translator); }
    EnglishTranslation(const EnglishTranslation&) = delete;
    EnglishTranslation& operator=(const EnglishTranslation&) = delete;
    QTranslator translator;
    bool loaded = false;
};

class EnglishWindowTest : public EnglishTranslation, public testing::Form1Fixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(loaded);
        Form1Fixture::SetUp();
    }
};

TEST_F(EnglishWindowTest, ButtonsInstructionsAndBoxesInEnglish) {
    EXPECT_EQ(window.Inizia->text(), "Start measuring");
    EXPECT_EQ(window.cmdOpen->text(), "Load picture");
    EXPECT_TRUE(window.Text1->GetText().starts_with("Your measurements \r\nwill appear \r\n"));
    EXPECT_EQ(UiText(dialog_text::kYes), "Yes");
    EXPECT_EQ(UiText(dialog_text::kCancel), "Cancel");
    EXPECT_EQ(UiText(engine_text::kUndoTitle, "undo"), "Undo");
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QString photo = dir.filePath(QStringLiteral("fish.png"));
    ASSERT_TRUE(image.save(photo));
    Open(photo);
    EXPECT_EQ(window.Text1->GetText(), "");
    window.Inizia_Click();
    ASSERT_FALSE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.Messages().back().title, "Calibration (1 of 3)");

    for (const auto& [typed, cleared] :
         {std::pair{"Your measurements of the 7th", true}, {"Le misure di ieri", false}}) {
        window.Text1->SetText(typed);
        Open(photo);
        EXPECT_EQ(window.Text1->GetText().empty(), cleared) << typed;
    }
}

// A reason is made where the fault is met, on whichever thread, maybe before
// the language is chosen; it is put into the user's language only where it
// is shown. One translated when made would stay Italian in an English box.
TEST(ReasonLanguageTest, AReasonIsInTheUsersLanguageWhereverItWasMade) {
    const Failure early = Because(save_text::kDiskFull);
    Outcome onThread;
    std::thread([&onThread] { onThread = SaveFailure(EROFS, SaveStep::Write); }).join();
    const EnglishTranslation english;
    ASSERT_TRUE(english.loaded);
    const QString diskFull = english.translator.translate("Vardesca", save_text::kDiskFull);
    ASSERT_FALSE(diskFull.isEmpty());
    EXPECT_NE(diskFull, QString::fromUtf8(save_text::kDiskFull));
    EXPECT_EQ(early.Reason(), diskFull);
    ASSERT_TRUE(onThread);
    EXPECT_EQ(onThread->Reason(),
              english.translator.translate("Vardesca", save_text::kReadOnlyFileSystem));
}

TEST(ItalianWindowRecognitionTest, OnlyTheItalianFirstWordsAreTheInstructions) {
    testing::ScriptedWindowDialogs dialogs;
    const QtLocaleNumbers locale(QLocale(QLocale::Italian, QLocale::Italy));
    Form1 window(dialogs, locale);
    QTemporaryDir dir;
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QString photo = dir.filePath(QStringLiteral("pesce.png"));
    ASSERT_TRUE(image.save(photo));
    for (const auto& [typed, cleared] :
         {std::pair{"Le misure di ieri", true}, {"Your measurements of the 7th", false}}) {
        window.Text1->SetText(typed);
        dialogs.files.push_back(photo);
        window.cmdOpen_Click();
        EXPECT_EQ(window.Text1->GetText().empty(), cleared) << typed;
    }
}

}  // namespace
}  // namespace vardesca
