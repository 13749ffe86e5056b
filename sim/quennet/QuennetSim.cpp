#include "sim/quennet/QuennetSim.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace sim::quennet {

namespace {

const std::string kHeader = "// Quennet External Request File\r\n";

double ToSeconds(const std::string& key, const std::string& value) {
    try {
        std::size_t used = 0;
        const double seconds = std::stod(value, &used);
        if (used == value.size() && seconds >= 0.0) return seconds;
    } catch (const std::exception&) {
    }
    throw std::invalid_argument(key + " takes seconds, not \"" + value + "\"");
}

ClientState ToClient(const std::string& value) {
    if (value == "existing") return ClientState::Existing;
    if (value == "missing") return ClientState::Missing;
    if (value == "disabled") return ClientState::Disabled;
    throw std::invalid_argument("Client takes existing, missing or disabled, not \"" + value +
                                "\"");
}

void ApplyOne(Config& config, const std::string& key, const std::string& value) {
    if (key == "DataFolder") {
        config.DataFolder = value;
    } else if (key == "Channels") {
        config.Channels = value;
    } else if (key == "Client") {
        config.Client = ToClient(value);
    } else if (key == "ClientPort") {
        config.ClientPort = value;
    } else if (key == "Delay" || key == "Pending" || key == "HalfWritten" || key == "Locked" ||
               key == "ExitAfterIdle") {
        const double seconds = ToSeconds(key, value);
        (key == "Delay"         ? config.Delay
         : key == "Pending"     ? config.Pending
         : key == "HalfWritten" ? config.HalfWritten
         : key == "Locked"      ? config.Locked
                                : config.ExitAfterIdle) = seconds;
    } else if (key == "PendingFor") {
        config.PendingFor = value;
    } else if (key == "Fail") {
        const std::size_t colon = value.find(':');
        if (colon == std::string::npos)
            throw std::invalid_argument("Fail takes Request:CODE, not \"" + value + "\"");
        config.Fail[value.substr(0, colon)] = value.substr(colon + 1);
    } else if (key == "Ignore") {
        config.Ignore.insert(value);
    } else if (key == "Log") {
        config.LogFile = value;
    } else {
        throw std::invalid_argument("Unknown setting \"" + key + "\"");
    }
}

/// The request line of the file's text: the line after the header, without its line end.
std::string SecondLine(const std::string& text) {
    const std::size_t first = text.find('\n');
    if (first == std::string::npos) return "";
    const std::size_t end = text.find_first_of("\r\n", first + 1);
    return text.substr(first + 1, end == std::string::npos ? std::string::npos : end - first - 1);
}

/// A request as written: DO:Name(Key="Value",...). Nothing for anything else, such as a line
/// not yet written whole.
struct Request {
    std::string Name;
    std::string AttributeText;
    std::map<std::string, std::string> Attributes;
};

std::optional<Request> ParseRequest(const std::string& line) {
    if (line.rfind("DO:", 0) != 0 || line.back() != ')') return std::nullopt;
    const std::size_t open = line.find('(');
    if (open == std::string::npos) return std::nullopt;
    Request request{line.substr(3, open - 3), line.substr(open + 1, line.size() - open - 2), {}};
    for (std::size_t at = 0; at < request.AttributeText.size();) {
        const std::size_t equals = request.AttributeText.find("=\"", at);
        const std::size_t close =
            equals == std::string::npos ? equals : request.AttributeText.find('"', equals + 2);
        if (close == std::string::npos) return std::nullopt;
        request.Attributes[request.AttributeText.substr(at, equals - at)] =
            request.AttributeText.substr(equals + 2, close - equals - 2);
        at = close + 2;  // past the quote and the comma
    }
    return request;
}

/// The channel numbers a channels text names ("COM3,COM4" -> 3 and 4).
std::vector<std::string> ChannelNumbers(const std::string& channels) {
    std::vector<std::string> numbers;
    std::size_t at = 0;
    while (at <= channels.size()) {
        const std::size_t comma = std::min(channels.find(',', at), channels.size());
        std::string name = channels.substr(at, comma - at);
        if (name.rfind("COM", 0) == 0) numbers.push_back(name.substr(3));
        at = comma + 1;
    }
    return numbers;
}

bool Has(const Request& request, std::initializer_list<const char*> keys) {
    return std::all_of(keys.begin(), keys.end(),
                       [&](const char* key) { return request.Attributes.count(key) == 1; });
}

}  // namespace

void Apply(Config& config, const std::vector<std::string>& settings) {
    for (std::string setting : settings) {
        while (!setting.empty() && (setting.back() == '\r' || setting.back() == ' '))
            setting.pop_back();
        if (setting.empty() || setting[0] == '#') continue;
        const std::size_t equals = setting.find('=');
        if (equals == std::string::npos)
            throw std::invalid_argument("A setting is Key=Value, not \"" + setting + "\"");
        ApplyOne(config, setting.substr(0, equals), setting.substr(equals + 1));
    }
}

Responder::Responder(Config config, RequestFile& file)
    : m_Config(std::move(config)),
      m_File(file),
      m_Client(m_Config.Client),
      m_ClientPort(m_Config.ClientPort) {
    const std::vector<std::string> channels = ChannelNumbers(m_Config.Channels);
    m_Client2Channel = channels.empty() ? "" : channels.front();
}

