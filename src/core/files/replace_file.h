#pragma once
// Replacing a small file of the data folder whole: the new text goes to a
// temporary file beside it, reaches the disk, and is renamed over the old one,
// so a crash or a full disk leaves the old file or the new one, never a cut one.
// Paths stay bytes throughout (a folder named in Latin-1 is that folder).

#include <filesystem>
#include <string_view>

namespace quimbaro {

// 0, or the errno of the step that failed (nothing is left behind then). A new
// file is for its owner only; an existing one keeps its mode. Only a missing
// file or a regular one is replaced (EINVAL otherwise, ELOOP for a link).
int ReplaceFileWith(const std::filesystem::path& path, std::string_view text);

}  // namespace quimbaro
