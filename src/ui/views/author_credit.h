#pragma once

#include <QString>

namespace quimbaro {

class Surface;
class GraphicControl;

inline constexpr const char* kCreditLine = "Programa realizado por :";
inline constexpr const char* kAuthorName = "LUCAS";
// The author's web address, www.LUCAS.example, split around the name so that
// the big name completes it.
inline constexpr const char* kAddressBeforeName = "www.";
inline constexpr const char* kAddressAfterName = ".example";

// The credit as one line of text, for a screen reader.
QString AuthorCreditText();

// Clears the panel and draws the author credit over it in white.
void DrawAuthorCredit(Surface& surface, GraphicControl& panel);

}  // namespace quimbaro