bool Responder::Poll(double now) {
    bool fresh = false;
    if (const std::optional<std::string> text = m_File.Read()) {
        const std::string line = SecondLine(*text);
        // A request counts once; the same line written again after its answer is a new one.
        if (ParseRequest(line) && (line != m_Current || m_Answered)) {
            m_File.Unlock();  // a request the dialog gave up on is answered no more
            m_Events.push_back({now, "request", line});
            Plan(line, now);
            fresh = true;
        }
    }
    while (!m_Steps.empty() && m_Steps.front().Due <= now) {
        const Step& step = m_Steps.front();
        if (step.What == Step::Kind::Lock && !m_File.Lock()) break;
        if (step.What != Step::Kind::Lock && !m_File.Write(step.Text)) break;
        if (step.What == Step::Kind::Finish) {
            m_File.Unlock();
            m_Events.push_back({now, m_CurrentStatus, m_CurrentName});
            m_Answered = true;
        }
        m_Steps.erase(m_Steps.begin());
    }
    return fresh;
}

void Responder::Plan(const std::string& line, double now) {
    m_Current = line;
    m_Answered = false;
    m_Steps.clear();
    const Request request = *ParseRequest(line);
    m_CurrentName = request.Name;
    if (m_Config.Ignore.count("*") == 1 || m_Config.Ignore.count(request.Name) == 1) {
        m_CurrentStatus = "ignored";
        return;
    }
    auto [status, answer] = Handle(line);
    m_CurrentStatus = status;
    const std::string full = kHeader + answer + "\r\n";
    double due = now + m_Config.Delay;
    if (m_Config.Pending > 0.0 &&
        (m_Config.PendingFor.empty() || m_Config.PendingFor == request.Name)) {
        m_Steps.push_back({due, Step::Kind::Write, kHeader + "PENDING" + line.substr(2) + "\r\n"});
        due += m_Config.Pending;
    }
    if (m_Config.Locked > 0.0) {
        m_Steps.push_back({due, Step::Kind::Lock, ""});
        due += m_Config.Locked;
    }
    if (m_Config.HalfWritten > 0.0) {
        // Cut before the closing quote of the value, or before the colon when there is none.
        const bool valued = answer.find("RESULT=\"") != std::string::npos ||
                            answer.find("ERROR=\"") != std::string::npos;
        const std::size_t cut = valued ? answer.size() - 2 : answer.find(':');
        m_Steps.push_back({due, Step::Kind::Write, kHeader + answer.substr(0, cut)});
        due += m_Config.HalfWritten;
    }
    m_Steps.push_back({due, Step::Kind::Finish, full});
}

std::pair<std::string, std::string> Responder::Handle(const std::string& line) {
    const Request request = *ParseRequest(line);
    const std::string echo = request.Name + "(" + request.AttributeText;
    const std::string more = request.AttributeText.empty() ? "" : ",";
    const auto failed = [&](const std::string& code) {
        return std::pair{std::string("FAILED"),
                         "FAILED:" + echo + more + "ERROR=\"" + code + "\")"};
    };
    const auto done = [&](const std::optional<std::string>& result) {
        return std::pair{
            std::string("DONE"),
            "DONE:" + echo + (result ? more + "RESULT=\"" + *result + "\"" : "") + ")"};
    };
    if (const auto forced = m_Config.Fail.find(request.Name); forced != m_Config.Fail.end())
        return failed(forced->second);

    const std::string& name = request.Name;
    if (name == "DiscoverServices")
        return Has(request, {"Channel", "AllowCreate", "DisableUnused"})
                   ? done(std::nullopt)
                   : failed("INVALID_ATTRIBUTE");
    if (name == "GetActiveChannels") return done(m_Config.Channels);
    if (name != "GetClientPort" && name != "AddClient" && name != "EnableClient")
        return failed("INVALID_REQUEST");

    if (!Has(request, {"Channel", "ClientId"})) return failed("INVALID_ATTRIBUTE");
    const std::vector<std::string> channels = ChannelNumbers(m_Config.Channels);
    const std::string& channel = request.Attributes.at("Channel");
    if (std::find(channels.begin(), channels.end(), channel) == channels.end())
        return failed("INVALID_VALUE");
    // Only client 2 of the first channel is kept; any other client does not exist.
    const bool ours = request.Attributes.at("ClientId") == "2" && channel == m_Client2Channel;
    const ClientState client = ours ? m_Client : ClientState::Missing;

    if (name == "GetClientPort")
        return done(client == ClientState::Missing    ? "UNASSIGNED"
                    : client == ClientState::Disabled ? "DISABLED"
                                                      : m_ClientPort);
    if (name == "AddClient") {
        if (!Has(request, {"Description", "Port", "Enabled"})) return failed("INVALID_ATTRIBUTE");
        if (client != ClientState::Missing || !ours) return failed("UNABLE_TO_ACTION");
        const std::string& port = request.Attributes.at("Port");
        m_ClientPort = port == "NEXT" ? m_Config.ClientPort : port;
        m_Client = request.Attributes.at("Enabled") == "TRUE" ? ClientState::Existing
                                                              : ClientState::Disabled;
        return done(std::nullopt);
    }
    if (!Has(request, {"Enabled"})) return failed("INVALID_ATTRIBUTE");
    if (client == ClientState::Missing) return failed("UNABLE_TO_ACTION");
    m_Client =
        request.Attributes.at("Enabled") == "TRUE" ? ClientState::Existing : ClientState::Disabled;
    return done(std::nullopt);
}

}  // namespace sim::quennet
