#pragma once
// Folding of collection keys so that keys differing only in letter case compare equal,
// accented Latin letters included (Hungarian, French, Dutch, Italian, German names), as well
// as Greek and Cyrillic capitals. Keys are UTF-8; bytes that are not valid UTF-8 are kept.

#include <string>
#include <string_view>

namespace vq {

/// The lower-case form of one code point for key comparison.
char32_t FoldCodePoint(char32_t c);

/// The folded form of a UTF-8 key; two keys are the same key when their folded forms are equal.
std::string FoldKey(std::string_view key);

}  // namespace vq
