#pragma once
// The platform on a POSIX system, for tests, benchmarks and the demo host. Drive C: is a folder
// of the native file system (the root); other drives do not exist. Text files are written in
// the Windows-1252 code page. A file that another program holds locked (flock) cannot be opened,
// as a file held without sharing cannot be on Windows.
//
// The clock is the real local time of day, or a clock a test sets and that moves only when the
// platform waits: a wait of ProcessMessages then takes no real time but advances the clock.
//
// The thread's "window messages" are whatever the message source does: a test installs one
// that hands control to its scripted user, so the user can act in the middle of a handler.
//
// Programs started here are ended (and reaped) when the platform is destroyed.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform.h"

namespace vq {

class NativePlatform : public Platform, private FileSystem {
  public:
    /// A platform whose drive C: is the folder root (created when missing).
    explicit NativePlatform(std::filesystem::path root);
    ~NativePlatform() override;
    NativePlatform(const NativePlatform&) = delete;
    NativePlatform& operator=(const NativePlatform&) = delete;

    const std::filesystem::path& Root() const { return m_Root; }
    /// The native path of a path on drive C: ("C:\A\b.txt" -> root/A/b.txt); throws Failure
    /// for any other path.
    std::filesystem::path Local(const std::string& windowsPath) const;

    // ---- Set-up

    /// The user name UserName reports; by default the name of the process's user.
    void SetUser(std::string name) { m_User = std::move(name); }
    /// Stops the real clock: from now on the time of day is `seconds` and moves only by the
    /// waits of ProcessMessages (wrapping at midnight).
    void SetClock(float seconds);
    /// Called at the start of every ProcessMessages: the thread's pending window messages.
    void SetMessageSource(std::function<void()> source) { m_MessageSource = std::move(source); }

    // ---- Records

    /// Process ids of the programs started so far (and not ended), in order.
    const std::vector<uint32_t>& Started() const { return m_Started; }
    /// Ends the programs started so far and waits for them.
    void EndStarted();
    /// Sum of the waits asked of ProcessMessages so far, in seconds.
    double WaitedSeconds() const { return m_Waited; }
    /// Number of ProcessMessages calls so far.
    int64_t MessagePasses() const { return m_Passes; }
    /// Number of text files opened for reading so far.
    int64_t FilesRead() const { return m_FilesRead; }

    // ---- Platform

    FileSystem& Files() override { return *this; }
    float SecondsSinceMidnight() override;
    /// Starts the program at its native path, with no arguments and with its standard streams
    /// on /dev/null. 0 when it does not exist or cannot be run.
    uint32_t StartMinimized(const std::string& program) override;
    bool UserName(std::string& buffer, uint32_t& size) override;
    void ProcessMessages(float maxWait, FolderWatch* watch) override;

  private:
    // FileSystem
    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    void CreateFolders(const std::string& path) override;
    std::unique_ptr<TextStream> OpenTextFile(const std::string& path, IoMode mode) override;
    std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder) override;

    /// Local(path), or nothing for a path that is not on drive C:.
    std::optional<std::filesystem::path> TryLocal(const std::string& windowsPath) const;
    void Wait(float seconds, FolderWatch* watch);

    std::filesystem::path m_Root;
    std::string m_User;
    std::optional<double> m_ManualClock;
    std::function<void()> m_MessageSource;
    std::vector<uint32_t> m_Started;
    double m_Waited = 0.0;
    int64_t m_Passes = 0;
    int64_t m_FilesRead = 0;
};

/// Windows-1252 bytes of UTF-8 text; characters the code page lacks become '?'.
std::string ToCodePage1252(const std::string& utf8);
/// UTF-8 text of Windows-1252 bytes.
std::string FromCodePage1252(const std::string& bytes);

}  // namespace vq
