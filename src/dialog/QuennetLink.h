#pragma once
// The dialog's link to Quennet, the serial-port sharing application: it starts Quennet and asks
// it, through a request file both programs rewrite whole, for a HART client port. Quennet keeps
// service channels and, per channel, clients with a port of their own; this program always
// uses client id 2.
//
// One exchange runs inside one click of the dialog's Auto Connect button and ends before the
// click returns. It writes a request, reads the file again in the passes after half a second
// has gone by, moves by the answers, and gives every request 30 seconds for its final answer.
// Window messages are let through in every pass, so the user can go on using (or close) the
// dialog meanwhile. Between passes the link waits for a window message, a change in the data
// folder or 20 ms, whichever comes first, shortened so that the half-second and 30-second marks
// are never overslept.
//
// A file nobody changed holds what it held, so with a watch on the data folder the file is
// read in the first pass after the half second, after each change, after a read that failed,
// and every quarter second in any case (should a change go unnoticed); without a watch, in
// every pass.
//
// The fields keep their values after an exchange; the next one rebuilds the paths and lines.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "support/Platform.h"
#include "support/VbBool.h"

namespace vq::dialog {

/// The lines of the request file, each ended by a carriage return and a line feed. In the
/// three requests about the client, every capital Q stands for the channel.
struct RequestLines {
    std::string Header;
    std::string Discover;
    std::string ActiveChannels;
    std::string ClientPort;
    std::string AddClient;
    std::string EnableClient;
};

/// The states of an exchange, as Progress_QNT_Connection is told them.
namespace QntState {
inline constexpr int16_t Discovering = 1;
inline constexpr int16_t ReadingChannels = 2;
inline constexpr int16_t ReadingClientPort = 3;
inline constexpr int16_t AddingClient = 9;
inline constexpr int16_t EnablingClient = 12;
inline constexpr int16_t Assigned = 13;
inline constexpr int16_t Failed = 15;
}  // namespace QntState

/// What Progress_QNT_Connection finds in the request file.
namespace QntStatus {
inline constexpr int16_t NoAnswer = 0;
inline constexpr int16_t Pending = 1;
inline constexpr int16_t Done = 2;
inline constexpr int16_t Failed = 3;
}  // namespace QntStatus

/// How an exchange ended.
enum class QntOutcome {
    NotInstalled,  // Quennet's folder or program is missing
    NotStarted,    // Quennet could not be started
    Failed,        // a FAILED answer, 30 seconds without a final answer, or a request unwritten
    Assigned,      // Quennet assigned the client port QntClientPort
    Abandoned,     // the window was closed meanwhile; nothing more was done
};

/// The texts of the exchange's three message boxes.
namespace QntMessages {
inline constexpr const char* NotStarted =
    "Auto Connect failed,\nensure that a Quennet\nexists and then retry.";
inline constexpr const char* Failed =
    "Quennet launched,\nbut COM port assign failed;\nuser must assign manually.";
inline constexpr const char* NotInstalled = "Auto Connect failed,\nQuennet\napplication not found!";
}  // namespace QntMessages

class QuennetLink {
  public:
    explicit QuennetLink(Platform& platform) : m_Platform(platform) {}

    /// One whole exchange: builds the paths and lines, checks that Quennet is installed, starts
    /// it, writes the discover request (creating the data folder with its parents when it is
    /// missing) and passes until the exchange has ended. After every pass windowOpen is asked;
    /// when it says no, the exchange stops there (Abandoned). Failures of the window's own
    /// handlers that run meanwhile reach the caller.
    QntOutcome Run(const std::function<bool()>& windowOpen);

    /// Reads the request file and returns what it holds: 0 no answer yet, 1 PENDING, 2 DONE,
    /// 3 FAILED. A DONE answer to the channels or client-port request fills the channel or
    /// client-port fields, a FAILED one the error fields. A file that cannot be read, an
    /// answer without colon, or one whose RESULT or ERROR value cannot be found whole counts
    /// as no answer yet. Throws Failure when a channel or port value starts with a digit but
    /// is no number (such as "3a"). The state itself is never changed.
    int16_t Progress_QNT_Connection(const int16_t& QNT_ConnectionState);

    /// The lines of the last exchange.
    const RequestLines& Lines() const { return m_Lines; }

    // The link's state. Strings start empty, numbers 0; an exchange does not reset them.
    /// The file system, taken from the platform at first use.
    FileSystem* fileSystem = nullptr;
    /// The last opening of the request file.
    std::unique_ptr<TextStream> ExternalRequestsFile;
    /// The whole text last read from the request file.
    std::string ExternalRequestsData;
    std::string QNTFilePath;
    std::string QNTDataPath;
    std::string QNTApplication;
    std::string ExternalRequestsFileName;
    /// The channel of the last answer to the channels request ("3" from COM3,COM4).
    std::string QntChannelStringForm;
    /// The client port of the last answer to the client-port request, without "COM".
    std::string QntClientPortStringForm;
    /// The error code of the last FAILED answer.
    std::string QntErrorStringForm;
    int16_t QntChannel = 0;
    int16_t QntClientPort = 0;
    /// 1 UNABLE_TO_ACTION, 2 INVALID_REQUEST, 3 INVALID_ATTRIBUTE, 4 INVALID_VALUE, 0 other.
    int16_t QntError = 0;

  private:
    void BuildPathsAndLines();
    /// Rewrites the request file: the header and one request. Throws Failure.
    void WriteRequest(const std::string& request);
    /// Reads the file and moves the state by the answer, as the transition table says.
    void Advance(int16_t& state, float& start);
    /// Whether this pass reads the file (see the top of this file).
    bool WorthReading(FolderWatch* watch);
    /// Writes a request and restarts the clock; a request that cannot be written fails the
    /// exchange.
    void Send(const std::string& request, int16_t next, int16_t& state, float& start);
    /// A request line with its capital Qs replaced by the channel.
    std::string WithChannel(const std::string& line) const;
    /// Seconds since start, across midnight.
    float Elapsed(const float& start);
    /// True when more than limit seconds have passed since start.
    VbBool TimedOut(const float& start, const float& limit);
    /// How long to wait for messages before the next pass.
    float NextWait(const float& start);
    /// 0 for text that does not start with a digit, else the text as a 16-bit number; throws
    /// Failure when it is no number as a whole or out of range.
    int16_t LeadingNumber(const std::string& text);

    Platform& m_Platform;
    RequestLines m_Lines;
    /// The next pass reads the file whether it changed or not.
    bool m_MustRead = true;
    /// When the file was read last (seconds since midnight).
    float m_LastRead = 0.0f;
};

}  // namespace vq::dialog
