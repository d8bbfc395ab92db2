#pragma once
// Windows-1252 text: the 8-bit form in which records, keys and typed lines are
// stored and compared.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace quimbaro {

// Characters with no Windows-1252 form become '?'.
std::string ToWin1252(const QString& text);
QString FromWin1252(std::string_view bytes);
// The character a byte stands for: any byte has one, so that bytes survive
// the trip through Unicode.
char16_t Win1252CodePoint(unsigned char byte);
// The byte that stands for a character; nothing when none does.
std::optional<char> Win1252Byte(char32_t character);

// Lower-casing by the Windows-1252 rules: A-Z, the accented capitals
// 0xC0-0xDE (except 0xD7), and Š Œ Ž Ÿ.
char LowerWin1252(char ch);
std::string LowerWin1252(std::string_view text);

}  // namespace quimbaro
