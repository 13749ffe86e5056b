#pragma once
// What the Auto Connect benchmark needs from the system it runs on: a platform, a way to install
// the simulated Quennet program as Quennet.exe on drive C: with settings, a way to end the
// programs it started, and this process's CPU time. QuennetBenchPosix.cpp implements it natively,
// tests/wine/QuennetBenchWin32.cpp on Windows.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/Platform.h"

namespace quennetbench {

struct BenchSystem {
    std::shared_ptr<vq::Platform> Platform;
    /// Installs the simulated program with the settings, the data folder being the one the
    /// link uses for the user `user`; returns the path of the program's log.
    std::function<std::string(const std::string& user, const std::vector<std::string>&)> Install;
    /// Ends the programs the platform started (their process ids given).
    std::function<void(const std::vector<uint32_t>&)> End;
};

BenchSystem MakeSystem();

/// User plus system CPU seconds this process has used, from its own counters.
double CpuSeconds();

/// The settings file of the simulated program: its data folder, log and the given settings.
inline std::string QuennetSettings(const std::string& dataFolder, const std::string& log,
                                   const std::vector<std::string>& settings) {
    std::string text = "DataFolder=" + dataFolder + "\nLog=" + log + "\nExitAfterIdle=60\n";
    for (const std::string& setting : settings) text += setting + "\n";
    return text;
}

}  // namespace quennetbench
