// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/damage_check.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QImage>

namespace vardesca {
namespace {

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString Reason(const Outcome& outcome) {
    return outcome ? outcome->Reason() : QString();
}

QImage Stripes(QImage::Format format) {
    QImage image(37, 23, format);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 6, y * 10, (x + y) % 2 ? 255 : 0));
        }
    }
    return image;
}

TEST(DamageCheckTest, SoundFilesOfEveryKindPass) {
    EXPECT_EQ(FindDamage(Encoded(Stripes(QImage::Format_RGB32), "BMP")), std::nullopt);
    EXPECT_EQ(FindDamage(Encoded(Stripes(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8), "BMP")),
              std::nullopt);
    EXPECT_EQ(FindDamage(Encoded(Stripes(QImage::Format_RGB32), "ICO")), std::nullopt);
    EXPECT_EQ(FindDamage(QByteArray("not a picture")), std::nullopt);
}

TEST(DamageCheckTest, ACutShortBmpIsSaid) {
    const QByteArray bmp = Encoded(Stripes(QImage::Format_RGB32), "BMP");
    // Its header's file size still says the whole.
    EXPECT_TRUE(BmpDamage(bmp.left(bmp.size() - 1)).has_value());
    QByteArray resized = bmp.left(bmp.size() / 2);
    resized[2] = static_cast<char>(resized.size() & 0xFF);  // header mended, pixels still missing
    resized[3] = static_cast<char>((resized.size() >> 8) & 0xFF);
    resized[4] = resized[5] = 0;
    EXPECT_EQ(Reason(BmpDamage(resized)), QStringLiteral("il file è troncato: mancano dati dei pixel"));
}

TEST(DamageCheckTest, AnIconIndexPromisingMoreThanTheFileHoldsIsSaid) {
    QByteArray ico = Encoded(Stripes(QImage::Format_RGB32), "ICO");
    ASSERT_EQ(IcoDamage(ico), std::nullopt);
    ico[4] = static_cast<char>(0xFF);
    ico[5] = static_cast<char>(0xFF);
    EXPECT_TRUE(IcoDamage(ico).has_value());
}

TEST(DamageCheckTest, AGifsCodesAreDecodedToFindWhatIsWrong) {
    // A 2 × 1 GIF, two colours, minimum code size 2: clear, 0, 1, end.
    const auto gif = [](const QByteArray& data) {
        QByteArray g("GIF89a\x02\x00\x01\x00\x80\x00\x00", 13);
        g += QByteArray("\x00\x00\x00\xff\xff\xff", 6);      // two colours
        g += QByteArray("\x2c\x00\x00\x00\x00\x02\x00\x01\x00\x00", 10);
        g += '\x02';                                          // LZW minimum code size
        g += static_cast<char>(data.size());
        g += data;
        g += '\x00';
        g += '\x3b';
        return g;
    };
    // Codes of 3 bits, first bit lowest: 4 is the clear code, 5 the end.
    const auto pack = [](std::initializer_list<int> codes) {
        QByteArray out;
        unsigned value = 0;
        int bits = 0;
        for (const int c : codes) {
            value |= static_cast<unsigned>(c) << bits;
            bits += 3;
            while (bits >= 8) {
                out += static_cast<char>(value & 0xFF);
                value >>= 8;
                bits -= 8;
            }
        }
        if (bits > 0) {
            out += static_cast<char>(value & 0xFF);
        }
        return out;
    };
    EXPECT_EQ(GifDamage(gif(pack({4, 0, 1, 5}))), std::nullopt);
    EXPECT_EQ(Reason(GifDamage(gif(pack({4, 0, 7, 1, 5})))), QStringLiteral("i dati dell'immagine non sono validi (codice LZW errato)"));
    EXPECT_EQ(Reason(GifDamage(gif(pack({4, 0, 3, 5})))),  // 3 is past the two colours
              QStringLiteral("alcuni pixel hanno colori che la tavolozza non contiene"));
    EXPECT_EQ(Reason(GifDamage(gif(pack({4, 0, 5})))), QStringLiteral("i dati dell'immagine sono incompleti"));
    const QByteArray whole = gif(pack({4, 0, 1, 5}));
    EXPECT_EQ(Reason(GifDamage(whole.left(whole.size() - 3))), QStringLiteral("il file è troncato"));
}

}  // namespace
}  // namespace vardesca
