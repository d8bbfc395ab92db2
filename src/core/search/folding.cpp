#include "search/folding.h"

#include "text/win1252.h"

namespace quimbaro {
namespace {

// The base letter of a small accented letter; the letter itself otherwise
// (æ, ð, œ, ß and þ have no single base letter).
unsigned char BaseLetter(unsigned char lower) {
    if (lower >= 0xE0 && lower <= 0xE5) return 'a';
    if (lower >= 0xE8 && lower <= 0xEB) return 'e';
    if (lower >= 0xEC && lower <= 0xEF) return 'i';
    if ((lower >= 0xF2 && lower <= 0xF6) || lower == 0xF8) return 'o';
    if (lower >= 0xF9 && lower <= 0xFC) return 'u';
    switch (lower) {
    case 0xE7: return 'c';
    case 0xF1: return 'n';
    case 0xFD:
    case 0xFF: return 'y';
    case 0x9A: return 's';
    case 0x9E: return 'z';
    default: return lower;
    }
}

std::array<unsigned char, 256> BuildFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        const auto lower = static_cast<unsigned char>(LowerWin1252(static_cast<char>(byte)));
        table[static_cast<std::size_t>(byte)] = BaseLetter(lower);
    }
    return table;
}

}  // namespace

const std::array<unsigned char, 256>& FoldTable() {
    static const std::array<unsigned char, 256> table = BuildFoldTable();
    return table;
}

std::string FoldText(std::string_view text) {
    std::string folded(text);
    for (char& ch : folded) ch = FoldChar(ch);
    return folded;
}

}  // namespace quimbaro
