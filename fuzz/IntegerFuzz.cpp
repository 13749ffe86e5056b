// Fuzzes the shared service's integer conversion. Text: it accepts exactly blanks, an optional
// sign, digits with an optional fraction and blanks (checked against a regular expression),
// and an accepted text gives the value that exact decimal arithmetic gives, rounded half to
// even, or an overflow. Numbers: the first eight bytes as a double convert without undefined
// behaviour and agree with the same rounding.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <regex>
#include <string>

#include "FuzzCheck.h"
#include "sim/Conversion.h"
#include "support/Failure.h"
#include "support/Value.h"

namespace {

// The value of an accepted text, by exact decimal arithmetic: nothing when it is too large.
bool ExpectedValue(const std::smatch& m, long long& value) {
    std::string whole = m[2].str();
    const std::string fraction = m[4].str();
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.size() > 12) return false;
    long long magnitude = whole.empty() ? 0 : std::stoll(whole);
    // Compare the fraction with one half: "5" followed only by zeros is exactly one half.
    const std::string half = "5" + std::string(fraction.size() > 1 ? fraction.size() - 1 : 0, '0');
    const std::string padded = fraction + std::string(half.size() - fraction.size(), '0');
    if (!fraction.empty() && (padded > half || (padded == half && magnitude % 2 == 1))) ++magnitude;
    value = m[1].str() == "-" ? -magnitude : magnitude;
    return true;
}

void CheckText(const std::string& text) {
    static const std::regex number(R"([ \t]*([+-]?)([0-9]*)(\.([0-9]*))?[ \t]*)");
    std::smatch m;
    const bool accepted =
        std::regex_match(text, m, number) && (m[2].length() > 0 || m[4].length() > 0);
    try {
        const int16_t result = sim::ToInteger(vq::Value(text));
        vqfuzz::Check(accepted, "text that is no number was converted", text);
        long long expected = 0;
        vqfuzz::Check(ExpectedValue(m, expected) && expected == result, "wrong value", text);
    } catch (const vq::Failure& failure) {
        if (!accepted) {
            vqfuzz::Check(failure.Code() == vq::Codes::TypeMismatch, "not a type mismatch", text);
            return;
        }
        long long expected = 0;
        vqfuzz::Check(failure.Code() == vq::Codes::Overflow, "a number was refused", text);
        vqfuzz::Check(!ExpectedValue(m, expected) || expected < -32768 || expected > 32767,
                      "an overflow for a number in range", text);
    }
}

void CheckNumber(double number) {
    try {
        const int16_t result = sim::ToInteger(vq::Value(number));
        vqfuzz::Check(std::isfinite(number) && std::fabs(number - result) <= 0.5,
                      "a number converted to a far value", std::to_string(number));
        if (std::fabs(number - result) == 0.5)
            vqfuzz::Check(result % 2 == 0, "a half not rounded to even", std::to_string(number));
    } catch (const vq::Failure& failure) {
        const bool outside = std::isnan(number) || !(number > -32768.5 && number < 32767.5);
        vqfuzz::Check(outside || number == -32768.5 || number == 32767.5,
                      "a number in range was refused", std::to_string(number));
        vqfuzz::Check(
            failure.Code() == (std::isnan(number) ? vq::Codes::TypeMismatch : vq::Codes::Overflow),
            "the wrong failure for a number", std::to_string(number));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;  // the regular expression engine recurses per character
    CheckText(std::string(reinterpret_cast<const char*>(data), size));
    if (size >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        CheckNumber(number);
    }
    return 0;
}
