// The simulated Quennet as a program of its own. Installed as Quennet.exe, it is started by the
// dialog without arguments and reads its set-up from Quennet.cfg in its own folder; settings
// given as arguments (Key=Value) come after the file's. It polls its request file, answers,
// and ends after ExitAfterIdle seconds without a new request. One instance runs at a time: a
// second one started from the same folder ends at once, as the running one serves.
//
// Exit codes: 0 after the idle time or when another instance runs, 2 for a set-up it cannot
// use.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "sim/quennet/QuennetSim.h"

namespace {

using sim::quennet::Config;

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::filesystem::path ProgramFolder(char** argv) {
    return std::filesystem::path(argv[0]).parent_path();
}

Config ReadConfig(int argc, char** argv) {
    Config config;
    std::vector<std::string> settings;
    std::ifstream file(ProgramFolder(argv) / "Quennet.cfg");
    for (std::string line; std::getline(file, line);) settings.push_back(line);
    for (int i = 1; i < argc; ++i) settings.emplace_back(argv[i]);
    sim::quennet::Apply(config, settings);
    if (config.DataFolder.empty()) throw std::invalid_argument("DataFolder is not set");
    return config;
}

void Log(const Config& config, const sim::quennet::Event& event) {
    if (config.LogFile.empty()) return;
    std::ofstream log(config.LogFile, std::ios::app);
    log << static_cast<long long>(event.Time * 1e9) << ' ' << event.What << ' ' << event.Text
        << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    Config config;
    try {
        config = ReadConfig(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "Quennet simulator: " << e.what() << "\n";
        return 2;
    }
    const std::unique_ptr<sim::quennet::RequestFile> instance =
        sim::quennet::OpenLockableFile((ProgramFolder(argv) / "Quennet.instance").string());
    if (!instance->Lock()) return 0;
    const std::unique_ptr<sim::quennet::RequestFile> file =
        sim::quennet::OpenRequestFile(config.DataFolder);
    sim::quennet::Responder responder(config, *file);
    double lastRequest = SteadySeconds();
    std::size_t logged = 0;
    while (SteadySeconds() - lastRequest < config.ExitAfterIdle) {
        if (responder.Poll(SteadySeconds())) lastRequest = SteadySeconds();
        for (; logged < responder.Events().size(); ++logged)
            Log(config, responder.Events()[logged]);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}
