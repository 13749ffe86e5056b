#pragma once
// The one exception type of the core: a failed call, with an HRESULT-compatible code and a
// description. The COM boundary turns it into DISP_E_EXCEPTION with an EXCEPINFO.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vq {

/// HRESULT-compatible codes used by the core. The 0x800A.... codes are the automation
/// run-time errors that hosts written for this component already know by number.
namespace Codes {
inline constexpr int32_t InvalidProcedureCall = static_cast<int32_t>(0x800A0005);  // 5
inline constexpr int32_t Overflow = static_cast<int32_t>(0x800A0006);              // 6
inline constexpr int32_t SubscriptOutOfRange = static_cast<int32_t>(0x800A0009);   // 9
inline constexpr int32_t TypeMismatch = static_cast<int32_t>(0x800A000D);          // 13
inline constexpr int32_t ObjectNotSet = static_cast<int32_t>(0x800A005B);          // 91
inline constexpr int32_t FileNotFound = static_cast<int32_t>(0x800A0035);          // 53
inline constexpr int32_t PathFileAccess = static_cast<int32_t>(0x800A004B);        // 75
inline constexpr int32_t InvalidUseOfNull = static_cast<int32_t>(0x800A005E);      // 94
inline constexpr int32_t ObjectRequired = static_cast<int32_t>(0x800A01A8);        // 424
inline constexpr int32_t CannotCreateObject = static_cast<int32_t>(0x800A01AD);    // 429
inline constexpr int32_t NotSupported = static_cast<int32_t>(0x800A01B6);          // 438
inline constexpr int32_t DuplicateKey = static_cast<int32_t>(0x800A01C9);          // 457
inline constexpr int32_t Unexpected = static_cast<int32_t>(0x8000FFFF);            // E_UNEXPECTED
inline constexpr int32_t Fail = static_cast<int32_t>(0x80004005);                  // E_FAIL
}  // namespace Codes

class Failure : public std::runtime_error {
  public:
    Failure(int32_t code, const std::string& description)
        : std::runtime_error(description), m_Code(code) {}

    /// HRESULT-compatible code (negative).
    int32_t Code() const { return m_Code; }
    /// Human-readable description, as a host shows it.
    std::string Description() const { return what(); }

  private:
    int32_t m_Code;
};

/// A text as a description quotes it: in double quotes, and cut after its first `shown` bytes
/// (never inside a UTF-8 sequence), with "..." and, when withLength, its full length added, so
/// that a 10 MB value still gives a description a person can read.
inline std::string Quoted(const std::string& text, std::size_t shown = 80, bool withLength = true) {
    std::size_t cut = text.size();
    if (cut > shown) {
        cut = shown;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    }
    // Appended piece by piece: GCC 12 (i686) misreads "literal" + temporary string as an
    // overlapping copy (-Wrestrict).
    std::string quoted = "\"";
    quoted.append(text, 0, cut);
    if (cut < text.size()) quoted += "...";
    quoted += '"';
    if (cut < text.size() && withLength) {
        quoted += " (";
        quoted += std::to_string(text.size());
        quoted += " bytes)";
    }
    return quoted;
}

}  // namespace vq
