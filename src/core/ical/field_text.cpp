#include "ical/field_text.h"

#include "text/win1252.h"

namespace quimbaro::ical {
namespace {

bool IsControl(char16_t unit) { return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F); }

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

}  // namespace

// Most fields are only that, and need no conversion.
bool IsPlainAscii(std::string_view text) {
    for (const char ch : text) {
        if (ch < 0x20 || ch > 0x7E || ch == '%') return false;
    }
    return true;
}

std::string EncodeField(std::string_view win1252) {
    // libical drops the spaces at either end of a value it reads.
    const bool edgeSpace = !win1252.empty() && (win1252.front() == ' ' || win1252.back() == ' ');
    if (IsPlainAscii(win1252) && !edgeSpace) return std::string(win1252);
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QString text = FromWin1252(win1252);
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const char16_t unit = ch.unicode();
        const bool atEdge = i == 0 || i == text.size() - 1;
        if (IsControl(unit) || unit == u'%' || (unit == u' ' && atEdge)) {
            escaped += u'%';
            escaped += QChar(kHex[unit >> 4]);
            escaped += QChar(kHex[unit & 0xF]);
        } else {
            escaped += ch;
        }
    }
    return escaped.toStdString();
}

std::optional<std::string> DecodeField(std::string_view utf8) {
    if (IsPlainAscii(utf8)) return std::string(utf8);
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') {
            plain += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i + 1].toLatin1()), low = HexValue(text[i + 2].toLatin1());
        if (high < 0 || low < 0) return std::nullopt;
        plain += QChar(char16_t(high * 16 + low));
        i += 2;
    }
    const std::string bytes = ToWin1252(plain);
    if (FromWin1252(bytes) != plain) return std::nullopt;
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

std::string ReadableUtf8(std::string_view win1252) {
    if (IsPlainAscii(win1252)) return std::string(win1252);
    QString text = FromWin1252(win1252);
    for (QChar& ch : text) {
        if (IsControl(ch.unicode())) ch = u' ';
    }
    return text.toStdString();
}

}  // namespace quimbaro::ical
