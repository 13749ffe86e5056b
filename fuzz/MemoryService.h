#pragma once
// The simulated host product with its shared service's settings kept in a map instead of
// files, for the fuzz targets whose subject is what the component does with a stored text,
// not how the simulated service keeps files (that has a fuzz target of its own). Without a
// file write per setting, a run reaches millions of inputs.

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "sim/Sim.h"

namespace vqfuzz {

/// The simulated shared service, settings in memory: reads answer the value last written or
/// the default; a cleared section reads as empty. Everything else is the simulated service's.
class MemoryService final : public sim::Service {
  public:
    using sim::Service::Service;
    std::string ReadSetting(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& defaultValue) override {
        const auto found = Settings.find({file, section, key});
        return found == Settings.end() ? defaultValue : found->second;
    }
    vq::VbBool WriteSetting(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override {
        Settings[{file, section, key}] = value;
        return vq::VbTrue;
    }
    void ClearSection(const std::string& file, const std::string& section) override {
        std::erase_if(Settings, [&](const auto& entry) {
            return std::get<0>(entry.first) == file && std::get<1>(entry.first) == section;
        });
    }
    /// (file, section, key) -> value.
    std::map<std::tuple<std::string, std::string, std::string>, std::string> Settings;
};

/// The simulated product whose shared service is a MemoryService.
class MemoryFactory final : public sim::Factory {
  public:
    explicit MemoryFactory(const std::shared_ptr<sim::World>& world)
        : sim::Factory(world), m_Service(std::make_shared<MemoryService>(*world)) {}
    std::shared_ptr<vq::SharedService> Service() override { return m_Service; }
    MemoryService& Memory() { return *m_Service; }

  private:
    std::shared_ptr<MemoryService> m_Service;
};

}  // namespace vqfuzz
