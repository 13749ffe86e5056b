// Fuzzes the Auto Connect link's reading of Quennet's answers (Progress_QNT_Connection) and,
// through the channel and port values, LeadingNumber. The first byte picks the exchange state,
// the second how the rest is used:
//   - as the whole request file: whatever it holds, the status is one of the four, the text is
//     kept as read, only the fields the state and the status allow change, the channel and port
//     numbers are those of their texts, and reading the same file again answers the same;
//   - as the value of an answer in Quennet's form (DO, PENDING, DONE with RESULT, FAILED with
//     ERROR): the status and every field are exactly what the answer says;
//   - not at all, the file being held by Quennet: no answer yet, nothing changed.
// The numbers are checked against the C library's reading of a decimal number (strtod) and
// its rounding half to even (nearbyint), not against the component's own conversion.
//
// The request file lives in memory: the platform here has nothing but that one file.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "dialog/QuennetLink.h"
#include "support/Failure.h"

namespace {

const std::string kFile =
    "C:\\Documents and Settings\\fuzz\\Application Data\\Halvik\\Quennet\\ExternalRequests.txt";
const std::string kHeader = "// Quennet External Request File\r\n";
constexpr int16_t kStates[] = {1, 2, 3, 9, 12, 13, 15, 0, -1, 32767};
const char* const kWords[] = {"DO", "PENDING", "DONE", "FAILED"};

[[noreturn]] void Unexpected(const char* call) {
    vqfuzz::Check(false, "the answer's reading made an unexpected call", call);
    std::abort();
}

class Reader final : public vq::TextStream {
  public:
    explicit Reader(const std::string& text) : m_Text(text) {}
    std::string ReadAll() override {
        vqfuzz::Check(!m_Closed, "a closed file was read");
        return m_Text;
    }
    void Write(const std::string&) override { Unexpected("Write"); }
    void Close() override { m_Closed = true; }

  private:
    const std::string& m_Text;
    bool m_Closed = false;
};

/// The request file in memory; while Held, opening it fails as a file Quennet holds does.
class MemoryFiles final : public vq::FileSystem {
  public:
    std::string Text;
    bool Held = false;

    bool FolderExists(const std::string&) override { Unexpected("FolderExists"); }
    bool FileExists(const std::string&) override { Unexpected("FileExists"); }
    void CreateFolders(const std::string&) override { Unexpected("CreateFolders"); }
    std::unique_ptr<vq::FolderWatch> WatchFolder(const std::string&) override {
        Unexpected("WatchFolder");
    }
    std::unique_ptr<vq::TextStream> OpenTextFile(const std::string& path,
                                                 vq::IoMode mode) override {
        vqfuzz::Check(path == kFile && mode == vq::IoMode::ForReading,
                      "the answer was not read from the request file", path);
        if (Held) throw vq::Failure(vq::Codes::PathFileAccess, "held by another program");
        return std::make_unique<Reader>(Text);
    }
};

class MemoryPlatform final : public vq::Platform {
  public:
    vq::FileSystem& Files() override { return m_Files; }
    float SecondsSinceMidnight() override { Unexpected("SecondsSinceMidnight"); }
    uint32_t StartMinimized(const std::string&) override { Unexpected("StartMinimized"); }
    bool UserName(std::string&, uint32_t&) override { Unexpected("UserName"); }
    void ProcessMessages(float, vq::FolderWatch*) override { Unexpected("ProcessMessages"); }
    MemoryFiles m_Files;
};

// ---- What the answer must give

/// LeadingNumber's answer: a value, or the code of the failure it must raise (0 for none).
struct Number {
    int16_t Value = 0;
    int32_t Failure = 0;
};

Number LeadingNumberOf(const std::string& text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return {};
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    const std::size_t used = static_cast<std::size_t>(end - text.c_str());
    // strtod also reads hexadecimal ("0x1p3"); a decimal number has no x or p.
    const bool decimal = text.substr(0, used).find_first_of("xXpP") == std::string::npos;
    if (!decimal || text.find_first_not_of(" \t", used) != std::string::npos)
        return {0, vq::Codes::TypeMismatch};
    const double rounded = std::nearbyint(number);  // half to even in the default mode
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) return {0, vq::Codes::Overflow};
    return {static_cast<int16_t>(rounded), 0};
}

