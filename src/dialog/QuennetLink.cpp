#include "QuennetLink.h"

#include <algorithm>
#include <optional>

#include "Mapicalls.h"
#include "support/Failure.h"
#include "support/Value.h"

namespace vq::dialog {

namespace {

constexpr float kFirstRead = 0.5f;
constexpr float kAnswerLimit = 30.0f;
/// With a watch on the data folder, the longest time an unchanged file goes unread.
constexpr float kRereadAfter = 0.25f;
constexpr float kSecondsPerDay = 86400.0f;
/// The longest wait between two passes, and the shortest: a wait never ends so close to a
/// mark that the single-precision clock could not yet tell the mark has passed.
constexpr float kLongestWait = 0.020f;
constexpr float kShortestWait = 0.001f;

const char* const kLineEnd = "\r\n";

std::string RemoveAll(std::string text, const std::string& what) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
    return text;
}

/// The value in double quotes after the first `attribute` at or after `from`; nothing when the
/// attribute, its opening or its closing quote is missing.
std::optional<std::string> QuotedValue(const std::string& data, const std::string& attribute,
                                       std::size_t from) {
    const std::size_t at = data.find(attribute, from);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t open = data.find('"', at);
    if (open == std::string::npos) return std::nullopt;
    const std::size_t close = data.find('"', open + 1);
    if (close == std::string::npos) return std::nullopt;
    return data.substr(open + 1, close - open - 1);
}

int16_t ErrorNumber(const std::string& code) {
    if (code == "UNABLE_TO_ACTION") return 1;
    if (code == "INVALID_REQUEST") return 2;
    if (code == "INVALID_ATTRIBUTE") return 3;
    if (code == "INVALID_VALUE") return 4;
    return 0;
}

int16_t StatusOf(const std::string& word) {
    if (word == "PENDING") return QntStatus::Pending;
    if (word == "DONE") return QntStatus::Done;
    if (word == "FAILED") return QntStatus::Failed;
    return QntStatus::NoAnswer;  // "DO": the request is still waiting; anything else likewise
}

}  // namespace

// ---- The exchange

QntOutcome QuennetLink::Run(const std::function<bool()>& windowOpen) {
    if (fileSystem == nullptr) fileSystem = &m_Platform.Files();
    BuildPathsAndLines();
    if (!fileSystem->FolderExists(QNTFilePath) || !fileSystem->FileExists(QNTApplication))
        return QntOutcome::NotInstalled;
    if (m_Platform.StartMinimized(QNTApplication) == 0) return QntOutcome::NotStarted;

    int16_t state = QntState::Discovering;
    try {
        if (!fileSystem->FolderExists(QNTDataPath)) fileSystem->CreateFolders(QNTDataPath);
        WriteRequest(m_Lines.Discover);
        m_MustRead = true;
    } catch (const Failure&) {
        state = QntState::Failed;
    }
    float start = m_Platform.SecondsSinceMidnight();
    const std::unique_ptr<FolderWatch> watch =
        state == QntState::Failed ? nullptr : fileSystem->WatchFolder(QNTDataPath);

    while (state < QntState::Assigned) {
        if (TimedOut(start, kFirstRead).IsNonZero() && WorthReading(watch.get()))
            Advance(state, start);
        if (TimedOut(start, kAnswerLimit).IsNonZero()) state = QntState::Failed;
        const float wait = state < QntState::Assigned ? NextWait(start) : 0.0f;
        m_Platform.ProcessMessages(wait, watch.get());
        if (!windowOpen()) return QntOutcome::Abandoned;
    }
    return state == QntState::Assigned ? QntOutcome::Assigned : QntOutcome::Failed;
}

void QuennetLink::BuildPathsAndLines() {
    QNTFilePath = "C:\\Program Files\\Halvik\\Halvik Quennet\\";
    QNTDataPath = "C:\\Documents and Settings\\" + CurrentUserName(m_Platform) +
                  "\\Application Data\\Halvik\\Quennet\\";
    QNTApplication = QNTFilePath + "Quennet.exe";
    ExternalRequestsFileName = QNTDataPath + "ExternalRequests.txt";

    m_Lines.Header = std::string("// Quennet External Request File") + kLineEnd;
    m_Lines.Discover = std::string(
                           "DO:DiscoverServices(Channel=\"ALL\",AllowCreate=\"TRUE\","
                           "DisableUnused=\"TRUE\")") +
                       kLineEnd;
    m_Lines.ActiveChannels = std::string("DO:GetActiveChannels()") + kLineEnd;
    m_Lines.ClientPort = std::string("DO:GetClientPort(Channel=\"Q\",ClientId=\"2\")") + kLineEnd;
    m_Lines.AddClient = std::string(
                            "DO:AddClient(Channel=\"Q\",ClientId=\"2\",Description=\"HART\","
                            "Port=\"NEXT\",Enabled=\"TRUE\")") +
                        kLineEnd;
    m_Lines.EnableClient =
        std::string("DO:EnableClient(Channel=\"Q\",ClientId=\"2\",Enabled=\"TRUE\")") + kLineEnd;
}

void QuennetLink::WriteRequest(const std::string& request) {
    ExternalRequestsFile = fileSystem->OpenTextFile(ExternalRequestsFileName, IoMode::ForWriting);
    ExternalRequestsFile->Write(m_Lines.Header + request);
    ExternalRequestsFile->Close();
}

