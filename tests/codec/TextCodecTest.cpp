// The Windows-1251 border and the gate for definition texts, whole and by change.
#include "TextCodec.h"
#include "Windows1251.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace vornak;

namespace {

// Windows-1251 bytes 0x80..0xBF as the code page defines them (0x98 is unassigned); 0xC0..0xFF are
// А..я in order.
constexpr char16_t upperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char16_t expectedChar(unsigned byte) {
    if (byte < 0x80) {
        return static_cast<char16_t>(byte);
    }
    if (byte >= 0xC0) {
        return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    }
    return byte == 0x98 ? char16_t(0x0098) : upperHalf[byte - 0x80];
}

} // namespace

TEST(TextCodec, ConverterIsAvailable) {
    EXPECT_TRUE(TextCodec::isAvailable());
}

TEST(TextCodec, EveryByteDecodesToItsCharacterAndEncodesBack) {
    std::string all;
    for (unsigned b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const QString text = TextCodec::decode(all);
    ASSERT_EQ(text.size(), 256);
    for (unsigned b = 0; b < 256; ++b) {
        EXPECT_EQ(text.at(b).unicode(), expectedChar(b)) << "byte 0x" << std::hex << b;
    }
    EXPECT_TRUE(TextCodec::isEncodable(text));
    EXPECT_EQ(TextCodec::encode(text), all);
}

// The table the command-line tool uses and the platform's converter agree on every byte, and on
// which characters of the Basic Multilingual Plane have a byte.
TEST(TextCodec, TableAgreesWithThePlatformConverter) {
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        QStringDecoder decoder("windows-1251");
        const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
        ASSERT_EQ(decoded.size(), 1) << "byte 0x" << std::hex << b;
        EXPECT_EQ(char32_t{decoded.at(0).unicode()}, windows1251ToUnicode(static_cast<unsigned char>(b)))
            << "byte 0x" << std::hex << b;
    }
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        const QString text(QChar(static_cast<char16_t>(c)));
        QStringEncoder encoder("windows-1251");
        const QByteArray bytes = encoder.encode(text);
        const auto byte = unicodeToWindows1251(c);
        ASSERT_EQ(!encoder.hasError(), byte.has_value()) << "U+" << std::hex << unsigned(c);
        if (byte) {
            ASSERT_EQ(bytes.size(), 1);
            EXPECT_EQ(static_cast<unsigned char>(bytes.at(0)), *byte) << "U+" << std::hex << unsigned(c);
        }
    }
}

TEST(TextCodec, UnencodableCharactersAreReportedAndSubstituted) {
    const QString texts[] = {
        QStringLiteral("a😀b"), // outside the BMP
        QStringLiteral("中"),
        QStringLiteral("ä"),          // Latin-1, but not in the Cyrillic page
        QStringLiteral("x\u0098y€ä"), // the carried byte does not hide a later failure
    };
    for (const QString& text : texts) {
        EXPECT_FALSE(TextCodec::isEncodable(text)) << text.toStdString();
        EXPECT_NE(TextCodec::encode(text).find('\x1A'), std::string::npos);
    }
    // A failure in one text does not leak into the next one.
    EXPECT_TRUE(TextCodec::isEncodable(QStringLiteral("ок")));
}

TEST(TextCodec, UnassignedByteSurvivesAWholeRoundTrip) {
    const std::string stored = "A\x98\xC0\x98";
    const QString shown = TextCodec::decode(stored);
    EXPECT_EQ(shown.size(), 4);
    EXPECT_TRUE(fitsDefinitionFile(shown));
    EXPECT_EQ(TextCodec::encode(shown), stored);
}

TEST(TextCodec, PathsUseTheNativeEncoding) {
    const QString path = QStringLiteral("/tmp/отчёт № 1.rpt");
    const std::string native = TextCodec::encodePath(path);
    EXPECT_EQ(native, path.toStdString()); // UTF-8 locale
    EXPECT_EQ(QFile::decodeName(QByteArray::fromStdString(native)), path);
}

