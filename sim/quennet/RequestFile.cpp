// The simulated Quennet's files on disk. Locking it means what it means to the dialog's
// platform: on Windows the file is opened without sharing, so the dialog cannot open it; on
// POSIX systems an exclusive flock, which the native platform honours.

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/quennet/QuennetSim.h"

#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace sim::quennet {

namespace {

class DiskRequestFile : public RequestFile {
  public:
    explicit DiskRequestFile(std::filesystem::path path) : m_Path(std::move(path)) {}
    ~DiskRequestFile() override { Unlock(); }

    std::optional<std::string> Read() override {
        if (m_Fd >= 0) return std::nullopt;  // held by us: no one reads it now
        std::ifstream in(m_Path, std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    bool Write(const std::string& text) override {
        if (m_Fd >= 0) return WriteHeld(text);
        std::ofstream out(m_Path, std::ios::binary | std::ios::trunc);
        out << text;
        return static_cast<bool>(out.flush());
    }

    bool Lock() override {
        if (m_Fd >= 0) return true;
#ifdef _WIN32
        const int opened = _wsopen_s(&m_Fd, m_Path.c_str(), _O_RDWR | _O_BINARY | _O_CREAT,
                                     _SH_DENYRW, _S_IREAD | _S_IWRITE);
        if (opened != 0) m_Fd = -1;
#else
        m_Fd = ::open(m_Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_Fd >= 0 && ::flock(m_Fd, LOCK_EX | LOCK_NB) != 0) Unlock();
#endif
        return m_Fd >= 0;
    }

    void Unlock() override {
#ifdef _WIN32
        if (m_Fd >= 0) _close(m_Fd);
#else
        if (m_Fd >= 0) ::close(m_Fd);
#endif
        m_Fd = -1;
    }

  private:
    bool WriteHeld(const std::string& text) {
        const auto size = static_cast<unsigned>(text.size());
#ifdef _WIN32
        return _chsize(m_Fd, 0) == 0 && _lseek(m_Fd, 0, SEEK_SET) == 0 &&
               _write(m_Fd, text.data(), size) == static_cast<int>(size);
#else
        return ::ftruncate(m_Fd, 0) == 0 &&
               ::pwrite(m_Fd, text.data(), size, 0) == static_cast<ssize_t>(size);
#endif
    }

    std::filesystem::path m_Path;
    int m_Fd = -1;
};

}  // namespace

std::unique_ptr<RequestFile> OpenLockableFile(const std::string& path) {
    return std::make_unique<DiskRequestFile>(path);
}

std::unique_ptr<RequestFile> OpenRequestFile(const std::string& folder) {
    return OpenLockableFile((std::filesystem::path(folder) / "ExternalRequests.txt").string());
}

}  // namespace sim::quennet
