#include "text/win1252.h"

#include <gtest/gtest.h>

#include "text/byte_text.h"

namespace quimbaro {

TEST(Win1252, EveryByteRoundTripsAndTheHighRangeKeepsItsOwnCharacters) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    const QString text = FromWin1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToWin1252(text), all);
    EXPECT_EQ(FromWin1252("\x80\x8A\x8C\x8E\x9F\x99 Revisi\xF3n ma\xF1" "ana"), QString::fromUtf16(u"€ŠŒŽŸ™ Revisión mañana"));
    for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(text[undefined].unicode(), undefined);
}

TEST(Win1252, CharactersWithoutAFormBecomeQuestionMarks) {
    EXPECT_EQ(ToWin1252(QStringLiteral("Año €5 “x” ŠŒŽŸ Ωж中")), "A\xF1o \x80" "5 \x93x\x94 \x8A\x8C\x8E\x9F ???");
    EXPECT_EQ(ToWin1252(QString::fromUtf16(u"a😀b")), "a?b");  // one '?' for a surrogate pair
    // Low before high is no pair: each unpaired half is a '?' of its own.
    const QChar lone[] = {QChar('x'), QChar(0xDC00), QChar(0xD800), QChar('y'), QChar(0xDBFF)};
    EXPECT_EQ(ToWin1252(QString(lone, 5)), "x??y?");
    EXPECT_EQ(ToWin1252(QString(QChar(0x0080))), "?");  // the C1 control, not the byte that holds €
}

TEST(Win1252, LowerCasesAsciiAccentedCapitalsAndTheFourExtras) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool capital = (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7);
        int expected = capital ? byte + 32 : byte;
        if (byte == 0x8A || byte == 0x8C || byte == 0x8E) expected = byte + 0x10;  // Š Œ Ž
        if (byte == 0x9F) expected = 0xFF;                                          // Ÿ
        EXPECT_EQ(static_cast<unsigned char>(LowerWin1252(static_cast<char>(byte))), expected) << byte;
    }
    EXPECT_EQ(LowerWin1252(std::string_view("A\0B", 3)), std::string("a\0b", 3));
}

// Arguments and file names are bytes: whatever is no valid UTF-8 comes back byte for byte.
TEST(ByteText, EveryByteAndEveryInvalidSequenceComesBackAsItWas) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string alone(1, static_cast<char>(byte));
        EXPECT_EQ(TextOfBytes(alone), QString(QChar(0xDC00 + byte))) << byte;
        EXPECT_EQ(BytesOfText(TextOfBytes(alone)), alone) << byte;
    }
    // Valid (five UTF-16 units), then overlong, a surrogate, past U+10FFFF and cut short: one unit a byte.
    const std::pair<std::string, qsizetype> texts[] = {{"a\xC3\xB1\xE2\x82\xAC\xF0\x9F\x98\x80", 5},
        {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}, {"\xF4\x90\x80\x80", 4}, {"\xE2\x82", 2}, {"\xF0\x9F\x98", 3}};
    for (const auto& [bytes, units] : texts) {
        EXPECT_EQ(TextOfBytes(bytes).size(), units) << bytes;
        EXPECT_EQ(BytesOfText(TextOfBytes(bytes)), bytes);
    }
    EXPECT_EQ(BytesOfText(QString(QChar(0xDC7F)) + QChar(0xD800)), "??");  // lone halves that stand for no byte
}

}  // namespace quimbaro
