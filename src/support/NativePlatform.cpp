#include "NativePlatform.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#ifdef __linux__
#include <sys/inotify.h>
#endif

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <utility>

#include "Failure.h"
#include "Utf8.h"

extern char** environ;

namespace vq {

namespace {

constexpr double kSecondsPerDay = 86400.0;

Failure FileFailure(const std::string& what, const std::string& path, int error) {
    return Failure(Codes::PathFileAccess, what + " " + path + ": " + std::strerror(error));
}

/// An open text file; the flock taken at opening lasts until it is closed.
class NativeStream : public TextStream {
  public:
    NativeStream(int fd, std::string path, IoMode mode)
        : m_Fd(fd), m_Path(std::move(path)), m_Mode(mode) {}
    ~NativeStream() override { Close(); }

    std::string ReadAll() override {
        Require(IoMode::ForReading, "read");
        std::string bytes;
        std::array<char, 4096> chunk{};
        for (;;) {
            const ssize_t n = ::read(m_Fd, chunk.data(), chunk.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw FileFailure("Cannot read", m_Path, errno);
            if (n == 0) break;
            bytes.append(chunk.data(), static_cast<std::size_t>(n));
        }
        return FromCodePage1252(bytes);
    }

    void Write(const std::string& text) override {
        Require(IoMode::ForWriting, "write");
        const std::string bytes = ToCodePage1252(text);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_Fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw FileFailure("Cannot write", m_Path, errno);
            done += static_cast<std::size_t>(n);
        }
    }

    void Close() override {
        if (m_Fd >= 0) ::close(m_Fd);
        m_Fd = -1;
    }

  private:
    void Require(IoMode mode, const char* what) const {
        if (m_Fd < 0 || m_Mode != mode)
            throw Failure(Codes::InvalidProcedureCall,
                          std::string("Cannot ") + what + " " + m_Path + ": not open for it");
    }

    int m_Fd;
    std::string m_Path;
    IoMode m_Mode;
};

#ifdef __linux__
class InotifyWatch : public FolderWatch {
  public:
    explicit InotifyWatch(int fd) : m_Fd(fd) {}
    ~InotifyWatch() override { ::close(m_Fd); }
    /// Waits until a change arrives or the time runs out; takes in the changes.
    void Wait(int milliseconds) {
        pollfd entry{m_Fd, POLLIN, 0};
        if (::poll(&entry, 1, milliseconds) > 0) Drain();
    }
    bool TakeChange() override {
        Drain();
        return std::exchange(m_Changed, false);
    }

  private:
    void Drain() {
        std::array<char, 4096> events{};
        while (::read(m_Fd, events.data(), events.size()) > 0) m_Changed = true;
    }

    int m_Fd;
    bool m_Changed = true;
};
#endif

std::string DefaultUser() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name)
        return entry->pw_name;
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "user";
}

void EndProcess(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) != 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace

NativePlatform::NativePlatform(std::filesystem::path root)
    : m_Root(std::move(root)), m_User(DefaultUser()) {
    std::filesystem::create_directories(m_Root);
}

NativePlatform::~NativePlatform() {
    EndStarted();
}

void NativePlatform::EndStarted() {
    for (uint32_t pid : m_Started) EndProcess(static_cast<pid_t>(pid));
    m_Started.clear();
}

std::optional<std::filesystem::path> NativePlatform::TryLocal(
    const std::string& windowsPath) const {
    if (windowsPath.size() < 2 || (windowsPath[0] != 'C' && windowsPath[0] != 'c') ||
        windowsPath[1] != ':')
        return std::nullopt;
    std::string rest = windowsPath.substr(2);
    for (char& c : rest) {
        if (c == '\\') c = '/';
    }
    const std::size_t start = rest.find_first_not_of('/');
    return m_Root / (start == std::string::npos ? std::string() : rest.substr(start));
}

std::filesystem::path NativePlatform::Local(const std::string& windowsPath) const {
    if (auto local = TryLocal(windowsPath)) return *local;
    throw Failure(Codes::PathFileAccess, "Path not found: " + windowsPath);
}

void NativePlatform::SetClock(float seconds) {
    m_ManualClock = std::fmod(static_cast<double>(seconds), kSecondsPerDay);
}

float NativePlatform::SecondsSinceMidnight() {
    double seconds = 0.0;
    if (m_ManualClock) {
        seconds = *m_ManualClock;
    } else {
        const auto now = std::chrono::system_clock::now();
        const std::time_t whole = std::chrono::system_clock::to_time_t(now);
        std::tm local{};
        ::localtime_r(&whole, &local);
        const std::chrono::duration<double> fraction =
            now - std::chrono::system_clock::from_time_t(whole);
        seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction.count();
    }
    const auto result = static_cast<float>(seconds);
    // Just before midnight the rounding to single precision may reach 86400.
    return result < 86400.0f ? result : std::nextafter(86400.0f, 0.0f);
}

