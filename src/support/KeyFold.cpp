#include "KeyFold.h"

#include "Utf8.h"

namespace vq {

char32_t FoldCodePoint(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c < 0xC0) return c;
    // Latin-1: À..Þ except the multiplication sign.
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
    if (c < 0x100) return c;
    // Latin Extended-A: mostly upper/lower pairs at even/odd code points, with two runs
    // paired odd/even and a few letters without a partner.
    if (c <= 0x17F) {
        if (c == 0x130) return U'i';  // capital I with dot above
        if (c == 0x178) return 0xFF;  // Y with diaeresis
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper) return (c % 2 == 1) ? c + 1 : c;
        const bool evenUpper = (c <= 0x137 && c != 0x131) || (c >= 0x14A && c <= 0x177);
        if (evenUpper) return (c % 2 == 0) ? c + 1 : c;
        return c;
    }
    // Greek capitals Α..Ω (without the reserved 0x3A2) and the accented ones.
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    // Cyrillic capitals.
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    return c;
}

char32_t UpperCodePoint(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0xB5) return c;
    if (c == 0xB5) return 0x39C;  // micro sign: Greek capital mu
    // Latin-1: à..þ except the division sign; ÿ has its capital in Latin Extended-A.
    if (c >= 0xE0 && c <= 0xFE) return c == 0xF7 ? c : c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c < 0x100) return c;
    // Latin Extended-A: the partners of the capitals FoldCodePoint knows.
    if (c <= 0x17F) {
        if (c == 0x131) return U'I';  // dotless i
        if (c == 0x17F) return U'S';  // long s
        const bool evenLower = (c >= 0x13A && c <= 0x148) || (c >= 0x17A && c <= 0x17E);
        if (evenLower) return (c % 2 == 0) ? c - 1 : c;
        const bool oddLower = (c <= 0x137 && c != 0x131) || (c >= 0x14B && c <= 0x177);
        if (oddLower) return (c % 2 == 1) ? c - 1 : c;
        return c;
    }
    // Greek small letters, the final sigma and the accented ones.
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    // Cyrillic small letters.
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

namespace {

// The text with every well-formed code point replaced by map(code point).
template <class Map>
std::string MapCodePoints(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c;
        const std::size_t length = DecodeUtf8(text, i, c);
        if (length == 0) {
            out += text[i++];
            continue;
        }
        AppendUtf8(out, map(c));
        i += length;
    }
    return out;
}

}  // namespace

std::string FoldKey(std::string_view key) {
    return MapCodePoints(key, FoldCodePoint);
}

std::string UpperCase(std::string_view text) {
    return MapCodePoints(text, UpperCodePoint);
}

}  // namespace vq
