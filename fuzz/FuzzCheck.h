#pragma once
// What the fuzz targets share: a check that stops the run with a message (libFuzzer then
// saves the input), and splitting an input into lines.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace vqfuzz {

/// Stops the run when the condition does not hold; libFuzzer keeps the input as a crash.
inline void Check(bool condition, const char* what, const std::string& detail = {}) {
    if (condition) return;
    std::fprintf(stderr, "check failed: %s\n%s\n", what, detail.c_str());
    std::abort();
}

/// The input split at "\n" and "\r" (neither can be part of a stored value), at most limit
/// lines; the rest of the input is dropped.
inline std::vector<std::string> Lines(std::string_view input, std::size_t limit) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (lines.size() < limit && start <= input.size()) {
        std::size_t end = input.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = input.size();
        lines.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace vqfuzz
