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

std::string FoldKey(std::string_view key) {
    std::string out;
    out.reserve(key.size());
    std::size_t i = 0;
    while (i < key.size()) {
        char32_t c;
        const std::size_t length = DecodeUtf8(key, i, c);
        if (length == 0) {
            out += key[i++];
            continue;
        }
        AppendUtf8(out, FoldCodePoint(c));
        i += length;
    }
    return out;
}

}  // namespace vq
