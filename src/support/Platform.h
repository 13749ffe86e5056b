#pragma once
// What the core needs from the operating system beyond the host product: files and folders,
// the time of day, starting another program, the user's name and the thread's window messages.
// The dialog's link to the port-sharing application is its user.
//
// Paths are Windows paths ("C:\Folder\File.txt") in UTF-8. Text files hold the system's
// single-byte code page; the core reads and writes them as UTF-8 and the implementation
// converts. Implementations: the Win32 one in the Windows shell, and a native one
// (NativePlatform.h) that maps drive C: to a folder and whose clock tests can set.

#include <cstdint>
#include <memory>
#include <string>

namespace vq {

/// How a text file is opened.
enum class IoMode : int16_t {
    ForReading = 1,
    /// Replaces whatever the file held.
    ForWriting = 2,
};

/// One opening of a text file. Every member throws Failure when the file system refuses.
class TextStream {
  public:
    virtual ~TextStream() = default;
    /// The whole text of the file (opened for reading).
    virtual std::string ReadAll() = 0;
    /// Appends text to the file (opened for writing).
    virtual void Write(const std::string& text) = 0;
    /// Closes the file; further calls refuse. Harmless when closed already.
    virtual void Close() = 0;
};

/// A watch on the files of one folder: while it lives, a change of a file in the folder ends
/// a wait of Platform::ProcessMessages early. Destroying it ends the watch.
class FolderWatch {
  public:
    virtual ~FolderWatch() = default;
    /// True when a file in the folder has changed since the last call (or since the watch
    /// began); the change then counts as seen.
    virtual bool TakeChange() = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual bool FolderExists(const std::string& path) = 0;
    /// True for an existing file, false for a folder or nothing.
    virtual bool FileExists(const std::string& path) = 0;
    /// Creates the folder and any missing parents; throws Failure when one cannot be made.
    virtual void CreateFolders(const std::string& path) = 0;
    /// Opens a text file, creating it empty when it is missing (its folder must exist); for
    /// writing, an existing file is emptied. Throws Failure when it cannot be opened (no such
    /// folder, no access, held by another program).
    virtual std::unique_ptr<TextStream> OpenTextFile(const std::string& path, IoMode mode) = 0;
    /// Watches an existing folder; null when the folder cannot be watched.
    virtual std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder) = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    /// The file system, the same object on every call.
    virtual FileSystem& Files() = 0;

    /// Seconds since local midnight, with a fraction (0 <= t < 86400).
    virtual float SecondsSinceMidnight() = 0;

    /// Starts a program with its main window minimized and focused; its process id, or
    /// 0 when it could not be started.
    virtual uint32_t StartMinimized(const std::string& program) = 0;

    /// The name of the user this program runs as, the way the system call hands it over:
    /// the buffer holds `size` characters. On success it holds the name and a terminating NUL
    /// and size becomes the count including the NUL. When the buffer is too small the call
    /// returns false and sets size to the count it needs; on any other failure it returns
    /// false and leaves size as it was.
    virtual bool UserName(std::string& buffer, uint32_t& size) = 0;

    /// Lets the window messages waiting for this thread through, then waits at most maxWait
    /// seconds for another message or a change in the watched folder (may be null) and lets
    /// what arrived through. The handlers of the messages may do anything the user can do.
    virtual void ProcessMessages(float maxWait, FolderWatch* watch) = 0;
};

}  // namespace vq
