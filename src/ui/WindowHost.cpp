#include "WindowHost.h"

#include "support/Failure.h"
#include "support/ThreadContext.h"

namespace vq::ui {

std::shared_ptr<WindowHost> SetWindowHost(std::shared_ptr<WindowHost> host) {
    std::swap(ThisThread().WindowHost, host);
    return host;
}

WindowHost& CurrentWindowHost() {
    WindowHost* host = ThisThread().WindowHost.get();
    if (host == nullptr)
        throw Failure(Codes::Unexpected, "No window host has been installed on this thread");
    return *host;
}

}  // namespace vq::ui
