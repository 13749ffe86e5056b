#pragma once
// What the dialog does differently by transmitter type: the serial settings it offers, the
// values it sets when the type is chosen, when the tag check box and the Auto Connect button
// are enabled, and which bus addresses it accepts. Types without a rule are left alone.

#include <cstdint>
#include <string>
#include <vector>

namespace vq::dialog {

struct TypeRule {
    /// The entries of the settings list, in order.
    std::vector<std::string> Settings;
    /// ComSettings set when the type is chosen (with Protocol 1 and an empty Version).
    std::string ComSettings;
    bool TagEnabledAfterLoad;
    bool TagEnabledAfterChoice;
    bool AutoConnectAfterChoice;
    int16_t MinAddress;
    int16_t MaxAddress;
};

/// The rule of a transmitter type, null for a type without one (anything but 1 to 6).
const TypeRule* RuleOf(int32_t txmType);

}  // namespace vq::dialog
