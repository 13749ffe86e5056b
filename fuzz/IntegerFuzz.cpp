// Fuzzes the shared service's integer conversion. Text: it accepts exactly blanks, an optional
// sign, digits with an optional fraction and blanks (checked by a table-driven recognizer of that
// form), and an accepted text gives the value that exact decimal arithmetic gives, rounded half
// to even, or an overflow. Numbers: the first eight bytes as a double convert without undefined
// behaviour and agree with the same rounding.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "sim/Conversion.h"
#include "support/Failure.h"
#include "support/Value.h"

namespace {

// The parts of a text of the documented form.
struct Number {
    bool Negative = false;
    std::string_view Whole;
    std::string_view Fraction;
};

// The recognizer: one row per state, one column per character class.
enum State : uint8_t { Lead, Sign, Whole, Point, Fraction, Trail, Reject };
enum Class : uint8_t { Blank, Plus, Minus, Digit, Dot, Other };
constexpr std::array<std::array<State, 6>, 6> kNext{{
    //         blank   +      -      digit     .         other
    /* Lead */ {Lead, Sign, Sign, Whole, Point, Reject},
    /* Sign */ {Reject, Reject, Reject, Whole, Point, Reject},
    /* Whole */ {Trail, Reject, Reject, Whole, Fraction, Reject},
    /* Point */ {Reject, Reject, Reject, Fraction, Reject, Reject},
    /* Fraction */ {Trail, Reject, Reject, Fraction, Reject, Reject},
    /* Trail */ {Trail, Reject, Reject, Reject, Reject, Reject},
}};

Class ClassOf(char c) {
    if (c == ' ' || c == '\t') return Blank;
    if (c >= '0' && c <= '9') return Digit;
    return c == '+' ? Plus : c == '-' ? Minus : c == '.' ? Dot : Other;
}

// The parts of a text of the documented form (at least one digit), or nothing.
std::optional<Number> Recognize(std::string_view text) {
    Number number;
    State state = Lead;
    std::size_t wholeAt = 0, fractionAt = 0;
    for (std::size_t i = 0; i < text.size() && state != Reject; ++i) {
        const Class type = ClassOf(text[i]);
        const State next = kNext[state][type];
        if (type == Minus && next == Sign) number.Negative = true;
        if (type == Digit && next == Whole && state != Whole) wholeAt = i;
        if (type == Digit && next == Whole) number.Whole = text.substr(wholeAt, i + 1 - wholeAt);
        if (type == Dot && next != Reject) fractionAt = i + 1;
        if (type == Digit && next == Fraction)
            number.Fraction = text.substr(fractionAt, i + 1 - fractionAt);
        state = next;
    }
    if (state != Whole && state != Fraction && state != Trail) return std::nullopt;
    return number;
}

// The value of an accepted text, by exact decimal arithmetic: nothing when it is too large.
bool ExpectedValue(const Number& number, long long& value) {
    std::string_view whole = number.Whole;
    const std::string fraction(number.Fraction);
    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.size() > 12) return false;
    long long magnitude = whole.empty() ? 0 : std::stoll(std::string(whole));
    // Compare the fraction with one half: "5" followed only by zeros is exactly one half.
    const std::string half = "5" + std::string(fraction.size() > 1 ? fraction.size() - 1 : 0, '0');
    const std::string padded = fraction + std::string(half.size() - fraction.size(), '0');
    if (!fraction.empty() && (padded > half || (padded == half && magnitude % 2 == 1))) ++magnitude;
    value = number.Negative ? -magnitude : magnitude;
    return true;
}

void CheckText(const std::string& text) {
    const std::optional<Number> number = Recognize(text);
    try {
        const int16_t result = sim::ToInteger(vq::Value(text));
        vqfuzz::Check(number.has_value(), "text that is no number was converted", text);
        long long expected = 0;
        vqfuzz::Check(ExpectedValue(*number, expected) && expected == result, "wrong value", text);
    } catch (const vq::Failure& failure) {
        if (!number) {
            vqfuzz::Check(failure.Code() == vq::Codes::TypeMismatch, "not a type mismatch", text);
            return;
        }
        long long expected = 0;
        vqfuzz::Check(failure.Code() == vq::Codes::Overflow, "a number was refused", text);
        vqfuzz::Check(!ExpectedValue(*number, expected) || expected < -32768 || expected > 32767,
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
    CheckText(std::string(reinterpret_cast<const char*>(data), size));
    if (size >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        CheckNumber(number);
    }
    return 0;
}
