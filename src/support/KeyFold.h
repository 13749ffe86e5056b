#pragma once
// Letter case of UTF-8 text, for the Latin letters (accented ones included: Hungarian, French,
// Dutch, Italian, German names), Greek and Cyrillic. Folding makes collection keys that differ
// only in letter case compare equal; upper-casing is the text comparison of the windows, which
// put both texts in upper case. Bytes that are not valid UTF-8 are kept.

#include <string>
#include <string_view>

namespace vq {

/// The lower-case form of one code point for key comparison.
char32_t FoldCodePoint(char32_t c);

/// The folded form of a UTF-8 key; two keys are the same key when their folded forms are equal.
std::string FoldKey(std::string_view key);

/// The upper-case form of one code point (a letter without one, such as ß, stays).
char32_t UpperCodePoint(char32_t c);

/// The text with every letter in upper case. Not the same test as folding: the dotless i and
/// the final sigma, for instance, become I and Σ here but fold to themselves.
std::string UpperCase(std::string_view text);

}  // namespace vq
