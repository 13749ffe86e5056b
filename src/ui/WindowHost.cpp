#include "WindowHost.h"

#include "support/Failure.h"

namespace vq::ui {

namespace {
std::shared_ptr<WindowHost>& ThreadHost() {
    thread_local std::shared_ptr<WindowHost> host;
    return host;
}
}  // namespace

std::shared_ptr<WindowHost> SetWindowHost(std::shared_ptr<WindowHost> host) {
    std::swap(ThreadHost(), host);
    return host;
}

WindowHost& CurrentWindowHost() {
    WindowHost* host = ThreadHost().get();
    if (host == nullptr)
        throw Failure(Codes::Unexpected, "No window host has been installed on this thread");
    return *host;
}

}  // namespace vq::ui
