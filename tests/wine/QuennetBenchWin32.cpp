// The Auto Connect benchmark's system on Windows: the Win32 platform, and the Windows build of
// the simulated Quennet copied from this program's folder to drive C:.

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "bench/QuennetBench.h"
#include "win32/platform/Win32Platform.h"

namespace quennetbench {

BenchSystem MakeSystem() {
    BenchSystem system;
    system.Platform = vq::win32::CreateWin32Platform();
    system.Install = [](const std::string& user, const std::vector<std::string>& settings) {
        const std::filesystem::path folder = "C:\\Program Files\\Halvik\\Halvik Quennet";
        std::filesystem::create_directories(folder);
        wchar_t program[MAX_PATH * 2] = {};
        GetModuleFileNameW(nullptr, program, MAX_PATH * 2);
        std::filesystem::copy_file(std::filesystem::path(program).parent_path() / "QuennetSim.exe",
                                   folder / "Quennet.exe",
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string data =
            "C:\\Documents and Settings\\" + user + "\\Application Data\\Halvik\\Quennet\\";
        const std::string log = (folder / "quennet.log").string();
        std::error_code error;
        std::filesystem::remove(log, error);
        std::ofstream(folder / "Quennet.cfg") << QuennetSettings(data, log, settings);
        return log;
    };
    system.End = [](const std::vector<uint32_t>& started) {
        for (uint32_t id : started) {
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
                TerminateProcess(process, 0);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    };
    return system;
}

double CpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace quennetbench
