#include "AutoConnectDemo.h"

#include <fstream>
#include <iostream>
#include <utility>

#include "support/NativePlatform.h"
#include "support/ThreadContext.h"
#include "ui/ScriptedHost.h"

namespace {

void Install(vq::NativePlatform& platform, const std::filesystem::path& log) {
    const auto folder = platform.Local("C:\\Program Files\\Halvik\\Halvik Quennet\\");
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / "Quennet.exe");
    std::filesystem::create_symlink(VQ_QUENNET_SIM, folder / "Quennet.exe");
    const auto data = platform.Local(
        "C:\\Documents and Settings\\demo\\Application Data\\Halvik"
        "\\Quennet\\");
    std::ofstream(folder / "Quennet.cfg")
        << "DataFolder=" << data.string() << "\nLog=" << log.string()
        << "\nChannels=COM2,COM3\nClient=missing\nClientPort=COM4\nExitAfterIdle=10\n";
}

}  // namespace

void RunAutoConnectDemo(vq::Txms& txms, const std::filesystem::path& folder) {
    vq::TransmitterRef txm;
    for (const vq::TransmitterRef& each : txms.Transmitters())
        if (!txm && each->TxmType() == 3) txm = each;
    if (!txm) return;
    std::cout << "\nAuto Connect on " << txm->Name() << " (port COM" << txm->ComPort()
              << "), with the simulated Quennet as a program of its own:\n";
    auto platform = std::make_shared<vq::NativePlatform>(folder / "drive-c");
    platform->SetUser("demo");
    const std::filesystem::path log = folder / "quennet.log";
    Install(*platform, log);

    auto windows = std::make_shared<vq::ui::ScriptedHost>();
    vq::ui::ScopedWindowHost host(windows);
    const std::shared_ptr<vq::Platform> previous =
        std::exchange(vq::ThisThread().Platform, platform);
    windows->Then([&](vq::ui::User& user) {
        // Auto Connect is offered once type 3 is chosen in the list.
        user.Choose("cmbType", 0);
        user.Choose("cmbType", 2);
        user.Click("cmdQuennetConnect");
        std::cout << "  the dialog's port list shows "
                  << user.Find<vq::ui::DropDownList>("cmbPort").Text() << "\n";
        user.Click("cmdOK");
    });
    const vq::VbBool confirmed = txms.Edit(txm);
    vq::ThisThread().Platform = previous;

    std::ifstream lines(log);
    for (std::string line; std::getline(lines, line);)
        std::cout << "  Quennet: " << line.substr(line.find(' ') + 1) << "\n";
    std::cout << "  Edit: " << (confirmed.IsTrue() ? "confirmed" : "cancelled") << ", port now COM"
              << txm->ComPort() << "\n";
}
