// The Auto Connect benchmark's system natively: a native platform over a scratch folder and the
// native build of the simulated Quennet.

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "QuennetBench.h"
#include "support/NativePlatform.h"

namespace quennetbench {

BenchSystem MakeSystem() {
    const auto root =
        std::filesystem::temp_directory_path() / ("vq-bench-quennet-" + std::to_string(::getpid()));
    auto platform = std::make_shared<vq::NativePlatform>(root);
    BenchSystem system;
    system.Platform = platform;
    system.Install = [platform](const std::string& user, const std::vector<std::string>& settings) {
        const auto folder = platform->Local("C:\\Program Files\\Halvik\\Halvik Quennet\\");
        std::filesystem::create_directories(folder);
        std::filesystem::remove(folder / "Quennet.exe");
        std::filesystem::create_symlink(VQ_QUENNET_SIM, folder / "Quennet.exe");
        const std::string data = platform
                                     ->Local("C:\\Documents and Settings\\" + user +
                                             "\\Application Data\\Halvik\\Quennet\\")
                                     .string();
        const std::string log = (folder / "quennet.log").string();
        std::filesystem::remove(log);
        std::ofstream(folder / "Quennet.cfg") << QuennetSettings(data, log, settings);
        return log;
    };
    system.End = [platform](const std::vector<uint32_t>&) { platform->EndStarted(); };
    return system;
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace quennetbench
