#pragma once
// The shared service's integer conversion.

#include <cstdint>

#include "support/Value.h"

namespace sim {

/// Converts a text or a number to a 16-bit integer.
///
/// Text: optional blanks, an optional sign, decimal digits with an optional decimal fraction,
/// optional blanks ("007" is 7, " -5 " is -5). A fraction is rounded half to even, exactly as
/// written (2.5 is 2, 3.5 is 4, 2.5000001 is 3). Numbers round the same way; Boolean is -1 or
/// 0, Empty is 0.
///
/// Throws vq::Failure: type mismatch for anything else ("", letters, "1e3", "0x10", Null,
/// objects), overflow for a result outside -32768..32767.
int16_t ToInteger(const vq::Value& value);

}  // namespace sim
