#include "sim/Conversion.h"

#include <cmath>
#include <optional>
#include <string>

#include "support/Failure.h"

namespace sim {

namespace {

constexpr int64_t kLow = -32768;
constexpr int64_t kHigh = 32767;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void NotANumber(const std::string& text) {
    throw vq::Failure(vq::Codes::TypeMismatch,
                      vq::Quoted(text) +
                          " is not a whole number: use decimal digits with an optional sign "
                          "and fraction, such as 12 or -3.5");
}

[[noreturn]] void OutOfRange(const std::string& what) {
    throw vq::Failure(vq::Codes::Overflow,
                      what + " is outside the range of a 16-bit integer (-32768 to 32767)");
}

struct Parsed {
    bool Negative = false;
    std::string Whole;     // digits before the point, leading zeros removed
    std::string Fraction;  // digits after the point
};

std::optional<Parsed> ParseDecimal(const std::string& text) {
    Parsed parsed;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) parsed.Negative = text[i++] == '-';
    const std::size_t wholeStart = i;
    while (i < n && IsDigit(text[i])) ++i;
    parsed.Whole = text.substr(wholeStart, i - wholeStart);
    if (i < n && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < n && IsDigit(text[i])) ++i;
        parsed.Fraction = text.substr(fractionStart, i - fractionStart);
    }
    if (parsed.Whole.empty() && parsed.Fraction.empty()) return std::nullopt;
    while (i < n && IsBlank(text[i])) ++i;
    if (i != n) return std::nullopt;
    const std::size_t firstNonZero = parsed.Whole.find_first_not_of('0');
    parsed.Whole = firstNonZero == std::string::npos ? "" : parsed.Whole.substr(firstNonZero);
    return parsed;
}

// Rounds the fraction half to even: 1 when the magnitude goes up by one, else 0.
int RoundUp(const Parsed& parsed, int64_t magnitude) {
    if (parsed.Fraction.empty() || parsed.Fraction[0] < '5') return 0;
    if (parsed.Fraction[0] > '5') return 1;
    if (parsed.Fraction.find_first_not_of('0', 1) != std::string::npos) return 1;
    return magnitude % 2 == 0 ? 0 : 1;  // exactly one half
}

int16_t FromText(const std::string& text) {
    const std::optional<Parsed> parsed = ParseDecimal(text);
    if (!parsed) NotANumber(text);
    if (parsed->Whole.size() > 6) OutOfRange(vq::Quoted(text));
    int64_t magnitude = parsed->Whole.empty() ? 0 : std::stoll(parsed->Whole);
    magnitude += RoundUp(*parsed, magnitude);
    const int64_t result = parsed->Negative ? -magnitude : magnitude;
    if (result < kLow || result > kHigh) OutOfRange(vq::Quoted(text));
    return static_cast<int16_t>(result);
}

int16_t FromNumber(double number, const vq::Value& value) {
    if (std::isnan(number)) NotANumber(value.Describe());
    const double rounded = vq::RoundHalfEven(number);
    if (!(rounded >= kLow && rounded <= kHigh)) OutOfRange(value.Describe());
    return static_cast<int16_t>(rounded);
}

}  // namespace

int16_t ToInteger(const vq::Value& value) {
    switch (value.GetKind()) {
        case vq::Value::Kind::Text:
            return FromText(value.Text());
        case vq::Value::Kind::Empty:
            return 0;
        case vq::Value::Kind::Boolean:
            return value.Boolean().Value;
        case vq::Value::Kind::Integer:
            if (value.Integer() < kLow || value.Integer() > kHigh) OutOfRange(value.Describe());
            return static_cast<int16_t>(value.Integer());
        case vq::Value::Kind::Real:
            return FromNumber(value.Real(), value);
        case vq::Value::Kind::Null:
            throw vq::Failure(vq::Codes::InvalidUseOfNull, "Null cannot be converted to a number");
        default:
            throw vq::Failure(vq::Codes::TypeMismatch,
                              value.Describe() + " cannot be converted to a whole number");
    }
}

}  // namespace sim
