#include "text/win1252.h"

#include <array>

namespace quimbaro {

namespace {

// Code points of the bytes 0x80..0x9F. The five bytes Windows-1252 leaves
// undefined stand for the C1 code points of the same value, so that any byte
// sequence survives the trip to Unicode and back.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char16_t CodePointOf(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t{byte};
}

// The byte of a UTF-16 unit outside surrogates, or '?' when it has none.
char ByteOf(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::string ToWin1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;  // a character beyond the 16-bit plane: one '?' for the pair
            bytes += '?';
        } else if (unit.isSurrogate()) {
            bytes += '?';
        } else {
            bytes += ByteOf(unit.unicode());
        }
    }
    return bytes;
}

QString FromWin1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[static_cast<qsizetype>(i)] = QChar(CodePointOf(static_cast<unsigned char>(bytes[i])));
    }
    return text;
}

char16_t Win1252CodePoint(unsigned char byte) { return CodePointOf(byte); }

std::optional<char> Win1252Byte(char32_t character) {
    if (character > 0xFFFF || (character >= 0xD800 && character <= 0xDFFF)) return std::nullopt;
    const char byte = ByteOf(static_cast<char16_t>(character));
    if (byte == '?' && character != U'?') return std::nullopt;
    return byte;
}

char LowerWin1252(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 'A' && byte <= 'Z') return static_cast<char>(byte + 32);
    if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<char>(byte + 32);
    switch (byte) {
    case 0x8A: return static_cast<char>(0x9A);  // Š
    case 0x8C: return static_cast<char>(0x9C);  // Œ
    case 0x8E: return static_cast<char>(0x9E);  // Ž
    case 0x9F: return static_cast<char>(0xFF);  // Ÿ
    default: return ch;
    }
}

std::string LowerWin1252(std::string_view text) {
    std::string lower(text);
    for (char& ch : lower) ch = LowerWin1252(ch);
    return lower;
}

}  // namespace quimbaro
