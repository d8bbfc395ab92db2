#include "ical/field_text.h"

#include <array>
#include <cstring>

#include "text/win1252.h"

namespace quimbaro::ical {
namespace {

bool IsControl(char16_t unit) { return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F); }

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

// Win1252 characters all lie below U+10000 and outside the surrogates.
struct Utf8Bytes {
    std::array<char, 3> bytes{};
    std::size_t size = 0;
};

constexpr Utf8Bytes Utf8Of(char16_t unit) {
    if (unit < 0x80) return {{char(unit)}, 1};
    if (unit < 0x800) return {{char(0xC0 | unit >> 6), char(0x80 | (unit & 0x3F))}, 2};
    return {{char(0xE0 | unit >> 12), char(0x80 | ((unit >> 6) & 0x3F)), char(0x80 | (unit & 0x3F))}, 3};
}

constexpr Utf8Bytes EscapeOf(char16_t unit) {
    constexpr char kHex[] = "0123456789ABCDEF";
    return {{'%', kHex[unit >> 4], kHex[unit & 0xF]}, 3};
}

// What each byte becomes, looked up rather than worked out: fields are
// converted a byte at a time for every event of a book.
using ByteTable = std::array<Utf8Bytes, 256>;

ByteTable MakeTable(bool escape) {
    ByteTable table;
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        const char16_t unit = Win1252CodePoint(static_cast<unsigned char>(byte));
        const bool special = IsControl(unit) || (escape && unit == u'%');
        table[byte] = !special ? Utf8Of(unit) : escape ? EscapeOf(unit) : Utf8Of(u' ');
    }
    return table;
}

// The bytes the table gives for each byte of text, at the end of out;
// edges, when given, for the first and last byte instead.
void AppendThrough(std::string& out, std::string_view text, const ByteTable& table, const ByteTable* edges = nullptr) {
    const std::size_t start = out.size();
    out.resize(start + text.size() * 3);
    char* at = out.data() + start;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool edge = edges && (i == 0 || i + 1 == text.size());
        const Utf8Bytes& utf8 = (edge ? *edges : table)[static_cast<unsigned char>(text[i])];
        std::memcpy(at, utf8.bytes.data(), 3);
        at += utf8.size;
    }
    out.resize(std::size_t(at - out.data()));
}

// The character that starts at i, i moved past it; nothing for a sequence
// that is not UTF-8 in its shortest form. Four-byte characters have no
// Windows-1252 form, so they count as broken too.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return ++i, char32_t(lead);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : 0;
    if (length == 0 || i + length > text.size()) return std::nullopt;
    char32_t character = lead & (length == 2 ? 0x1F : 0x0F);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
        character = character << 6 | (byte(i + k) & 0x3F);
    }
    i += length;
    if (length == 3 && character < 0x800) return std::nullopt;
    return character;
}

}  // namespace

// Most fields are only that, and need no conversion.
bool IsPlainAscii(std::string_view text) {
    for (const char ch : text) {
        if (ch < 0x20 || ch > 0x7E || ch == '%') return false;
    }
    return true;
}

void AppendEncodedField(std::string& out, std::string_view win1252) {
    // libical drops the spaces at either end of a value it reads.
    const bool edgeSpace = !win1252.empty() && (win1252.front() == ' ' || win1252.back() == ' ');
    if (IsPlainAscii(win1252) && !edgeSpace) {
        out += win1252;
        return;
    }
    static const ByteTable kEncoded = MakeTable(true);
    static const ByteTable kAtEdge = [] {
        ByteTable table = kEncoded;
        table[' '] = EscapeOf(u' ');
        return table;
    }();
    AppendThrough(out, win1252, kEncoded, &kAtEdge);
}

std::string EncodeField(std::string_view win1252) {
    std::string encoded;
    AppendEncodedField(encoded, win1252);
    return encoded;
}

std::optional<std::string> DecodeField(std::string_view utf8) {
    if (IsPlainAscii(utf8)) return std::string(utf8);
    // A byte-order mark in front has always been read as nothing.
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::optional<char32_t> character;
        if (utf8[i] == '%') {
            if (i + 2 >= utf8.size()) return std::nullopt;
            const int high = HexValue(utf8[i + 1]), low = HexValue(utf8[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            character = char32_t(high * 16 + low);
            i += 3;
        } else {
            character = NextUtf8(utf8, i);
        }
        const std::optional<char> byte = character ? Win1252Byte(*character) : std::nullopt;
        if (!byte) return std::nullopt;
        bytes += *byte;
    }
    return bytes;
}

std::string FitField(const QString& text, std::size_t width, TextFixes& fixes) {
    QString clean = text;
    bool controls = false;
    for (QChar& ch : clean) {
        if (IsControl(ch.unicode())) {
            ch = u' ';
            controls = true;
        }
    }
    std::string bytes = ToWin1252(clean);
    if (FromWin1252(bytes) != clean) ++fixes.replaced;
    if (controls) ++fixes.controls;
    if (bytes.size() >= width) {
        bytes.resize(width - 1);
        ++fixes.cut;
    }
    return bytes;
}

void AppendReadableUtf8(std::string& out, std::string_view win1252) {
    if (IsPlainAscii(win1252)) {
        out += win1252;
        return;
    }
    static const ByteTable kReadable = MakeTable(false);
    AppendThrough(out, win1252, kReadable);
}

std::string ReadableUtf8(std::string_view win1252) {
    std::string text;
    AppendReadableUtf8(text, win1252);
    return text;
}

}  // namespace quimbaro::ical
