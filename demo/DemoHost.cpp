// A host session against the simulated host product: start-up, additions, a configuration
// file written and read back, and what the host product's registry heard along the way.
//
// Usage: vq_demo [folder]   (the session's files stay in the folder, taken from the current
// directory when relative; default: a fresh folder under the system's temporary folder, kept
// after the run)

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include "AutoConnectDemo.h"
#include "collection/Txms.h"
#include "sim/Sim.h"

namespace {

void PrintCollection(vq::Txms& txms, const std::string& title) {
    std::cout << "\n"
              << title << " (" << txms.Count() << " transmitters, active " << txms.ActiveTxmIndex()
              << ")\n";
    std::cout << "  #  " << std::left << std::setw(18) << "Name" << std::setw(9) << "Type"
              << std::setw(9) << "Address" << std::setw(7) << "Port" << std::setw(13) << "Settings"
              << std::setw(10) << "Protocol"
              << "State\n";
    for (const vq::TransmitterRef& txm : txms.Transmitters()) {
        std::cout << "  " << txm->Index() << "  " << std::setw(18) << txm->Name() << std::setw(9)
                  << txm->TypeText() << std::setw(9) << txm->Address() << std::setw(7)
                  << txm->ComPort() << std::setw(13) << txm->ComSettings() << std::setw(10)
                  << txm->Protocol() << (txm->Connected().IsTrue() ? "connected" : "not connected")
                  << "\n";
    }
}

void PrintLines(const std::string& title, const std::vector<std::string>& lines) {
    std::cout << "\n" << title << "\n";
    for (const std::string& line : lines) std::cout << "  " << line << "\n";
}

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path SessionFolder(int argc, char** argv) {
    // Absolute, so that the simulator does not join a relative folder to itself.
    if (argc > 1) return std::filesystem::absolute(argv[1]).lexically_normal();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::filesystem::temp_directory_path() / ("vq-demo-" + std::to_string(stamp));
}

// Why Add answered nothing, as far as the host can tell: Add itself gives no reason.
std::string RefusalReason(vq::Txms& txms, const std::string& key, int32_t type) {
    if (!key.empty() && txms.Item(vq::Value(key)))
        return "the key \"" + key + "\" is taken by " + txms.Item(vq::Value(key))->Name() +
               " (keys ignore letter case)";
    if (type < 1 || type > txms.Servers().Count())
        return "type " + std::to_string(type) + " has no device server (there are " +
               std::to_string(txms.Servers().Count()) + ")";
    return "the simulated product refused it";
}

std::string NameOf(const vq::TransmitterRef& txm) {
    return txm ? txm->Name() : "nothing";
}

}  // namespace

int main(int argc, char** argv) try {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::cerr << "Usage: vq_demo [folder]\n";
        return std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h" ? 0 : 2;
    }
    const std::filesystem::path folder = SessionFolder(argc, argv);
    auto world = std::make_shared<sim::World>(folder);
    vq::ScopedProduct product(std::make_shared<sim::Factory>(world));
    world->Bus.push_back({1, 5, "4800,n,8,1", 1, "FT-101"});
    world->Bus.push_back({3, 2, "1200,n,8,1", 3, "PT-7"});
    std::cout << "Session folder: " << folder.string() << "\n";
    std::cout << "Instruments on the simulated bus: COM1 address 5 at 4800,n,8,1 (FT-101), "
                 "COM3 address 2 at 1200,n,8,1 (PT-7)\n";

    auto txms = std::make_shared<vq::Txms>();  // shared: the windows keep a counted reference
    vq::Connection sync = txms->OnTxmSync().Connect(
        [](std::string& info) { std::cout << "  OnTxmSync(\"" << info << "\")\n"; });
    std::cout << "\nComponentVersion: " << txms->ComponentVersion() << "\n";

    auto host = std::make_shared<sim::HostObject>();
    vq::PassThroughRef history;
    const int16_t installed = txms->Initialize(folder.string(), host, history);
    std::cout << "Initialize: " << installed << " device servers:";
    for (const auto& entry : txms->Servers()) std::cout << " " << entry.Item->TypeName();
    std::cout << "\n";

    const auto add = [&](const std::string& key, int32_t type, int16_t address, int16_t port,
                         const std::string& settings, bool autoConnect) {
        const std::string name = txms->GetNextTxmName();
        const vq::TransmitterRef txm = txms->Add(vq::Value(key), type, address, port, settings, 1,
                                                 name, vq::VbBool::From(autoConnect), vq::VbTrue);
        std::cout << "Add " << name << (key.empty() ? "" : " under key \"" + key + "\"") << ": "
                  << (txm ? "added" : "nothing, because " + RefusalReason(*txms, key, type))
                  << "\n";
    };
    std::cout << "\n";
    add("Flow", 1, 5, 1, "4800,n,8,1", true);
    add("", 2, 12, 2, "4800,n,8,1", false);
    add("Pressure", 3, 2, 3, "4800,n,8,1", true);
    add("flow", 1, 6, 1, "4800,n,8,1", false);  // the key is taken, whatever its letter case
    add("", 9, 1, 1, "4800,n,8,1", false);      // no device server for type 9
    PrintCollection(*txms, "The collection");

    std::cout << "\nItem(\"PRESSURE\"): " << NameOf(txms->Item(vq::Value("PRESSURE"))) << "\n";
    std::cout << "Item(2): " << NameOf(txms->Item(vq::Value(2))) << "\n";

    std::cout << "\nA device server reports a synchronised unit:\n";
    std::dynamic_pointer_cast<sim::DeviceServer>(txms->Servers().At(1))
        ->RaiseUnitSynchronized("Unit 5 synchronised");

    const std::filesystem::path file = folder / "plant.txm";
    const vq::VbBool saved = txms->Save(file.string(), "TxmConfiguration", vq::Value(-1));
    std::cout << "\nSave to " << file.filename().string() << ": "
              << (saved.IsTrue() ? "true" : "false") << "\n";
    if (!saved.IsTrue()) {
        std::cerr << "Save failed: " << file.string()
                  << " could not be written: " << world->Ini().LastProblem() << "\n";
        return 1;
    }
    std::cout << FileText(file);

    PrintLines("Registry calls", world->RegistryLog());
    PrintLines("Registry events while connecting", world->RegistryEvents);

    world->RegistryCalls.clear();
    world->RegistryEvents.clear();
    txms = std::make_shared<vq::Txms>();
    txms->Initialize(folder.string(), host, history);
    world->RegistryCalls.clear();
    const int16_t connected =
        txms->Load(file.string(), "TxmConfiguration", vq::Value(), vq::VbTrue);
    std::cout << "\nLoad into a new collection, connecting: " << connected << " connected\n";
    PrintCollection(*txms, "The loaded collection");
    RunAutoConnectDemo(*txms, folder);

    if (txms->Count() == 0) {
        std::cerr << "Load found no transmitters in " << file.string() << "\n";
        return 1;
    }
    txms->Remove(vq::Value(1));
    PrintCollection(*txms, "After Remove(1)");
    PrintLines("Registry calls since the load", world->RegistryLog());
    PrintLines("Registry events while loading", world->RegistryEvents);
    return 0;
} catch (const vq::Failure& failure) {
    std::cerr << "Failure 0x" << std::hex << static_cast<uint32_t>(failure.Code()) << ": "
              << failure.Description() << "\n";
    return 1;
}
