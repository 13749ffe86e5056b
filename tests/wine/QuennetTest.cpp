// Auto Connect on Windows: the dialog's exchange over the Win32 platform against the Windows
// build of the simulated Quennet, installed on drive C: of the Wine prefix; and the Win32
// platform's message pump.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/dialog/DialogFixture.h"
#include "win32/platform/Win32Platform.h"

namespace {

using dialogtest::Button;
using dialogtest::List;
using dialogtest::User;
namespace fs = std::filesystem;

const std::string kQuennetFolder = "C:\\Program Files\\Halvik\\Halvik Quennet\\";

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path ProgramFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return fs::path(path).parent_path();
}

/// The Win32 platform, recording the programs it started so that the test can end them.
class RecordingPlatform : public vq::Platform {
  public:
    vq::FileSystem& Files() override { return m_Real->Files(); }
    float SecondsSinceMidnight() override { return m_Real->SecondsSinceMidnight(); }
    uint32_t StartMinimized(const std::string& program) override {
        const uint32_t id = m_Real->StartMinimized(program);
        if (id != 0) Started.push_back(id);
        return id;
    }
    bool UserName(std::string& buffer, uint32_t& size) override {
        return m_Real->UserName(buffer, size);
    }
    void ProcessMessages(float maxWait, vq::FolderWatch* watch) override {
        m_Real->ProcessMessages(maxWait, watch);
    }
    ~RecordingPlatform() override {
        for (uint32_t id : Started) {
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
                TerminateProcess(process, 0);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    }
    std::vector<uint32_t> Started;

  private:
    std::shared_ptr<vq::Platform> m_Real = vq::win32::CreateWin32Platform();
};

class WindowsAutoConnect : public dialogtest::DialogSession {
  protected:
    void SetUp() override {
        DialogSession::SetUp();
        m_Previous = std::exchange(vq::ThisThread().Platform, m_Platform);
    }
    void TearDown() override { vq::ThisThread().Platform = std::move(m_Previous); }

    std::shared_ptr<RecordingPlatform> m_Platform = std::make_shared<RecordingPlatform>();
    std::shared_ptr<vq::Platform> m_Previous;
};

TEST_F(WindowsAutoConnect, AMissingClientIsAddedAndItsPortSelected) {
    char user[256] = {};
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    const std::string data = std::string("C:\\Documents and Settings\\") + user +
                             "\\Application Data\\Halvik\\Quennet\\";
    std::error_code error;
    fs::remove_all(data, error);
    fs::create_directories(kQuennetFolder);
    fs::copy_file(ProgramFolder() / "QuennetSim.exe", kQuennetFolder + "Quennet.exe",
                  fs::copy_options::overwrite_existing);
    const std::string log = kQuennetFolder + "quennet.log";
    fs::remove(log, error);
    std::ofstream(kQuennetFolder + "Quennet.cfg")
        << "DataFolder=" << data << "\nLog=" << log
        << "\nClient=missing\nClientPort=COM4\nChannels=COM2\nExitAfterIdle=30\n";

    auto txm = Silent(3, 1, 1, "1200,n,8,1", 1, "Hart");
    Edit(txm, [&](User& user) {
        user.Choose("cmbType", "Zandor");
        user.Choose("cmbType", "Quorra");
        user.Click("cmdQuennetConnect");
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM4");
        EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
        EXPECT_TRUE(Button(user, "cmdOK").Enabled());
        dialogtest::Confirm(user);
    });
    EXPECT_EQ(txm->ComPort(), 4);
    EXPECT_TRUE(m_World->Messages.empty());
    EXPECT_EQ(m_Platform->Started.size(), 1u);
    EXPECT_EQ(ReadAll(data + "ExternalRequests.txt")
                  .rfind("// Quennet External Request File\r\nDONE:EnableClient(Channel=\"2\",", 0),
              0u);
    const std::string requests = ReadAll(log);
    for (const char* request :
         {"DiscoverServices", "GetActiveChannels", "GetClientPort", "AddClient", "EnableClient"})
        EXPECT_NE(requests.find(std::string(" request DO:") + request + "("), std::string::npos)
            << request;
}

// A window message posted to the thread is dispatched by the pump, and a change in the
// watched folder ends its wait.
TEST(WindowsPlatform, ThePumpDispatchesMessagesAndWakesOnAFolderChange) {
    const std::shared_ptr<vq::Platform> platform = vq::win32::CreateWin32Platform();
    static int delivered = 0;
    WNDCLASSW type{};
    type.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
        if (message == WM_APP + 7) ++delivered;
        return DefWindowProcW(window, message, w, l);
    };
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"vqPumpTest";
    RegisterClassW(&type);
    HWND window = CreateWindowW(L"vqPumpTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                type.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_APP + 7, 0, 0);
    platform->ProcessMessages(0.0f, nullptr);
    EXPECT_EQ(delivered, 1);

    const std::string folder = (fs::temp_directory_path() / "vq-pump-test").string();
    platform->Files().CreateFolders(folder + "\\a\\b");
    EXPECT_TRUE(platform->Files().FolderExists(folder + "\\a\\b"));
    const std::unique_ptr<vq::FolderWatch> watch = platform->Files().WatchFolder(folder);
    ASSERT_NE(watch, nullptr);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ofstream(folder + "\\file.txt") << "x";
    });
    const auto start = std::chrono::steady_clock::now();
    platform->ProcessMessages(20.0f, watch.get());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    writer.join();
    EXPECT_LT(took.count(), 10.0) << "woken by the change, not by the end of the wait";
    DestroyWindow(window);
    std::error_code error;
    fs::remove_all(folder, error);
}

}  // namespace