std::string QuennetLink::WithChannel(const std::string& line) const {
    std::string filled;
    for (const char c : line) {
        if (c == 'Q')
            filled += QntChannelStringForm;
        else
            filled += c;
    }
    return filled;
}

void QuennetLink::Send(const std::string& request, int16_t next, int16_t& state, float& start) {
    try {
        WriteRequest(request);
    } catch (const Failure&) {
        state = QntState::Failed;
        return;
    }
    state = next;
    start = m_Platform.SecondsSinceMidnight();
    m_MustRead = true;
}

bool QuennetLink::WorthReading(FolderWatch* watch) {
    if (watch == nullptr) return true;
    const bool changed = watch->TakeChange();
    return changed || m_MustRead || TimedOut(m_LastRead, kRereadAfter).IsNonZero();
}

void QuennetLink::Advance(int16_t& state, float& start) {
    m_MustRead = false;
    m_LastRead = m_Platform.SecondsSinceMidnight();
    int16_t status = QntStatus::NoAnswer;
    try {
        status = Progress_QNT_Connection(state);
    } catch (const Failure&) {
        status = QntStatus::Failed;  // a channel or port that is no number
    }
    if (status == QntStatus::Failed) {
        state = QntState::Failed;
        return;
    }
    if (status != QntStatus::Done) return;
    switch (state) {
        case QntState::Discovering:
            Send(m_Lines.ActiveChannels, QntState::ReadingChannels, state, start);
            break;
        case QntState::ReadingChannels:
        case QntState::AddingClient:
            Send(WithChannel(m_Lines.ClientPort), QntState::ReadingClientPort, state, start);
            break;
        case QntState::ReadingClientPort:
            if (QntClientPortStringForm != "UNASSIGNED")
                Send(WithChannel(m_Lines.EnableClient), QntState::EnablingClient, state, start);
            else
                Send(WithChannel(m_Lines.AddClient), QntState::AddingClient, state, start);
            break;
        case QntState::EnablingClient:
            if (QntClientPortStringForm != "DISABLED")
                state = QntState::Assigned;
            else
                Send(WithChannel(m_Lines.ClientPort), QntState::ReadingClientPort, state, start);
            break;
        default:
            break;
    }
}

// ---- Reading the answer

int16_t QuennetLink::Progress_QNT_Connection(const int16_t& QNT_ConnectionState) {
    if (fileSystem == nullptr) fileSystem = &m_Platform.Files();
    try {
        ExternalRequestsFile =
            fileSystem->OpenTextFile(ExternalRequestsFileName, IoMode::ForReading);
        ExternalRequestsData = ExternalRequestsFile->ReadAll();
        ExternalRequestsFile->Close();
    } catch (const Failure&) {
        m_MustRead = true;
        return QntStatus::NoAnswer;  // held by Quennet while it writes, or its folder is gone
    }
    const std::string& data = ExternalRequestsData;
    // The answer starts after "File" and the line break that ends the header line.
    const std::size_t file = data.find("File");
    const std::size_t start = file == std::string::npos ? 5 : file + 6;
    const std::size_t colon = start <= data.size() ? data.find(':', start) : std::string::npos;
    if (colon == std::string::npos) return QntStatus::NoAnswer;
    const int16_t status = StatusOf(data.substr(start, colon - start));

    if (status == QntStatus::Done && (QNT_ConnectionState == QntState::ReadingChannels ||
                                      QNT_ConnectionState == QntState::ReadingClientPort)) {
        const std::optional<std::string> value = QuotedValue(data, "RESULT", start);
        if (!value) return QntStatus::NoAnswer;
        if (QNT_ConnectionState == QntState::ReadingChannels) {
            std::string channel = RemoveAll(*value, "COM");
            const std::size_t comma = channel.find(',');
            if (comma != std::string::npos && comma >= 1) channel.erase(comma);
            QntChannelStringForm = channel;
            QntChannel = LeadingNumber(QntChannelStringForm);
        } else {
            QntClientPortStringForm = *value;
            if (QntClientPortStringForm.find("COM") != std::string::npos) {
                QntClientPortStringForm = RemoveAll(QntClientPortStringForm, "COM");
                QntClientPort = LeadingNumber(QntClientPortStringForm);
            }
        }
    }
    if (status == QntStatus::Failed) {
        const std::optional<std::string> code = QuotedValue(data, "ERROR", start);
        if (!code) return QntStatus::NoAnswer;
        QntErrorStringForm = *code;
        QntError = ErrorNumber(*code);
    }
    return status;
}

// ---- Time and numbers

float QuennetLink::Elapsed(const float& start) {
    float elapsed = m_Platform.SecondsSinceMidnight() - start;
    if (elapsed < 0.0f) elapsed += kSecondsPerDay;  // the day rolled over
    return elapsed;
}

VbBool QuennetLink::TimedOut(const float& start, const float& limit) {
    return VbBool::From(Elapsed(start) > limit);
}

float QuennetLink::NextWait(const float& start) {
    const float elapsed = Elapsed(start);
    const float mark = elapsed <= kFirstRead ? kFirstRead : kAnswerLimit;
    return std::clamp(mark - elapsed + kShortestWait, kShortestWait, kLongestWait);
}

int16_t QuennetLink::LeadingNumber(const std::string& text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return 0;
    return Value(text).ToInt16();
}

}  // namespace vq::dialog