/// The text without any "COM", in one pass from the left over the original text.
std::string WithoutCom(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 3, "COM") == 0) {
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

int16_t ErrorNumberOf(const std::string& code) {
    const char* const codes[] = {"UNABLE_TO_ACTION", "INVALID_REQUEST", "INVALID_ATTRIBUTE",
                                 "INVALID_VALUE"};
    for (int16_t i = 0; i < 4; ++i)
        if (code == codes[i]) return static_cast<int16_t>(i + 1);
    return 0;
}

// ---- The fields of the link

struct Fields {
    std::string Channel = "prior channel", Port = "prior port", Error = "prior error";
    int16_t ChannelNumber = 55, PortNumber = 77, ErrorNumber = 99;

    void Into(vq::dialog::QuennetLink& link) const {
        link.QntChannelStringForm = Channel;
        link.QntClientPortStringForm = Port;
        link.QntErrorStringForm = Error;
        link.QntChannel = ChannelNumber;
        link.QntClientPort = PortNumber;
        link.QntError = ErrorNumber;
    }
    static Fields Of(const vq::dialog::QuennetLink& link) {
        return {link.QntChannelStringForm, link.QntClientPortStringForm, link.QntErrorStringForm,
                link.QntChannel,           link.QntClientPort,           link.QntError};
    }
    bool operator==(const Fields&) const = default;
    std::string Show() const {
        return "channel \"" + Channel + "\" " + std::to_string(ChannelNumber) + ", port \"" + Port +
               "\" " + std::to_string(PortNumber) + ", error \"" + Error + "\" " +
               std::to_string(ErrorNumber);
    }
};

/// What one reading did: its status, or the code of the failure it raised, and the fields.
struct Reading {
    int16_t Status = -1;
    int32_t Failure = 0;
    Fields After;
    bool operator==(const Reading&) const = default;
};

Reading Read(vq::dialog::QuennetLink& link, int16_t state) {
    Reading reading;
    const int16_t asked = state;
    try {
        reading.Status = link.Progress_QNT_Connection(state);
    } catch (const vq::Failure& failure) {
        reading.Failure = failure.Code();
    }
    vqfuzz::Check(state == asked, "the state was changed");
    reading.After = Fields::Of(link);
    return reading;
}

/// The number field of a value read in a DONE answer, as expected.
void ExpectNumber(Reading& expected, int16_t& field, const std::string& text) {
    const Number number = LeadingNumberOf(text);
    if (number.Failure != 0) {
        expected.Failure = number.Failure;
        expected.Status = -1;
    } else {
        field = number.Value;
    }
}

// ---- The three uses of an input

/// The input as the value of an answer in Quennet's form.
void CheckFramedAnswer(vq::dialog::QuennetLink& link, MemoryFiles& files, int16_t state, int word,
                       std::string value) {
    value = value.substr(0, value.find('"'));
    const std::string status = kWords[word];
    const std::string attribute = status == "FAILED" ? "ERROR" : "RESULT";
    files.Text =
        kHeader + status + ":GetClientPort(Channel=\"3\"," + attribute + "=\"" + value + "\")\r\n";

    Reading expected{static_cast<int16_t>(word), 0, Fields{}};
    Fields& fields = expected.After;
    if (status == "DONE" && state == 2) {
        fields.Channel = WithoutCom(value);
        const std::size_t comma = fields.Channel.find(',');
        if (comma != std::string::npos && comma >= 1) fields.Channel.erase(comma);
        ExpectNumber(expected, fields.ChannelNumber, fields.Channel);
    } else if (status == "DONE" && state == 3) {
        fields.Port = value;
        if (value.find("COM") != std::string::npos) {
            fields.Port = WithoutCom(value);
            ExpectNumber(expected, fields.PortNumber, fields.Port);
        }
    } else if (status == "FAILED") {
        fields.Error = value;
        fields.ErrorNumber = ErrorNumberOf(value);
    }
    const Reading read = Read(link, state);
    vqfuzz::Check(read == expected, "an answer read otherwise than it says",
                  "state " + std::to_string(state) + ", value \"" + value + "\": status " +
                      std::to_string(read.Status) + " failure " + std::to_string(read.Failure) +
                      ", " + read.After.Show() + "; expected status " +
                      std::to_string(expected.Status) + " failure " +
                      std::to_string(expected.Failure) + ", " + fields.Show());
}

/// The input as the whole request file.
void CheckAnyFile(vq::dialog::QuennetLink& link, MemoryFiles& files, int16_t state,
                  const std::string& text) {
    files.Text = text;
    const Fields before;
    const Reading read = Read(link, state);
    vqfuzz::Check(link.ExternalRequestsData == text, "the file was not kept as read");
    const Fields& after = read.After;
    const bool done = read.Status == 2 || read.Failure != 0;
    if (read.Failure != 0) {
        vqfuzz::Check(
            read.Failure == vq::Codes::TypeMismatch || read.Failure == vq::Codes::Overflow,
            "a failure other than a conversion's", std::to_string(read.Failure));
    } else {
        vqfuzz::Check(read.Status >= 0 && read.Status <= 3, "an unknown status");
    }
    if (!done || state != 2)
        vqfuzz::Check(after.Channel == before.Channel && after.ChannelNumber == 55,
                      "the channel changed without a DONE answer to the channels request");
    if (!done || state != 3)
        vqfuzz::Check(after.Port == before.Port && after.PortNumber == 77,
                      "the port changed without a DONE answer to the port request");
    if (read.Status != 3)
        vqfuzz::Check(after.Error == before.Error && after.ErrorNumber == 99,
                      "the error changed without a FAILED answer");
    if (read.Status == 2 && state == 2) {
        const std::size_t comma = after.Channel.find(',');
        vqfuzz::Check(comma == std::string::npos || comma == 0, "a channel not cut at its comma");
        vqfuzz::Check(LeadingNumberOf(after.Channel).Value == after.ChannelNumber,
                      "the channel's number is not that of its text", after.Channel);
    }
    if (read.Status == 2 && state == 3 && after.PortNumber != 77)
        vqfuzz::Check(LeadingNumberOf(after.Port).Value == after.PortNumber,
                      "the port's number is not that of its text", after.Port);
    if (read.Status == 3)
        vqfuzz::Check(ErrorNumberOf(after.Error) == after.ErrorNumber,
                      "the error's number is not that of its code", after.Error);

    before.Into(link);
    vqfuzz::Check(Read(link, state) == read, "the same file read twice answered differently");
}

void CheckHeldFile(vq::dialog::QuennetLink& link, MemoryFiles& files, int16_t state) {
    files.Text = kHeader + "DONE:GetActiveChannels(RESULT=\"COM3\")\r\n";
    files.Held = true;
    const Reading read = Read(link, state);
    files.Held = false;
    vqfuzz::Check(read.Status == 0 && read.Failure == 0 && read.After == Fields{},
                  "a file that cannot be opened gave an answer");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static MemoryPlatform& platform = *new MemoryPlatform;
    vq::dialog::QuennetLink link(platform);
    link.fileSystem = &platform.m_Files;
    link.ExternalRequestsFileName = kFile;
    Fields{}.Into(link);

    const int16_t state = kStates[data[0] % std::size(kStates)];
    const int use = data[1] % 8;
    const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    if (use < 3) {
        CheckAnyFile(link, platform.m_Files, state, rest);
    } else if (use < 7) {
        CheckFramedAnswer(link, platform.m_Files, state, use - 3, rest);
    } else {
        CheckHeldFile(link, platform.m_Files, state);
    }
    return 0;
}
