#pragma once
// The user-name call of the dialog's link to the port-sharing application.

#include <string>

#include "support/Platform.h"

namespace vq::dialog {

/// The name of the user this program runs as, asked with room for 25 characters; a longer
/// name is asked again with the room the platform reports, so it is read whole. The text up
/// to the first NUL; "" when the platform cannot tell.
std::string CurrentUserName(Platform& platform);

}  // namespace vq::dialog
