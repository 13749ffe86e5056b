#include "Mapicalls.h"

namespace vq::dialog {

std::string CurrentUserName(Platform& platform) {
    uint32_t size = 25;
    std::string buffer(size, '\0');
    bool known = platform.UserName(buffer, size);
    // A name that does not fit: the call said how much room it needs. The name cannot grow
    // between two calls, but a few rounds cost nothing and never loop for ever.
    for (int round = 0; !known && size > buffer.size() && round < 3; ++round) {
        buffer.assign(size, '\0');
        known = platform.UserName(buffer, size);
    }
    if (!known) return "";
    return buffer.substr(0, buffer.find('\0'));
}

}  // namespace vq::dialog
