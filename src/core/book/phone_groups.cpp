#include "book/phone_groups.h"

namespace quimbaro {

namespace {

// Like substr, but a start past the end gives an empty piece.
std::string_view Piece(std::string_view text, std::size_t start, std::size_t count) {
    if (start >= text.size()) return {};
    return text.substr(start, count);
}

}  // namespace

std::string GroupPhone(std::string_view phone) {
    const std::string_view last = phone.size() < 2 ? phone : phone.substr(phone.size() - 2);
    std::string grouped;
    grouped.reserve(phone.size() + 5);
    grouped.append(Piece(phone, 0, 3)).append(" ");
    grouped.append(Piece(phone, 3, 2)).append(" ");
    grouped.append(Piece(phone, 5, 2)).append(" ");
    grouped.append(last);
    return grouped;
}

}  // namespace quimbaro
