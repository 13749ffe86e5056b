// The Windows demo host: a host program as the product's own would be, against the simulated
// host product. It creates CTxms by its ProgID, initialises it, loads a sample configuration
// and opens the Transmitter Wizard with ShowWizard.
//
//   vq_wizard_demo.exe SAMPLE.txm [LANGUAGE [SHOTS_FOLDER]]
//
// LANGUAGE is the host's language index (1 English, 2 Hungarian). Without SHOTS_FOLDER the
// wizard is the user's; when it closes the demo saves the collection as plant.txm in the
// session folder. With SHOTS_FOLDER a second thread takes the user's place for a short tour
// (the list, the add dialog, Auto Connect with the simulated port-sharing application,
// connect all, the save dialog) and asks for a screenshot at each step: it writes
// SHOTS_FOLDER\shot.request ("name x y width height", screen pixels) and waits until the
// file is gone (scripts/run-demo.sh takes the picture and removes it).
//
// Both DLLs must be registered (regsvr32). Prints the session folder first.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "demo/win32/Tour.h"
#include "support/Failure.h"
#include "support/Texts.h"
#include "win32/host/Outside.h"

using vq::win32::ComPtr;
using vq::win32::Outside;
using vq::win32::Variant;
namespace fs = std::filesystem;

namespace {

ComPtr<IDispatch> Create(const wchar_t* progId) {
    CLSID clsid{};
    ComPtr<IDispatch> object;
    if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(object.Put()))))
        throw vq::Failure(static_cast<int32_t>(REGDB_E_CLASSNOTREG),
                          "cannot create " + vq::win32::Narrow(progId) + " (is it registered?)");
    return object;
}

/// The simulated port-sharing application where the dialog's link looks for it, answering
/// with the client port COM4 on channel COM2.
void InstallPortSharing(const fs::path& programFolder) {
    const std::string folder = "C:\\Program Files\\Halvik\\Halvik Quennet\\";
    char user[256] = {};
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    const std::string data = std::string("C:\\Documents and Settings\\") + user +
                             "\\Application Data\\Halvik\\Quennet\\";
    std::error_code ignored;
    fs::remove_all(data, ignored);
    fs::create_directories(folder);
    // A copy still running from an earlier session (it ends when idle) is the same program.
    std::error_code busy;
    fs::copy_file(programFolder / "QuennetSim.exe", folder + "Quennet.exe",
                  fs::copy_options::overwrite_existing, busy);
    if (busy && !fs::exists(folder + "Quennet.exe")) throw fs::filesystem_error("install", busy);
    std::ofstream(folder + "Quennet.cfg")
        << "DataFolder=" << data
        << "\nClient=missing\nClientPort=COM4\nChannels=COM2\nExitAfterIdle=60\n";
}

fs::path ProgramFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return fs::path(path).parent_path();
}

/// The component's text with an English id in a language (1 English, 2 Hungarian), as its
/// windows show it.
std::string Text(int language, int id) {
    const vq::TextSource& table = vq::CompiledTexts();
    if (auto text = table.Find(id + (language - 1) * vq::kLanguageBlockSize)) return *text;
    return table.Find(id).value_or("");
}

demo::TourTexts TextsOf(int language) {
    demo::TourTexts t;
    const auto w = [&](int id) { return vq::win32::Widen(Text(language, id)); };
    t.Wizard = w(301);
    t.AddTool = w(303);
    t.ConnectTool = w(306);
    t.SaveTool = w(320);
    t.ConnectAll = w(307);
    t.Connected = w(315);
    t.SaveTitle = w(401);
    t.AddDialog = w(201);
    t.TypeLabel = w(205);
    t.PortLabel = w(208);
    t.AutoConnect = w(225);
    t.AddButton = w(211);
    return t;
}

int Run(const std::string& sample, int language, const std::string& shots) {
    Outside world(Create(L"vqSim.World"), "simulated world");
    world.Call(L"Reset");
    // The instruments on the bus: those of the sample, and the one Auto Connect reaches.
    const struct {
        short Port, Address;
        const char* Settings;
        long Type;
    } bus[] = {{1, 3, "4800,n,8,1", 1},
               {2, 7, "1200,n,8,1", 2},
               {3, 12, "4800,n,8,1", 1},
               {4, 1, "4800,n,8,1", 3}};
    for (const auto& i : bus)
        world.Call(L"AddInstrument", {vq::win32::Short(i.Port), vq::win32::Short(i.Address),
                                      vq::win32::Text(i.Settings), vq::win32::Long(i.Type)});
    world.Put(L"LanguageIndex", vq::win32::Long(language));

    Outside txms(Create(L"vqTransmitters32.CTxms"), "CTxms");
    const std::string folder = vq::win32::AsText(world.Call(L"Folder"));
    std::printf("session folder: %s\n", folder.c_str());
    IDispatch* history = nullptr;
    const Variant host = world.Call(L"CreateHost");
    const long servers = vq::win32::AsLong(
        txms.Call(L"Initialize", {vq::win32::Text(folder), host, vq::win32::RefObject(&history)}));
    std::printf("Initialize: %ld device servers\n", servers);
    const std::string plant = folder + "\\plant.txm";
    fs::copy_file(sample, plant, fs::copy_options::overwrite_existing);
    txms.Call(L"Load", {vq::win32::Text(plant), vq::win32::Text("TxmConfiguration"),
                        vq::win32::Short(-1), vq::win32::Bool(vq::VbFalse)});
    std::printf("Load %s: %ld transmitters\n", plant.c_str(),
                static_cast<long>(vq::win32::AsLong(txms.Call(L"Count"))));
    InstallPortSharing(ProgramFolder());

    long chosen = 0;
    if (shots.empty()) {
        chosen = vq::win32::AsShort(txms.Call(L"ShowWizard"));
        txms.Call(L"Save", {vq::win32::Text(plant), vq::win32::Text("TxmConfiguration"),
                            vq::win32::Short(-1)});
        std::printf("saved %s\n", plant.c_str());
    } else {
        demo::Tour tour(TextsOf(language), shots, folder + "\\plant-saved.txm");
        chosen = vq::win32::AsShort(txms.Call(L"ShowWizard"));
        if (const std::string failed = tour.Finish(); !failed.empty()) {
            std::printf("the tour failed: %s\n", failed.c_str());
            return 1;
        }
    }
    std::printf(
        "ShowWizard returned %ld (the row selected at OK, -1 when closed); %ld transmitters\n",
        chosen, static_cast<long>(vq::win32::AsLong(txms.Call(L"Count"))));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vq_wizard_demo.exe SAMPLE.txm [LANGUAGE [SHOTS_FOLDER]]\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int status = 0;
    try {
        status = Run(argv[1], argc > 2 ? std::atoi(argv[2]) : 1, argc > 3 ? argv[3] : "");
    } catch (const vq::Failure& failure) {
        std::fprintf(stderr, "demo: %s\n", failure.Description().c_str());
        status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demo: %s\n", e.what());
        status = 1;
    }
    CoUninitialize();
    return status;
}
