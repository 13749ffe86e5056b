#include "sim/Factory.h"

#include "sim/Objects.h"
#include "support/Failure.h"

namespace sim {

Factory::Factory(std::shared_ptr<World> world) : m_World(std::move(world)) {
    if (!m_World)
        throw vq::Failure(vq::Codes::ObjectRequired, "The simulated product needs a world");
}

vq::TransmitterRef Factory::CreateTransmitter() {
    if (m_World->CannotCreateTransmitter)
        throw vq::Failure(vq::Codes::CannotCreateObject,
                          "ActiveX component can't create object: "
                          "the transmitter class is not available");
    return std::make_shared<sim::Transmitter>(m_World);
}

vq::CommandRef Factory::CreateCommand() {
    return std::make_shared<sim::Command>();
}

std::shared_ptr<vq::PathSplitter> Factory::CreatePathSplitter() {
    ++m_World->PathSplittersCreated;
    return std::make_shared<sim::PathSplitter>();
}

std::shared_ptr<vq::ConfigChooser> Factory::ConfigChooser() {
    return m_World->m_Chooser;
}

vq::DeviceServerRef Factory::CreateDeviceServer(int32_t family) {
    const FamilySetup& setup = m_World->Family(family);
    ++m_World->ServersCreated[family];
    if (setup.CannotCreate)
        throw vq::Failure(vq::Codes::CannotCreateObject,
                          "ActiveX component can't create object: the " + setup.TypeName +
                              " device server is not available");
    auto server = std::make_shared<sim::DeviceServer>(m_World, family);
    m_World->m_Servers.push_back(server);
    return server;
}

std::shared_ptr<vq::SharedService> Factory::Service() {
    return m_World->m_Service;
}

}  // namespace sim
