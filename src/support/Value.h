#pragma once
// A variant value as it crosses the automation surface: what a host passes for a Variant
// parameter (a position or a key, an index key, a value to convert) and what an outside
// component returns from a call whose result type it chooses.
//
// The conversions follow the automation rules hosts expect: numbers round half to even when
// narrowed, text that reads as a number converts, Null and objects do not.

#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "VbBool.h"

namespace vq {

class PassThrough;

class Value {
  public:
    enum class Kind { Empty, Null, Missing, Boolean, Integer, Real, Text, Object, Unsupported };

    Value() = default;  // Empty
    template <std::integral T>
    requires(!std::same_as<T, bool>) Value(T n)
        : m_Kind(Kind::Integer), m_Integer(static_cast<int64_t>(n)) {}
    template <std::floating_point T>
    Value(T d) : m_Kind(Kind::Real), m_Real(static_cast<double>(d)) {}
    Value(std::string s) : m_Kind(Kind::Text), m_Text(std::move(s)) {}
    Value(const char* s) : m_Kind(Kind::Text), m_Text(s) {}
    Value(VbBool b) : m_Kind(Kind::Boolean), m_Integer(b.Value) {}

    static Value Null();
    /// An optional argument the caller left out.
    static Value Missing();
    static Value Object(std::shared_ptr<PassThrough> object);
    /// Anything the core cannot use (an array, a record, ...); typeName says what it was.
    static Value Unsupported(std::string typeName);

    Kind GetKind() const { return m_Kind; }
    bool IsEmpty() const { return m_Kind == Kind::Empty; }
    bool IsNull() const { return m_Kind == Kind::Null; }
    bool IsMissing() const { return m_Kind == Kind::Missing; }
    bool IsText() const { return m_Kind == Kind::Text; }
    bool IsObject() const { return m_Kind == Kind::Object; }
    /// Boolean, Integer or Real.
    bool IsNumber() const;

    /// Raw accessors; only valid for the matching kind.
    int64_t Integer() const { return m_Integer; }
    double Real() const { return m_Real; }
    const std::string& Text() const { return m_Text; }
    VbBool Boolean() const { return VbBool(static_cast<int16_t>(m_Integer)); }
    const std::shared_ptr<PassThrough>& ObjectRef() const { return m_Object; }
    /// The type name given to Unsupported.
    const std::string& TypeName() const { return m_Text; }

    /// The value as a number: numbers as they are, Boolean as -1/0, Empty as 0, text that
    /// reads as a number (blanks, sign, digits, fraction, exponent) as that number.
    /// Nothing for Null, Missing, objects, unsupported values and other text.
    std::optional<double> NumericValue() const;

    /// Conversion to text: numbers in decimal, Boolean as "True"/"False", Empty as "".
    /// Throws Failure for Null (invalid use of Null) and for anything else (type mismatch).
    std::string ToText() const;

    /// Conversion to a 16-bit / 32-bit integer, rounding half to even. Throws Failure:
    /// overflow when out of range, type mismatch when not numeric, invalid use of Null for Null.
    int16_t ToInt16() const;
    int32_t ToInt32() const;

    /// True when the value equals the Boolean true (-1), compared as a number.
    bool EqualsTrue() const;

    /// A short description for messages: "Empty", "Null", "Integer 5", "Text \"abc\"", ...
    std::string Describe() const;

  private:
    Kind m_Kind = Kind::Empty;
    int64_t m_Integer = 0;
    double m_Real = 0.0;
    std::string m_Text;
    std::shared_ptr<PassThrough> m_Object;
};

/// Rounds half to even, as automation conversions do.
double RoundHalfEven(double d);

/// Parses text as a number the way a numeric conversion does: optional blanks, optional sign,
/// digits with an optional fraction and exponent, optional blanks. Nothing on anything else.
std::optional<double> ParseNumber(const std::string& text);

}  // namespace vq
