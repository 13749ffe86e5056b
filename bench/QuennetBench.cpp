// Auto Connect: what the exchange with Quennet costs while it waits, and how soon it moves on.
//  1. The CPU time (user + system, from this process's own counters) of an exchange that waits
//     30 seconds for an answer that never comes, as a share of one core.
//  2. The delay from the simulated Quennet's final answer to the exchange's next request: with
//     Quennet answering at once (the half-second rule then sets the pace) and after one second
//     (then it shows how soon the exchange notices the answer).
// The simulated Quennet runs as a program of its own, started by the exchange.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "QuennetBench.h"
#include "dialog/Mapicalls.h"
#include "dialog/QuennetLink.h"

namespace {

using quennetbench::BenchSystem;

long long SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/// A platform that counts the message passes and file openings of another and notes when
/// each request is written.
class Recording : public vq::Platform, private vq::FileSystem {
  public:
    explicit Recording(vq::Platform& real) : m_Real(real) {}

    vq::FileSystem& Files() override { return *this; }
    float SecondsSinceMidnight() override { return m_Real.SecondsSinceMidnight(); }
    uint32_t StartMinimized(const std::string& program) override {
        const uint32_t id = m_Real.StartMinimized(program);
        if (id != 0) Started.push_back(id);
        return id;
    }
    bool UserName(std::string& buffer, uint32_t& size) override {
        return m_Real.UserName(buffer, size);
    }
    void ProcessMessages(float maxWait, vq::FolderWatch* watch) override {
        ++Passes;
        m_Real.ProcessMessages(maxWait, watch);
    }

    std::vector<uint32_t> Started;
    std::vector<long long> Writes;
    long long Passes = 0;
    long long Reads = 0;

  private:
    bool FolderExists(const std::string& path) override {
        return m_Real.Files().FolderExists(path);
    }
    bool FileExists(const std::string& path) override { return m_Real.Files().FileExists(path); }
    void CreateFolders(const std::string& path) override { m_Real.Files().CreateFolders(path); }
    std::unique_ptr<vq::TextStream> OpenTextFile(const std::string& path,
                                                 vq::IoMode mode) override {
        if (mode == vq::IoMode::ForWriting)
            Writes.push_back(SteadyNs());
        else
            ++Reads;
        return m_Real.Files().OpenTextFile(path, mode);
    }
    std::unique_ptr<vq::FolderWatch> WatchFolder(const std::string& folder) override {
        return m_Real.Files().WatchFolder(folder);
    }

    vq::Platform& m_Real;
};

struct Result {
    vq::dialog::QntOutcome Outcome;
    double Wall;
    double Cpu;
    Recording Platform;
    std::string Log;
};

void RunExchange(BenchSystem& system, const std::vector<std::string>& settings, Result& result) {
    const std::string user = vq::dialog::CurrentUserName(result.Platform);
    result.Log = system.Install(user, settings);
    vq::dialog::QuennetLink link(result.Platform);
    const double cpu = quennetbench::CpuSeconds();
    const long long wall = SteadyNs();
    result.Outcome = link.Run([] { return true; });
    result.Cpu = quennetbench::CpuSeconds() - cpu;
    result.Wall = (SteadyNs() - wall) / 1e9;
    system.End(result.Platform.Started);
}

/// Milliseconds from each final answer in the log to the next request written.
std::vector<double> AnswerToRequest(const Result& result) {
    std::vector<double> delays;
    std::ifstream log(result.Log);
    for (std::string line; std::getline(log, line);) {
        std::istringstream fields(line);
        long long answered = 0;
        std::string what;
        fields >> answered >> what;
        if (what != "DONE") continue;
        const auto next = std::find_if(result.Platform.Writes.begin(), result.Platform.Writes.end(),
                                       [&](long long written) { return written > answered; });
        if (next != result.Platform.Writes.end()) delays.push_back((*next - answered) / 1e6);
    }
    return delays;
}

void PrintDelays(const char* title, std::vector<double> delays) {
    std::sort(delays.begin(), delays.end());
    if (delays.empty()) {
        std::printf("%s: no answers\n", title);
        return;
    }
    std::printf("%s: %zu answers, min %.1f ms, median %.1f ms, max %.1f ms\n", title, delays.size(),
                delays.front(), delays[delays.size() / 2], delays.back());
}

}  // namespace

int main() {
    BenchSystem system = quennetbench::MakeSystem();
    {
        Result idle{{}, 0, 0, Recording(*system.Platform), {}};
        RunExchange(system, {"Ignore=*"}, idle);
        std::printf(
            "Waiting for an answer that never comes: %s after %.2f s; CPU %.3f s "
            "(user + system) = %.2f %% of one core; %lld message passes, %lld file reads\n",
            idle.Outcome == vq::dialog::QntOutcome::Failed ? "failed" : "UNEXPECTED OUTCOME",
            idle.Wall, idle.Cpu, 100.0 * idle.Cpu / idle.Wall, idle.Platform.Passes,
            idle.Platform.Reads);
    }
    for (const char* delay : {"0", "1"}) {
        Result fast{{}, 0, 0, Recording(*system.Platform), {}};
        RunExchange(system, {"Client=missing", std::string("Delay=") + delay}, fast);
        const std::string title =
            std::string("Answer to next request, Quennet answering after ") + delay + " s (" +
            (fast.Outcome == vq::dialog::QntOutcome::Assigned ? "port assigned"
                                                              : "UNEXPECTED OUTCOME") +
            ")";
        PrintDelays(title.c_str(), AnswerToRequest(fast));
    }
    return 0;
}
