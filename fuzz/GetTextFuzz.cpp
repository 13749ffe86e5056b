// Fuzzes GetText with any 32-bit language index and any 16-bit text id: it never fails, and
// gives the text of the language's block when that id fits 16 bits and exists, else the
// English text, else "".

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "sim/Sim.h"
#include "support/Texts.h"

namespace {

struct Session {
    sim::ScratchFolder folder{"vq-fuzz-text"};
    std::shared_ptr<sim::World> world = std::make_shared<sim::World>(folder.Path());
    vq::ScopedProduct product{std::make_shared<sim::Factory>(world)};
    std::map<int64_t, std::string> table;
    Session() {
        for (const auto& [id, text] : vq::CompiledTextEntries()) table.emplace(id, text);
    }
    std::string Expected(int32_t languageIndex, int16_t id) const {
        const int64_t localized = id + (static_cast<int64_t>(languageIndex) - 1) * 1000;
        if (localized >= INT16_MIN && localized <= INT16_MAX) {
            const auto found = table.find(localized);
            if (found != table.end()) return found->second;
        }
        const auto english = table.find(id);
        return english == table.end() ? std::string() : english->second;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Kept until the process ends: the per-thread product must outlive it.
    static Session& session = *new Session;
    int32_t languageIndex = 0;
    int16_t id = 0;
    if (size < sizeof languageIndex + sizeof id) return 0;
    std::memcpy(&languageIndex, data, sizeof languageIndex);
    std::memcpy(&id, data + sizeof languageIndex, sizeof id);
    session.world->Language().SetLanguageIndex(languageIndex);
    const std::string text = vq::GetText(id);
    vqfuzz::Check(text == session.Expected(languageIndex, id), "GetText gave another text",
                  std::to_string(languageIndex) + " " + std::to_string(id) + ": " + text);
    return 0;
}
