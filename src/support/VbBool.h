#pragma once
// The 16-bit Boolean of the automation surface: true is -1, false is 0.
//
// Several callers test a result against exactly -1 while others accept any non-zero value,
// so the raw 16-bit value is kept and both tests are offered by name.

#include <cstdint>

namespace vq {

struct VbBool {
    int16_t Value = 0;

    constexpr VbBool() = default;
    constexpr explicit VbBool(int16_t raw) : Value(raw) {}

    /// -1 for true, 0 for false.
    static constexpr VbBool From(bool b) { return VbBool(static_cast<int16_t>(b ? -1 : 0)); }

    /// True only for the canonical true value -1.
    constexpr bool IsTrue() const { return Value == -1; }
    /// True for any non-zero value (how a plain `If x Then` reads it).
    constexpr bool IsNonZero() const { return Value != 0; }

    friend constexpr bool operator==(VbBool a, VbBool b) { return a.Value == b.Value; }
};

inline constexpr VbBool VbTrue{static_cast<int16_t>(-1)};
inline constexpr VbBool VbFalse{static_cast<int16_t>(0)};

}  // namespace vq
