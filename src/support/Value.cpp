#include "Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Failure.h"

namespace vq {

Value Value::Null() {
    Value v;
    v.m_Kind = Kind::Null;
    return v;
}

Value Value::Missing() {
    Value v;
    v.m_Kind = Kind::Missing;
    return v;
}

Value Value::Object(std::shared_ptr<PassThrough> object) {
    Value v;
    v.m_Kind = Kind::Object;
    v.m_Object = std::move(object);
    return v;
}

Value Value::Unsupported(std::string typeName) {
    Value v;
    v.m_Kind = Kind::Unsupported;
    v.m_Text = std::move(typeName);
    return v;
}

bool Value::IsNumber() const {
    return m_Kind == Kind::Boolean || m_Kind == Kind::Integer || m_Kind == Kind::Real;
}

double RoundHalfEven(double d) {
    const double floor = std::floor(d);
    const double diff = d - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

std::optional<double> ParseNumber(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    const std::size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < n && IsDigit(text[i])) ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    const std::size_t end = i;
    while (i < n && IsBlank(text[i])) ++i;
    if (i != n) return std::nullopt;
    const std::string number = text.substr(start, end - start);
    return std::strtod(number.c_str(), nullptr);
}

std::optional<double> Value::NumericValue() const {
    switch (m_Kind) {
        case Kind::Empty:
            return 0.0;
        case Kind::Boolean:
        case Kind::Integer:
            return static_cast<double>(m_Integer);
        case Kind::Real:
            return m_Real;
        case Kind::Text:
            return ParseNumber(m_Text);
        default:
            return std::nullopt;
    }
}

std::string Value::ToText() const {
    switch (m_Kind) {
        case Kind::Empty:
            return "";
        case Kind::Text:
            return m_Text;
        case Kind::Boolean:
            return m_Integer != 0 ? "True" : "False";
        case Kind::Integer:
            return std::to_string(m_Integer);
        case Kind::Real: {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.15G", m_Real);
            return buffer;
        }
        case Kind::Null:
            throw Failure(Codes::InvalidUseOfNull, "Invalid use of Null");
        default:
            throw Failure(Codes::TypeMismatch, "Type mismatch: " + Describe() + " is not text");
    }
}

namespace {
int64_t ToRangedInteger(const Value& v, int64_t low, int64_t high) {
    if (v.IsNull()) throw Failure(Codes::InvalidUseOfNull, "Invalid use of Null");
    const std::optional<double> number = v.NumericValue();
    if (!number)
        throw Failure(Codes::TypeMismatch, "Type mismatch: " + v.Describe() + " is not a number");
    const double rounded = RoundHalfEven(*number);
    if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high)))
        throw Failure(Codes::Overflow, "Overflow: " + v.Describe() + " is out of range");
    return static_cast<int64_t>(rounded);
}
}  // namespace

int16_t Value::ToInt16() const {
    return static_cast<int16_t>(ToRangedInteger(*this, INT16_MIN, INT16_MAX));
}

int32_t Value::ToInt32() const {
    return static_cast<int32_t>(ToRangedInteger(*this, INT32_MIN, INT32_MAX));
}

bool Value::EqualsTrue() const {
    if (!IsNumber()) return false;
    const std::optional<double> number = NumericValue();
    return number && *number == -1.0;
}

std::string Value::Describe() const {
    switch (m_Kind) {
        case Kind::Empty:
            return "Empty";
        case Kind::Null:
            return "Null";
        case Kind::Missing:
            return "a missing argument";
        case Kind::Boolean:
            return m_Integer != 0 ? "True" : "False";
        case Kind::Integer:
            return "the number " + std::to_string(m_Integer);
        case Kind::Real:
            return "the number " + ToText();
        case Kind::Text:
            return "the text " + Quoted(m_Text);
        case Kind::Object:
            return m_Object ? "an object" : "Nothing";
        case Kind::Unsupported:
            return "a value of type " + m_Text;
    }
    return "a value";
}

}  // namespace vq
