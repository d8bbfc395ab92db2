#pragma once
// Search folding of Windows-1252 text: capitals to small letters by the
// Windows-1252 rules, then accented letters to their base letter, so that
// "pena" finds "Peña" and "jose" finds "JOSÉ".

#include <array>
#include <string>
#include <string_view>

namespace quimbaro {

// The folded byte of every byte, built once.
const std::array<unsigned char, 256>& FoldTable();

inline char FoldChar(char ch) {
    return static_cast<char>(FoldTable()[static_cast<unsigned char>(ch)]);
}
std::string FoldText(std::string_view text);

}  // namespace quimbaro