TEST(DefinitionText, GateRefusesWhatAFileCannotHold) {
    struct Case {
        const char* name;
        QString text;
        DefinitionTextProblem problem;
    };
    const Case cases[] = {
        {"empty", QString(), DefinitionTextProblem::None},
        {"cyrillic and number sign", QStringLiteral("к акту № 5"), DefinitionTextProblem::None},
        {"tab is kept", QStringLiteral("a\tb"), DefinitionTextProblem::None},
        {"line feed", QStringLiteral("a\nb"), DefinitionTextProblem::LineBreak},
        {"carriage return", QStringLiteral("a\rb"), DefinitionTextProblem::LineBreak},
        {"cr lf at end", QStringLiteral("ab\r\n"), DefinitionTextProblem::LineBreak},
        {"vertical tab", QStringLiteral("a\vb"), DefinitionTextProblem::LineBreak},
        {"form feed", QStringLiteral("a\fb"), DefinitionTextProblem::LineBreak},
        {"next line", QString::fromUtf16(u"a\u0085b"), DefinitionTextProblem::LineBreak},
        {"line separator", QString::fromUtf16(u"a\u2028b"), DefinitionTextProblem::LineBreak},
        {"paragraph separator", QString::fromUtf16(u"a\u2029b"), DefinitionTextProblem::LineBreak},
        {"emoji", QStringLiteral("😀"), DefinitionTextProblem::Unencodable},
        {"greek", QStringLiteral("λ"), DefinitionTextProblem::Unencodable},
        {"2047 ascii", QString(2047, QLatin1Char('a')), DefinitionTextProblem::None},
        {"2048 ascii", QString(2048, QLatin1Char('a')), DefinitionTextProblem::TooLong},
        {"2047 cyrillic", QString(2047, QChar(0x0436)), DefinitionTextProblem::None},
        {"2048 cyrillic", QString(2048, QChar(0x0436)), DefinitionTextProblem::TooLong},
        {"2046 and number sign", QString(2046, QLatin1Char('a')) + QChar(0x2116),
         DefinitionTextProblem::None},
        {"2047 and number sign", QString(2047, QLatin1Char('a')) + QChar(0x2116),
         DefinitionTextProblem::TooLong},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(definitionTextProblem(c.text), c.problem) << c.name;
        EXPECT_EQ(fitsDefinitionFile(c.text), c.problem == DefinitionTextProblem::None) << c.name;
    }
}

TEST(TextCodec, BytesShowAsUtf8OnATerminal) {
    EXPECT_EQ(TextCodec::toUtf8("\xCA\xEE\xF1\xF2\xFC \xB9 1"), "Кость № 1");
    EXPECT_EQ(TextCodec::toUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

// A change is judged by what it adds, so a text that came from a file with an odd character
// can still be edited, but nothing odd can be added to it.
TEST(DefinitionText, AChangeIsJudgedByWhatItAdds) {
    const QString withCr = QStringLiteral("до\rпосле");
    const QString withOdd = QStringLiteral("λ-кость"); // cannot be encoded, yet came from somewhere
    const QString longest(2047, QLatin1Char('a'));
    const QString overLong(2050, QLatin1Char('a'));
    struct Case {
        const char* name;
        QString before;
        QString after;
        DefinitionTextProblem problem;
    };
    const Case cases[] = {
        {"typing after a CR", withCr, withCr + QStringLiteral("ж"), DefinitionTextProblem::None},
        {"typing before a CR", withCr, QStringLiteral("д") + withCr, DefinitionTextProblem::None},
        {"deleting the CR", withCr, QStringLiteral("допосле"), DefinitionTextProblem::None},
        {"pasting a line break", withCr, withCr + QStringLiteral("\n"), DefinitionTextProblem::LineBreak},
        {"pasting a CR beside the CR", withCr, QStringLiteral("до\r\rпосле"),
         DefinitionTextProblem::LineBreak},
        {"typing an emoji", withCr, withCr + QStringLiteral("😀"), DefinitionTextProblem::Unencodable},
        {"typing after an odd letter", withOdd, withOdd + QStringLiteral("!"), DefinitionTextProblem::None},
        {"typing a second odd letter", withOdd, QStringLiteral("λλ-кость"),
         DefinitionTextProblem::Unencodable},
        {"replacing a selection", QStringLiteral("abc"), QStringLiteral("aXc"), DefinitionTextProblem::None},
        {"replacing by greek", QStringLiteral("abc"), QStringLiteral("aλc"),
         DefinitionTextProblem::Unencodable},
        {"emoji next to an emoji", QStringLiteral("a😀"), QStringLiteral("a😀😀"),
         DefinitionTextProblem::Unencodable},
        {"growing to the limit", longest.left(2046), longest, DefinitionTextProblem::None},
        {"growing past the limit", longest, longest + QLatin1Char('b'), DefinitionTextProblem::TooLong},
        {"shrinking an over-long text", overLong, overLong.left(2049), DefinitionTextProblem::None},
        {"replacing within an over-long text", overLong, QStringLiteral("b") + overLong.mid(1),
         DefinitionTextProblem::None},
        {"growing an over-long text", overLong, overLong + QLatin1Char('a'), DefinitionTextProblem::TooLong},
        {"a line break past the limit", longest, longest + QStringLiteral("\n"),
         DefinitionTextProblem::LineBreak},
        {"from nothing, a whole text", QString(), QStringLiteral("a\rb"), DefinitionTextProblem::LineBreak},
        {"no change", withCr, withCr, DefinitionTextProblem::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(definitionTextChangeProblem(c.before, c.after), c.problem) << c.name;
        EXPECT_EQ(definitionTextChangeAllowed(c.before, c.after), c.problem == DefinitionTextProblem::None)
            << c.name;
    }
}
