#pragma once
// Code points of UTF-8 text, one at a time.

#include <cstddef>
#include <string>
#include <string_view>

namespace vq {

/// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t c);

/// Decodes the code point at text[i]; returns its length in bytes, 0 when the bytes there are
/// not a well-formed sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& c);

}  // namespace vq
