#pragma once
// What the tests of the Auto Connect link share: the paths and request lines as the link must
// write them, a native platform whose drive C: is a scratch folder, and Quennet installed there
// (the simulated program with its settings file, or a stand-in file).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/NativePlatform.h"

namespace quennettest {

inline const std::string kProgramFolder = "C:\\Program Files\\Halvik\\Halvik Quennet\\";
inline const std::string kProgram = kProgramFolder + "Quennet.exe";
inline std::string DataFolder(const std::string& user) {
    return "C:\\Documents and Settings\\" + user + "\\Application Data\\Halvik\\Quennet\\";
}

inline const std::string kHeader = "// Quennet External Request File\r\n";
inline const std::string kDiscover =
    R"(DO:DiscoverServices(Channel="ALL",AllowCreate="TRUE",DisableUnused="TRUE"))";
inline const std::string kActiveChannels = "DO:GetActiveChannels()";
inline std::string ClientPortRequest(const std::string& channel) {
    return R"(DO:GetClientPort(Channel=")" + channel + R"(",ClientId="2"))";
}
inline std::string AddClientRequest(const std::string& channel) {
    return R"(DO:AddClient(Channel=")" + channel +
           R"(",ClientId="2",Description="HART",Port="NEXT",Enabled="TRUE"))";
}
inline std::string EnableClientRequest(const std::string& channel) {
    return R"(DO:EnableClient(Channel=")" + channel + R"(",ClientId="2",Enabled="TRUE"))";
}

inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::filesystem::path& file, const std::string& text,
                      std::filesystem::perms perms = std::filesystem::perms::unknown) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    if (perms != std::filesystem::perms::unknown) std::filesystem::permissions(file, perms);
}

/// Quennet.exe as a file that runs and ends at once (or, not executable, cannot be started).
inline void InstallStandIn(vq::NativePlatform& platform, bool executable = true) {
    using std::filesystem::perms;
    WriteFile(platform.Local(kProgram), "#!/bin/sh\nexit 0\n",
              executable ? perms::owner_all | perms::group_read | perms::others_read
                         : perms::owner_read | perms::owner_write);
}

/// The simulated Quennet program installed as Quennet.exe, set up with its data folder (that
/// of the user), a log next to it, and the given settings. Returns the log's path.
inline std::filesystem::path InstallQuennet(vq::NativePlatform& platform, const std::string& user,
                                            const std::vector<std::string>& settings) {
    const std::filesystem::path folder = platform.Local(kProgramFolder);
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / "Quennet.exe");
    std::filesystem::create_symlink(VQ_QUENNET_SIM, folder / "Quennet.exe");
    const std::filesystem::path log = folder / "quennet.log";
    std::string config = "DataFolder=" + platform.Local(DataFolder(user)).string() +
                         "\nLog=" + log.string() + "\nExitAfterIdle=20\n";
    for (const std::string& setting : settings) config += setting + "\n";
    WriteFile(folder / "Quennet.cfg", config);
    return log;
}

/// The request lines in a log of the simulated program, in order.
inline std::vector<std::string> LoggedRequests(const std::filesystem::path& log) {
    std::vector<std::string> requests;
    std::istringstream lines(ReadFile(log));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find(" request ");
        if (at != std::string::npos) requests.push_back(line.substr(at + 9));
    }
    return requests;
}

}  // namespace quennettest
