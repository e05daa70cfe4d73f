// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "picture/system_name.h"

namespace vardesca {
namespace {

// Any bytes a name can hold come back as they were, and a name that is valid
// UTF-8 is exactly what Qt makes of it.
TEST(SystemNameTest, AnyNameComesBackByteForByteAndAValidOneIsQtsOwn) {
    for (const QByteArray& valid :
         {QByteArray("IMG_0001.JPG"), QByteArray("trota è \xf0\x9f\x90\x9f.jpg"), QByteArray()}) {
        EXPECT_EQ(FromSystemName(valid), QFile::decodeName(valid));
        EXPECT_EQ(ToSystemName(FromSystemName(valid)), valid);
        EXPECT_TRUE(QtCanReach(FromSystemName(valid)));
    }
    // Stray bytes, overlong forms, encoded surrogates, a sequence cut short,
    // and a real character whose UTF-16 halves look like an escape.
    for (const QByteArray& odd :
         {QByteArray("e\xff\xfe" "bad.jpg"), QByteArray("\xc0\xaf"), QByteArray("\xed\xb2\x80"),
          QByteArray("caf\xc3"), QByteArray("\xf0\x9f\x82\x80\x80")}) {
        const QString name = FromSystemName(odd);
        EXPECT_EQ(ToSystemName(name), odd) << odd.toHex().toStdString();
        EXPECT_FALSE(QtCanReach(name)) << odd.toHex().toStdString();
    }
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(static_cast<qsizetype>(random() % 12), '\0');
        for (char& b : bytes) {
            b = static_cast<char>(1 + random() % 255);
        }
        ASSERT_EQ(ToSystemName(FromSystemName(bytes)), bytes) << bytes.toHex().toStdString();
    }
}

TEST(SystemNameTest, ANameThatIsNotUtf8IsListedAndItsFactsRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray name("e\xff\xfe" "bad.jpg");
    const QByteArray full = QFile::encodeName(dir.path()) + '/' + name;
    FILE* raw = std::fopen(full.constData(), "w");
    ASSERT_NE(raw, nullptr);
    std::fputs("abc", raw);
    std::fclose(raw);
    const QStringList listed = ReadableFilesIn(dir.path());
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(ToSystemName(listed[0]), name);
    const FileFacts facts = FactsOf(dir.path() + QLatin1Char('/') + listed[0]);
    EXPECT_TRUE(facts.exists && facts.isFile && facts.readable);
    EXPECT_EQ(facts.size, 3);
    EXPECT_FALSE(FactsOf(dir.path() + QStringLiteral("/ebad.jpg")).exists);
    EXPECT_TRUE(FactsOf(dir.path()).isDir);
}

}  // namespace
}  // namespace vardesca