uint32_t NativePlatform::StartMinimized(const std::string& program) {
    const std::optional<std::filesystem::path> local = TryLocal(program);
    std::error_code error;
    if (!local || !std::filesystem::is_regular_file(*local, error)) return 0;
    const std::string path = local->string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    std::string argument0 = path;
    std::array<char*, 2> argv{argument0.data(), nullptr};
    pid_t pid = 0;
    const int result = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0 || pid <= 0) return 0;
    m_Started.push_back(static_cast<uint32_t>(pid));
    return static_cast<uint32_t>(pid);
}

bool NativePlatform::UserName(std::string& buffer, uint32_t& size) {
    const auto needed = static_cast<uint32_t>(m_User.size() + 1);
    if (size < needed || buffer.size() < needed) {
        size = needed;
        return false;
    }
    std::copy(m_User.begin(), m_User.end(), buffer.begin());
    buffer[m_User.size()] = '\0';
    size = needed;
    return true;
}

void NativePlatform::ProcessMessages(float maxWait, FolderWatch* watch) {
    ++m_Passes;
    if (m_MessageSource) m_MessageSource();
    if (maxWait > 0.0f) Wait(maxWait, watch);
}

void NativePlatform::Wait(float seconds, FolderWatch* watch) {
    m_Waited += seconds;
    if (m_ManualClock) {
        m_ManualClock = std::fmod(*m_ManualClock + seconds, kSecondsPerDay);
        return;
    }
    const auto milliseconds = static_cast<int>(std::ceil(seconds * 1000.0f));
#ifdef __linux__
    if (auto* inotify = dynamic_cast<InotifyWatch*>(watch)) {
        inotify->Wait(milliseconds);
        return;
    }
#else
    (void)watch;
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// ---- Files

bool NativePlatform::FolderExists(const std::string& path) {
    std::error_code error;
    const auto local = TryLocal(path);
    return local && std::filesystem::is_directory(*local, error);
}

bool NativePlatform::FileExists(const std::string& path) {
    std::error_code error;
    const auto local = TryLocal(path);
    return local && std::filesystem::exists(*local, error) &&
           !std::filesystem::is_directory(*local, error);
}

void NativePlatform::CreateFolders(const std::string& path) {
    const std::filesystem::path local = Local(path);
    std::error_code error;
    std::filesystem::create_directories(local, error);
    if (!std::filesystem::is_directory(local))
        throw FileFailure("Cannot create the folder", path,
                          error ? error.value() : static_cast<int>(ENOTDIR));
}

std::unique_ptr<TextStream> NativePlatform::OpenTextFile(const std::string& path, IoMode mode) {
    const std::string local = Local(path).string();
    if (mode == IoMode::ForReading) ++m_FilesRead;
    const int flags = (mode == IoMode::ForWriting ? O_WRONLY : O_RDONLY) | O_CREAT | O_CLOEXEC;
    const int fd = ::open(local.c_str(), flags, 0666);
    if (fd < 0) throw FileFailure("Cannot open", path, errno);
    // A shared lock only detects a program holding the file exclusively; it blocks no one else.
    // The file is emptied after that test, so a held file keeps its text.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0 ||
        (mode == IoMode::ForWriting && ::ftruncate(fd, 0) != 0)) {
        const int error = errno;
        ::close(fd);
        throw FileFailure("Cannot open", path, error);
    }
    return std::make_unique<NativeStream>(fd, path, mode);
}

std::unique_ptr<FolderWatch> NativePlatform::WatchFolder(const std::string& folder) {
#ifdef __linux__
    const auto local = TryLocal(folder);
    if (!local) return nullptr;
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    const uint32_t events =
        IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_ATTRIB;
    if (::inotify_add_watch(fd, local->c_str(), events) < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<InotifyWatch>(fd);
#else
    (void)folder;
    return nullptr;
#endif
}

// ---- Code page

namespace {
/// The characters of bytes 0x80 to 0x9F; the five bytes the code page leaves free map to the
/// control characters of the same number, as the system's conversion does.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

std::string ToCodePage1252(const std::string& utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(utf8, i, c);
        if (length == 0) c = 0xFFFD;  // a byte that is no UTF-8
        i += length == 0 ? 1 : length;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes += static_cast<char>(c);
            continue;
        }
        char byte = '?';
        for (std::size_t k = 0; k < kHighControls.size(); ++k) {
            if (kHighControls[k] == c) byte = static_cast<char>(0x80 + k);
        }
        bytes += byte;
    }
    return bytes;
}

std::string FromCodePage1252(const std::string& bytes) {
    std::string text;
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        AppendUtf8(text, byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
    }
    return text;
}

}  // namespace vq
