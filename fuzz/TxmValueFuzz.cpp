// Fuzzes stored transmitter values through Load: the input's lines become the values of
// TXM1, TXM2, ... of a section. Load either appends transmitters or fails with a Failure that
// names the entry; what it appended must survive Save and a second Load unchanged.
//
// The settings live in memory here (MemoryService.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "FuzzCheck.h"
#include "MemoryService.h"
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

struct Session {
    sim::ScratchFolder folder{"vq-fuzz-txm"};
    std::shared_ptr<sim::World> world = std::make_shared<sim::World>(folder.Path());
    std::shared_ptr<vqfuzz::MemoryFactory> factory = std::make_shared<vqfuzz::MemoryFactory>(world);
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
        for (std::size_t i = 0; i < values.size(); ++i)
            factory->Memory().WriteSetting(file, "TxmConfiguration", "TXM" + std::to_string(i + 1),
                                           values[i]);
    }

    /// Back to empty lists and settings: what an input made is freed when it ends, so that
    /// libFuzzer does not take it for a leak and run the input again to look for one.
    void Reset() {
        factory->Memory().Settings.clear();
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

void FuzzOne(Session& session, std::string_view input) {
    const std::vector<std::string> values = vqfuzz::Lines(input, kMaxEntries);
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
        return;
    }
    vqfuzz::Check(static_cast<std::size_t>(session.txms.Count()) <= present,
                  "more transmitters than entries");
    CheckRoundTrip(session);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Kept until the process ends: the per-thread product must outlive it.
    static Session& session = *new Session;
    FuzzOne(session, std::string_view(reinterpret_cast<const char*>(data), size));
    session.Reset();
    return 0;
}
