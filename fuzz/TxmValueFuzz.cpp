// Fuzzes stored transmitter values through Load: the input's lines become the values of
// TXM1, TXM2, ... of a section. Load either appends transmitters or fails with a Failure that
// names the entry; what it appended must survive Save and a second Load unchanged.
//
// The settings live in memory here (the simulated service's files have their own fuzz
// target), so that a run reaches millions of inputs.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "FuzzCheck.h"
#include "collection/Txms.h"
#include "sim/Sim.h"
#include "support/Failure.h"

namespace {

constexpr std::size_t kMaxEntries = 8;
// A Failure's description stays readable however long the value it complains about.
constexpr std::size_t kMaxDescription = 1000;

std::string Settings(const vq::TransmitterRef& txm) {
    return txm->Name() + "|" + std::to_string(txm->Address()) + "|" +
           std::to_string(txm->TxmType()) + "|" + std::to_string(txm->ComPort()) + "|" +
           txm->ComSettings() + "|" + std::to_string(txm->Protocol());
}

// The simulated shared service with its settings kept in a map instead of files.
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
    std::map<std::tuple<std::string, std::string, std::string>, std::string> Settings;
};

class MemoryFactory final : public sim::Factory {
  public:
    explicit MemoryFactory(const std::shared_ptr<sim::World>& world)
        : sim::Factory(world), m_Service(std::make_shared<MemoryService>(*world)) {}
    std::shared_ptr<vq::SharedService> Service() override { return m_Service; }
    std::shared_ptr<MemoryService> m_Service;
};

struct Session {
    sim::ScratchFolder folder{"vq-fuzz-txm"};
    std::shared_ptr<sim::World> world = std::make_shared<sim::World>(folder.Path());
    std::shared_ptr<MemoryFactory> factory = std::make_shared<MemoryFactory>(world);
    vq::ScopedProduct product{factory};
    std::shared_ptr<sim::HostObject> host = std::make_shared<sim::HostObject>();
    vq::PassThroughRef history;
    vq::Txms txms;
    vq::Txms copy;
    std::string file = "fuzz.txm";

    Session() {
        world->RecordPuts = false;
        vqfuzz::Check(txms.Initialize(folder.Path().string(), host, history) == 3, "Initialize");
        vqfuzz::Check(copy.Initialize(folder.Path().string(), host, history) == 3, "Initialize");
    }

    void WriteSection(const std::vector<std::string>& values) {
        factory->m_Service->Settings.clear();
        for (std::size_t i = 0; i < values.size(); ++i)
            factory->m_Service->WriteSetting(file, "TxmConfiguration",
                                             "TXM" + std::to_string(i + 1), values[i]);
    }

    void Reset() {
        txms.Clear();
        copy.Clear();
        world->RegistryCalls.clear();
        world->RegistryEvents.clear();
    }
};

void CheckRoundTrip(Session& s) {
    vqfuzz::Check(s.txms.Save(s.file, "Again", vq::Value(-1)).IsTrue(), "Save of loaded entries");
    vqfuzz::Check(s.copy.Load(s.file, "Again") == 0, "Load without AutoConnect connects none");
    vqfuzz::Check(s.copy.Count() == s.txms.Count(), "saved and loaded counts differ");
    for (int32_t i = 1; i <= s.txms.Count(); ++i) {
        const std::string before = Settings(s.txms.Item(vq::Value(i)));
        const std::string after = Settings(s.copy.Item(vq::Value(i)));
        vqfuzz::Check(before == after, "an entry changed through Save and Load",
                      before + "\n" + after);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Kept until the process ends: the per-thread product must outlive it.
    static Session& session = *new Session;
    session.Reset();
    const std::vector<std::string> values =
        vqfuzz::Lines(std::string_view(reinterpret_cast<const char*>(data), size), kMaxEntries);
    session.WriteSection(values);

    std::size_t present = 0;  // entries before the first empty value
    while (present < values.size() && !values[present].empty()) ++present;
    try {
        vqfuzz::Check(session.txms.Load(session.file, "TxmConfiguration") == 0,
                      "Load without AutoConnect connects none");
    } catch (const vq::Failure& failure) {
        const std::string& description = failure.Description();
        vqfuzz::Check(failure.Code() != 0, "a failure without a code");
        vqfuzz::Check(description.find("TXM") != std::string::npos,
                      "a failure that does not name its entry", description);
        vqfuzz::Check(description.size() <= kMaxDescription, "an unreadably long description",
                      std::to_string(description.size()));
        vqfuzz::Check(static_cast<std::size_t>(session.txms.Count()) < present,
                      "a failed entry was added");
        return 0;
    }
    vqfuzz::Check(static_cast<std::size_t>(session.txms.Count()) <= present,
                  "more transmitters than entries");
    CheckRoundTrip(session);
    return 0;
}
