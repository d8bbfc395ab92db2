#include "book/win1252.h"

#include <gtest/gtest.h>

namespace quimbaro {
namespace {

TEST(Win1252, EveryByteSurvivesTheTripToUnicodeAndBack) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    const QString text = FromWin1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToWin1252(text), all);
}

TEST(Win1252, MapsTheHighRangeToItsCodePoints) {
    EXPECT_EQ(FromWin1252("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(FromWin1252("\x8A\x9F\x99"), QString::fromUtf16(u"Ÿ™").prepend(QChar(0x0160)));
    EXPECT_EQ(FromWin1252("Revisi\xF3n ma\xF1" "ana"), QStringLiteral("Revisión mañana"));
    for (const unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(FromWin1252(std::string(1, static_cast<char>(undefined)))[0].unicode(), undefined);
    }
    EXPECT_EQ(FromWin1252(std::string_view("a\0b", 3)).size(), 3);
}

TEST(Win1252, CharactersWithoutAFormBecomeQuestionMarks) {
    EXPECT_EQ(ToWin1252(QStringLiteral("Año €5 “x” ŠŒŽŸ")), "A\xF1o \x80" "5 \x93x\x94 \x8A\x8C\x8E\x9F");
    EXPECT_EQ(ToWin1252(QStringLiteral("Ωж中")), "???");
    EXPECT_EQ(ToWin1252(QString::fromUtf16(u"a😀b")), "a?b");  // one '?' for a surrogate pair
    // Low before high is no pair: each unpaired half is a '?' of its own.
    const QChar lone[] = {QChar('x'), QChar(0xDC00), QChar(0xD800), QChar('y'), QChar(0xDBFF)};
    EXPECT_EQ(ToWin1252(QString(lone, 5)), "x??y?");
    EXPECT_EQ(ToWin1252(QString(QChar(0x0080))), "?");    // a C1 control that cp1252 uses for €
    EXPECT_EQ(ToWin1252(QString()), "");
}

TEST(Win1252, LowerCasesAsciiAccentedCapitalsAndTheFourExtras) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool ascii = byte >= 'A' && byte <= 'Z';
        const bool latin = byte >= 0xC0 && byte <= 0xDE && byte != 0xD7;
        int expected = ascii || latin ? byte + 32 : byte;
        if (byte == 0x8A || byte == 0x8C || byte == 0x8E) expected = byte + 0x10;
        if (byte == 0x9F) expected = 0xFF;
        EXPECT_EQ(static_cast<unsigned char>(LowerWin1252(static_cast<char>(byte))), expected) << byte;
    }
    EXPECT_EQ(LowerWin1252(ToWin1252(QStringLiteral("MAÑANA Ç É × ÿ Ÿ"))),
              ToWin1252(QStringLiteral("mañana ç é × ÿ ÿ")));
    EXPECT_EQ(LowerWin1252(std::string_view("A\0B", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace quimbaro
