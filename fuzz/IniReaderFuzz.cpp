// Fuzzes the simulated shared service's settings files: the input is a file's content. Every
// section and key a reader can name must read back as an independent, line-by-line model of
// the file says; after a write and a cleared section, a fresh store must read the changed
// file as the model changed the same way, and every other entry as before.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "sim/IniStore.h"
#include "sim/World.h"
#include "support/Failure.h"

namespace {

std::string Fold(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool Nameable(const std::string& name) {
    return !name.empty() && name.find_first_of("\r\n") == std::string::npos;
}

// The entries a reader can reach: the first section of each name, the first key of each
// name in it.
struct Model {
    std::vector<std::string> SectionOrder;                             // folded, first occurrence
    std::map<std::string, std::string> SectionNames;                   // folded -> as written
    std::map<std::string, std::map<std::string, std::string>> Values;  // folded section, key
    std::map<std::string, std::map<std::string, std::string>> KeyNames;

    explicit Model(const std::string& content) {
        std::size_t start = 0;
        std::string current;
        bool reachable = false;  // inside the first section of its name
        while (start < content.size()) {
            std::size_t end = content.find('\n', start);
            if (end == std::string::npos) end = content.size();
            std::string line = content.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            start = end + 1;
            if (!line.empty() && line[0] == '[' && line.find(']') != std::string::npos) {
                const std::string name = line.substr(1, line.find(']') - 1);
                current = Fold(name);
                reachable = SectionNames.emplace(current, name).second;
                if (reachable) SectionOrder.push_back(current);
                continue;
            }
            if (!reachable || line.empty() || line[0] == ';') continue;
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = line.substr(0, equals);
            if (Values[current].emplace(Fold(key), line.substr(equals + 1)).second)
                KeyNames[current][Fold(key)] = key;
        }
    }
};

bool Readable(const std::string& section, const std::string& key) {
    return Nameable(section) && section.find(']') == std::string::npos && Nameable(key) &&
           key[0] != '[' && key[0] != ';' && key.find('=') == std::string::npos;
}

void CheckAgainst(sim::IniStore& store, const std::string& file, const Model& model,
                  const char* when) {
    for (const auto& [folded, name] : model.SectionNames) {
        const auto values = model.Values.find(folded);
        if (values == model.Values.end()) continue;
        for (const auto& [key, value] : values->second) {
            const std::string& keyName = model.KeyNames.at(folded).at(key);
            if (!Readable(name, keyName)) continue;
            const std::string read = store.Read(file, name, keyName, "\x01missing");
            vqfuzz::Check(read == value, when,
                          "[" + name + "] " + keyName + "=" + value + " read as " + read);
        }
    }
}

sim::ScratchFolder& Folder() {
    static sim::ScratchFolder folder("vq-fuzz-ini");
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string file = (Folder().Path() / "fuzz.ini").string();
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
    sim::IniStore store;

    Model model(content);
    CheckAgainst(store, file, model, "a value read differently from the file");
    vqfuzz::Check(store.Read(file, "No such section \x02", "Key", "default") == "default",
                  "a missing section does not read as the default");

    // Change the first reachable section (or add one), then read the file with a new store.
    const std::string target =
        model.SectionOrder.empty() ? "Added" : model.SectionNames[model.SectionOrder.front()];
    if (!Readable(target, "FuzzKey")) return 0;
    vqfuzz::Check(store.Write(file, target, "FuzzKey", "fuzz=value|1|"), "a write was refused");
    model.Values[Fold(target)]["fuzzkey"] = "fuzz=value|1|";
    model.KeyNames[Fold(target)]["fuzzkey"] = "FuzzKey";
    model.SectionNames.emplace(Fold(target), target);
    if (model.SectionOrder.size() > 1) {
        const std::string cleared = model.SectionOrder.back();
        if (Readable(model.SectionNames[cleared], "k")) {
            vqfuzz::Check(store.ClearSection(file, model.SectionNames[cleared]), "clear refused");
            model.Values.erase(cleared);
            vqfuzz::Check(
                store.Read(file, model.SectionNames[cleared], "FuzzKey", "gone") == "gone",
                "a cleared section still reads");
        }
    }
    sim::IniStore fresh;
    CheckAgainst(fresh, file, model, "a value changed through a write of another");
    return 0;
}
