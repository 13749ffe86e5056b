#pragma once
// A simulated Quennet, the serial-port sharing application: it watches its request file and
// answers each request by rewriting the file whole, in the form the dialog's link reads:
//
//   // Quennet External Request File
//   DONE:GetClientPort(Channel="3",ClientId="2",RESULT="COM5")
//
// (the status word PENDING, DONE or FAILED, a colon, the request with its attributes and, for
// DONE, a RESULT value or, for FAILED, an ERROR value). It keeps channels and one client per
// channel and knows the five requests the dialog writes; anything else fails with
// INVALID_REQUEST, a missing attribute with INVALID_ATTRIBUTE, an unknown channel with
// INVALID_VALUE and an impossible step (adding a client that exists) with UNABLE_TO_ACTION.
//
// What it is set up with (Config) also makes it misbehave: wait before answering, answer
// PENDING for a while, fail a request with a given code, never answer, leave the answer
// half-written for a while, or hold the file locked before answering.
//
// The Responder is the whole of it, driven by a clock its caller passes in; the program
// (QuennetMain.cpp) polls it in real time, tests may drive it on a clock of their own.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim::quennet {

enum class ClientState { Existing, Missing, Disabled };

struct Config {
    /// Native path of the folder that holds ExternalRequests.txt.
    std::string DataFolder;
    /// The RESULT of GetActiveChannels; the channel numbers it names are the active channels.
    std::string Channels = "COM3";
    /// Client 2 on the first active channel at the start.
    ClientState Client = ClientState::Existing;
    /// The port of the existing or disabled client, and the one Port="NEXT" assigns.
    std::string ClientPort = "COM5";
    /// Seconds between seeing a request and answering it.
    double Delay = 0.0;
    /// Seconds a request is answered PENDING before its final answer; only for the request
    /// named PendingFor ("" = every request).
    double Pending = 0.0;
    std::string PendingFor;
    /// Request name -> ERROR code of a FAILED answer.
    std::map<std::string, std::string> Fail;
    /// Requests never answered ("*" = every request).
    std::set<std::string> Ignore;
    /// Seconds the final answer stands half-written (without its closing quote or colon).
    double HalfWritten = 0.0;
    /// Seconds the file is held locked before the final answer is written.
    double Locked = 0.0;
    /// The program ends after this many seconds without a new request.
    double ExitAfterIdle = 120.0;
    /// When set, the program appends a line for every request it takes up and every final
    /// answer it writes: "<steady-clock ns> request <line>", "<ns> DONE <request name>".
    std::string LogFile;
};

/// Applies "Key=Value" settings (the keys are the Config members; Client takes existing,
/// missing or disabled; Fail takes Request:CODE; Fail and Ignore may repeat; blank lines and
/// lines starting with # are skipped). Throws std::invalid_argument for anything else.
void Apply(Config& config, const std::vector<std::string>& settings);

/// How the responder reaches its request file.
class RequestFile {
  public:
    virtual ~RequestFile() = default;
    /// The whole text, or nothing when it cannot be read now.
    virtual std::optional<std::string> Read() = 0;
    /// Replaces the whole text (through the lock when held); false when it cannot now.
    virtual bool Write(const std::string& text) = 0;
    /// Holds the file so that no other program can open it; false when it cannot now.
    virtual bool Lock() = 0;
    virtual void Unlock() = 0;
};

/// A native file, locked the way the system locks (a file opened without sharing on Windows,
/// an exclusive flock elsewhere).
std::unique_ptr<RequestFile> OpenLockableFile(const std::string& path);
/// The request file ExternalRequests.txt in a native folder.
std::unique_ptr<RequestFile> OpenRequestFile(const std::string& folder);

/// A request the responder took up, or a final answer it finished writing.
struct Event {
    double Time;
    /// "request", or the status of a final answer: "DONE" or "FAILED".
    std::string What;
    /// The request line, or the name of the request answered.
    std::string Text;
};

class Responder {
  public:
    Responder(Config config, RequestFile& file);

    /// Reads the file, takes up a new request, and does what has come due by `now` (seconds
    /// on any steadily rising clock). Returns true when it saw a new request.
    bool Poll(double now);

    /// The requests taken up and the final answers written so far, in order.
    const std::vector<Event>& Events() const { return m_Events; }

  private:
    struct Step {
        double Due;
        enum class Kind { Write, Lock, Finish } What;
        std::string Text;
    };
    /// The steps that answer a request line seen at `now`.
    void Plan(const std::string& line, double now);
    /// The final answer to a request: status and the answer line.
    std::pair<std::string, std::string> Handle(const std::string& line);

    Config m_Config;
    RequestFile& m_File;
    std::string m_Client2Channel;
    ClientState m_Client;
    std::string m_ClientPort;
    /// The request line being answered, and what is left to do for it.
    std::string m_Current;
    std::vector<Step> m_Steps;
    bool m_Answered = false;
    std::string m_CurrentName;
    std::string m_CurrentStatus;
    std::vector<Event> m_Events;
};

}  // namespace sim::quennet
