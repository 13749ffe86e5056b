// A host session against the simulated host product: start-up, additions, a configuration
// file written and read back, and what the host product's registry heard along the way.
//
// Usage: vq_demo [folder]   (the session's files stay in the folder; default: a fresh
// folder under the system's temporary folder, kept after the run)

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

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
    if (argc > 1) return argv[1];
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::filesystem::temp_directory_path() / ("vq-demo-" + std::to_string(stamp));
}

}  // namespace

int main(int argc, char** argv) try {
    const std::filesystem::path folder = SessionFolder(argc, argv);
    auto world = std::make_shared<sim::World>(folder);
    vq::ScopedProduct product(std::make_shared<sim::Factory>(world));
    world->Bus.push_back({1, 5, "4800,n,8,1", 1, "FT-101"});
    world->Bus.push_back({3, 2, "1200,n,8,1", 3, "PT-7"});
    std::cout << "Session folder: " << folder.string() << "\n";
    std::cout << "Instruments on the simulated bus: COM1 address 5 at 4800,n,8,1 (FT-101), "
                 "COM3 address 2 at 1200,n,8,1 (PT-7)\n";

    auto txms = std::make_unique<vq::Txms>();
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
                  << (txm ? "added" : "nothing") << "\n";
    };
    std::cout << "\n";
    add("Flow", 1, 5, 1, "4800,n,8,1", true);
    add("", 2, 12, 2, "4800,n,8,1", false);
    add("Pressure", 3, 2, 3, "4800,n,8,1", true);
    add("flow", 1, 6, 1, "4800,n,8,1", false);  // the key is taken, whatever its letter case
    add("", 9, 1, 1, "4800,n,8,1", false);      // no device server for type 9
    PrintCollection(*txms, "The collection");

    std::cout << "\nItem(\"PRESSURE\"): " << txms->Item(vq::Value("PRESSURE"))->Name() << "\n";
    std::cout << "Item(2): " << txms->Item(vq::Value(2))->Name() << "\n";

    std::cout << "\nA device server reports a synchronised unit:\n";
    std::dynamic_pointer_cast<sim::DeviceServer>(txms->Servers().At(1))
        ->RaiseUnitSynchronized("Unit 5 synchronised");

    const std::filesystem::path file = folder / "plant.txm";
    const vq::VbBool saved = txms->Save(file.string(), "TxmConfiguration", vq::Value(-1));
    std::cout << "\nSave to " << file.filename().string() << ": "
              << (saved.IsTrue() ? "true" : "false") << "\n"
              << FileText(file);

    PrintLines("Registry calls", world->RegistryLog());
    PrintLines("Registry events while connecting", world->RegistryEvents);

    world->RegistryCalls.clear();
    world->RegistryEvents.clear();
    txms = std::make_unique<vq::Txms>();
    txms->Initialize(folder.string(), host, history);
    world->RegistryCalls.clear();
    const int16_t connected =
        txms->Load(file.string(), "TxmConfiguration", vq::Value(), vq::VbTrue);
    std::cout << "\nLoad into a new collection, connecting: " << connected << " connected\n";
    PrintCollection(*txms, "The loaded collection");
    RunAutoConnectDemo(*txms, folder);

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
