#pragma once
// The simulated host product as the core obtains it: install one per thread with
// vq::ScopedProduct(std::make_shared<sim::Factory>(world)).

#include <memory>

#include "sim/World.h"
#include "support/Product.h"

namespace sim {

class Factory : public vq::ProductFactory {
  public:
    explicit Factory(std::shared_ptr<World> world);

    /// A new transmitter; throws vq::Failure when the world says it cannot be created.
    vq::TransmitterRef CreateTransmitter() override;
    vq::CommandRef CreateCommand() override;
    /// A new path splitter (the shared service's own one is another object).
    std::shared_ptr<vq::PathSplitter> CreatePathSplitter() override;
    std::shared_ptr<vq::ConfigChooser> ConfigChooser() override;
    /// A new device server of family 1 to 6; throws vq::Failure for other families and for
    /// a family the world says cannot be created.
    vq::DeviceServerRef CreateDeviceServer(int32_t family) override;
    std::shared_ptr<vq::SharedService> Service() override;

    World& GetWorld() const { return *m_World; }

  private:
    std::shared_ptr<World> m_World;
};

}  // namespace sim
