#include "win32/platform/Win32Platform.h"

#include <windows.h>

#include <cmath>
#include <string>
#include <utility>

#include "support/Failure.h"
#include "win32/com/Com.h"

namespace vq::win32 {

namespace {

Failure LastError(const std::string& what, const std::string& path) {
    const DWORD error = GetLastError();
    return Failure(static_cast<int32_t>(HRESULT_FROM_WIN32(error)),
                   what + " " + path + " (system error " + std::to_string(error) + ")");
}

/// UTF-8 text in the ANSI code page; characters it lacks become the code page's default.
std::string ToAnsi(const std::string& utf8) {
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::string FromAnsi(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return Narrow(wide);
}

class HandleStream : public TextStream {
  public:
    HandleStream(HANDLE file, std::string path, IoMode mode)
        : m_File(file), m_Path(std::move(path)), m_Mode(mode) {}
    ~HandleStream() override { Close(); }

    std::string ReadAll() override {
        Require(IoMode::ForReading, "read");
        std::string bytes;
        char chunk[4096];
        DWORD read = 0;
        do {
            if (!ReadFile(m_File, chunk, sizeof chunk, &read, nullptr))
                throw LastError("Cannot read", m_Path);
            bytes.append(chunk, read);
        } while (read > 0);
        return FromAnsi(bytes);
    }

    void Write(const std::string& text) override {
        Require(IoMode::ForWriting, "write");
        const std::string bytes = ToAnsi(text);
        DWORD written = 0;
        if (!WriteFile(m_File, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            throw LastError("Cannot write", m_Path);
    }

    void Close() override {
        if (m_File != INVALID_HANDLE_VALUE) CloseHandle(m_File);
        m_File = INVALID_HANDLE_VALUE;
    }

  private:
    void Require(IoMode mode, const char* what) const {
        if (m_File == INVALID_HANDLE_VALUE || m_Mode != mode)
            throw Failure(Codes::InvalidProcedureCall,
                          std::string("Cannot ") + what + " " + m_Path + ": not open for it");
    }

    HANDLE m_File;
    std::string m_Path;
    IoMode m_Mode;
};

class ChangeWatch : public FolderWatch {
  public:
    explicit ChangeWatch(HANDLE change) : m_Change(change) {}
    ~ChangeWatch() override { FindCloseChangeNotification(m_Change); }
    HANDLE Handle() const { return m_Change; }
    /// The notification was signalled: note the change and watch for the next one.
    void Rearm() {
        m_Changed = true;
        FindNextChangeNotification(m_Change);
    }
    bool TakeChange() override {
        if (WaitForSingleObject(m_Change, 0) == WAIT_OBJECT_0) Rearm();
        return std::exchange(m_Changed, false);
    }

  private:
    HANDLE m_Change;
    bool m_Changed = true;
};

class Win32Platform : public Platform, private FileSystem {
  public:
    FileSystem& Files() override { return *this; }

    float SecondsSinceMidnight() override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return static_cast<float>(now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond +
                                  now.wMilliseconds / 1000.0);
    }

    uint32_t StartMinimized(const std::string& program) override {
        const std::wstring application = Widen(program);
        std::wstring commandLine = L"\"" + application + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINIMIZED;  // minimized, and the focus goes to it
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &process))
            return 0;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return process.dwProcessId;
    }

    bool UserName(std::string& buffer, uint32_t& size) override {
        if (buffer.size() < size) buffer.resize(size);
        DWORD length = size;
        if (GetUserNameA(buffer.data(), &length)) {
            size = length;
            return true;
        }
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) size = length;
        return false;
    }

    void ProcessMessages(float maxWait, FolderWatch* watch) override {
        DispatchWaiting();
        if (maxWait <= 0.0f) return;
        auto* change = dynamic_cast<ChangeWatch*>(watch);
        HANDLE handles[1] = {change != nullptr ? change->Handle() : nullptr};
        const DWORD count = change != nullptr ? 1 : 0;
        const auto milliseconds = static_cast<DWORD>(std::ceil(maxWait * 1000.0f));
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, handles, milliseconds, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (count == 1 && woke == WAIT_OBJECT_0)
            change->Rearm();
        else if (woke == WAIT_OBJECT_0 + count)
            DispatchWaiting();
    }

  private:
    /// Dispatches the messages waiting for this thread. A quit message is put back for the
    /// message loop that owns it.
    static void DispatchWaiting() {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    // ---- FileSystem

    bool FolderExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool FileExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    void CreateFolders(const std::string& path) override {
        const std::wstring wide = Widen(path);
        // Every folder on the way, from the one below the drive's root on.
        for (std::size_t at = wide.find_first_of(L"\\/", 3); at != std::wstring::npos;
             at = wide.find_first_of(L"\\/", at + 1))
            CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);
        CreateDirectoryW(wide.c_str(), nullptr);
        if (!FolderExists(path)) throw LastError("Cannot create the folder", path);
    }

    std::unique_ptr<TextStream> OpenTextFile(const std::string& path, IoMode mode) override {
        const bool reading = mode == IoMode::ForReading;
        const HANDLE file =
            CreateFileW(Widen(path).c_str(), reading ? GENERIC_READ : GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        reading ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw LastError("Cannot open", path);
        return std::make_unique<HandleStream>(file, path, mode);
    }

    std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder) override {
        const HANDLE change = FindFirstChangeNotificationW(
            Widen(folder).c_str(), FALSE,
            FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE);
        if (change == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<ChangeWatch>(change);
    }
};

}  // namespace

std::shared_ptr<Platform> CreateWin32Platform() {
    return std::make_shared<Win32Platform>();
}

}  // namespace vq::win32
