// The text boundary: decoding by byte order mark or code page, encoding for
// each file's form, line ends.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/TextCodec.h"
#include "common/TextFile.h"

using namespace rz;

TEST(TextCodec, DecodesByByteOrderMarkElseUtf8ElseWindows1252) {
    const struct {
        const char* name;
        std::string bytes;
        NoBomRule rule;
        std::string text;
        TextEncoding encoding;
    } cases[] = {
        {"ascii", "Ziehung 12", NoBomRule::Utf8IfValid, "Ziehung 12", TextEncoding::Utf8},
        {"utf-8", "f\xC3\xBCr", NoBomRule::Utf8IfValid, "für", TextEncoding::Utf8},
        {"utf-8 bom", "\xEF\xBB\xBF" "f\xC3\xBCr", NoBomRule::Utf8IfValid, "für", TextEncoding::Utf8WithBom},
        {"utf-8 bom, bad byte", "\xEF\xBB\xBF" "a\xFF" "b", NoBomRule::Utf8IfValid, "a\xEF\xBF\xBD" "b", TextEncoding::Utf8WithBom},
        {"utf-16le", std::string("\xFF\xFE" "f\0\xFC\0r\0", 8), NoBomRule::Utf8IfValid, "für", TextEncoding::Utf16Le},
        {"utf-16be", std::string("\xFE\xFF\0f\0\xFC\0r", 8), NoBomRule::Utf8IfValid, "für", TextEncoding::Utf16Be},
        {"utf-16le pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), NoBomRule::Utf8IfValid, "\xF0\x9F\x98\x80", TextEncoding::Utf16Le},
        {"utf-16le lone low surrogate", std::string("\xFF\xFE\x00\xDE" "a\0", 6), NoBomRule::Utf8IfValid, "\xEF\xBF\xBD" "a", TextEncoding::Utf16Le},
        {"utf-16le odd byte", std::string("\xFF\xFE" "a\0b", 5), NoBomRule::Utf8IfValid, "a\xEF\xBF\xBD", TextEncoding::Utf16Le},
        {"cp1252", "f\xFCr \x80 \x93x\x94", NoBomRule::Utf8IfValid, "für € “x”", TextEncoding::Windows1252},
        {"cp1252 undefined byte", "\x81", NoBomRule::Utf8IfValid, "\xC2\x81", TextEncoding::Windows1252},
        {"overlong utf-8 is no utf-8", "\xC0\xAF", NoBomRule::Utf8IfValid, "\xC3\x80\xC2\xAF", TextEncoding::Windows1252},
        {"surrogate in utf-8 is no utf-8", "\xED\xA0\x80", NoBomRule::Utf8IfValid, "\xC3\xAD\xC2\xA0\xE2\x82\xAC", TextEncoding::Windows1252},
        {"strict code page", "f\xC3\xBCr", NoBomRule::Windows1252, "fÃ¼r", TextEncoding::Windows1252},
        {"bom only", "\xEF\xBB\xBF", NoBomRule::Utf8IfValid, "", TextEncoding::Utf8WithBom},
        {"bom twice", "\xEF\xBB\xBF\xEF\xBB\xBF" "7", NoBomRule::Utf8IfValid, "7", TextEncoding::Utf8WithBom},
        {"utf-16 bom twice", std::string("\xFF\xFE\xFF\xFE" "7\0", 6), NoBomRule::Utf8IfValid, "7", TextEncoding::Utf16Le},
    };
    for (const auto& c : cases) {
        const DecodedText d = decodeText(c.bytes, c.rule);
        EXPECT_EQ(d.text, c.text) << c.name;
        EXPECT_EQ(d.encoding, c.encoding) << c.name;
        EXPECT_TRUE(isValidUtf8(d.text)) << c.name;
    }
}

TEST(TextCodec, EncodesEachFormAndReadsItBack) {
    const std::string text = "Quendrals Lotto-Tipp für  18.10.2019 – €5 \xF0\x9F\x98\x80";
    EXPECT_EQ(encodeText("für", TextEncoding::Utf8), "f\xC3\xBCr");
    EXPECT_EQ(encodeText("für", TextEncoding::Utf8WithBom), "\xEF\xBB\xBF" "f\xC3\xBCr");
    EXPECT_EQ(encodeText("für €", TextEncoding::Windows1252), "f\xFCr \x80");
    EXPECT_EQ(encodeText("Ж\xF0\x9F\x98\x80", TextEncoding::Windows1252), "??"); // not in the code page
    EXPECT_EQ(encodeText("a\xFF", TextEncoding::Utf8), "a\xEF\xBF\xBD");
    EXPECT_EQ(encodeText("ü", TextEncoding::Utf16Le), std::string("\xFF\xFE\xFC\0", 4));
    EXPECT_EQ(encodeText("ü", TextEncoding::Utf16Be), std::string("\xFE\xFF\0\xFC", 4));
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8WithBom, TextEncoding::Utf16Le, TextEncoding::Utf16Be})
        EXPECT_EQ(decodeText(encodeText(text, e)).text, text) << static_cast<int>(e);
    // Every character of the code page survives its round trip.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string decoded = decodeText(all, NoBomRule::Windows1252).text;
    EXPECT_EQ(encodeText(decoded, TextEncoding::Windows1252), all);
}

TEST(TextCodec, SplitsAtEveryLineEndAndWritesCrLf) {
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\n\rb", {"a", "", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitLines(c.text), c.lines) << testing::PrintToString(c.text);
    EXPECT_EQ(joinLinesCrLf({"1,2", "", "x"}), "1,2\r\n\r\nx\r\n");
    EXPECT_EQ(joinLinesCrLf({}), "");
}

TEST(TextFile, ReaderDecodesAndWriterEncodes) {
    test::TempDir dir;
    const std::string f = dir.file("list.qlw");
    test::writeFile(f, std::string("\xFF\xFE" "7\0\r\0\n\0\xFC\0", 10));
    TextLineReader reader(f);
    std::string line;
    reader.readLine(line);
    EXPECT_EQ(line, "7");
    reader.readLine(line);
    EXPECT_EQ(line, "ü");
    EXPECT_TRUE(reader.atEnd());
    reader.readLine(line);
    EXPECT_EQ(line, "");
    EXPECT_EQ(reader.encoding(), TextEncoding::Utf16Le);

    writeTextFile(f, "für\r\n", TextEncoding::Windows1252);
    EXPECT_EQ(test::readFile(f), "f\xFCr\r\n");
    TextLineReader back(f);
    back.readLine(line);
    EXPECT_EQ(line, "für");
}
