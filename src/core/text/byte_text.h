#pragma once
// Command-line arguments and file names are bytes, which need not be UTF-8
// (a folder named in Latin-1). Qt decodes them as UTF-8 and turns every
// stray byte into U+FFFD, so a path that went through a QString would name
// another file. Here a byte that is no part of valid UTF-8 is kept as the
// lone surrogate U+DC80..U+DCFF, which valid UTF-8 never produces, and comes
// back as the same byte.

#include <QString>

#include <string>
#include <string_view>

namespace quimbaro {

QString TextOfBytes(std::string_view bytes);
// The exact bytes TextOfBytes was given; other lone surrogates become '?'.
std::string BytesOfText(const QString& text);

}  // namespace quimbaro
