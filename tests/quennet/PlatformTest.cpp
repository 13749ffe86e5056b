// The native platform as the link uses it (drive C: under a folder, text files in the Windows
// code page, locks, program start, the clock and the message pump) and the user-name call.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "QuennetFixture.h"
#include "dialog/Mapicalls.h"
#include "sim/World.h"
#include "support/Failure.h"

namespace quennettest {
namespace {

class NativePlatformTest : public ::testing::Test {
  protected:
    sim::ScratchFolder m_Folder{"vq-platform"};
    vq::NativePlatform m_Platform{m_Folder.Path()};
    vq::FileSystem& m_Files = m_Platform.Files();
};

std::string ReadText(vq::FileSystem& files, const std::string& path) {
    return files.OpenTextFile(path, vq::IoMode::ForReading)->ReadAll();
}
void WriteText(vq::FileSystem& files, const std::string& path, const std::string& text) {
    auto stream = files.OpenTextFile(path, vq::IoMode::ForWriting);
    stream->Write(text);
    stream->Close();
}

TEST_F(NativePlatformTest, DriveCIsTheRootFolderAndNothingElseExists) {
    EXPECT_EQ(m_Platform.Local("C:\\Program Files\\A b\\x.txt"),
              m_Folder.Path() / "Program Files/A b/x.txt");
    EXPECT_EQ(m_Platform.Local("c:/Data/"), m_Folder.Path() / "Data/");
    m_Files.CreateFolders("C:\\Documents and Settings\\op\\Application Data\\Halvik\\Quennet\\");
    EXPECT_TRUE(std::filesystem::is_directory(m_Folder.Path() /
                                              "Documents and Settings/op/Application Data"));
    EXPECT_TRUE(m_Files.FolderExists("C:\\Documents and Settings\\op"));
    EXPECT_FALSE(m_Files.FileExists("C:\\Documents and Settings\\op"));
    EXPECT_FALSE(m_Files.FolderExists("D:\\Documents and Settings\\op"));
    EXPECT_THROW(m_Files.OpenTextFile("D:\\x.txt", vq::IoMode::ForReading), vq::Failure);
    EXPECT_THROW(m_Files.CreateFolders("\\\\server\\share"), vq::Failure);
}

TEST_F(NativePlatformTest, TextFilesAreWholeInTheWindowsCodePage) {
    const std::string file = "C:\\data\\requests.txt";
    EXPECT_THROW(ReadText(m_Files, file), vq::Failure) << "no folder to create it in";
    m_Files.CreateFolders("C:\\data");
    EXPECT_EQ(ReadText(m_Files, file), "") << "created empty by reading";
    EXPECT_TRUE(m_Files.FileExists(file));

    WriteText(m_Files, file, "Größe 5 € – “ok”\r\nline two\r\n");
    EXPECT_EQ(ReadFile(m_Platform.Local(file)),
              "Gr\xF6\xDF"
              "e 5 \x80 \x96 \x93ok\x94\r\nline two\r\n");
    EXPECT_EQ(ReadText(m_Files, file), "Größe 5 € – “ok”\r\nline two\r\n");
    WriteText(m_Files, file, "short, ✓");
    EXPECT_EQ(ReadText(m_Files, file), "short, ?") << "replaced whole; unknown characters as ?";

    auto reading = m_Files.OpenTextFile(file, vq::IoMode::ForReading);
    EXPECT_THROW(reading->Write("x"), vq::Failure);
    reading->Close();
    EXPECT_THROW(reading->ReadAll(), vq::Failure);

    // A file another program holds exclusively cannot be opened, and keeps its text.
    const int held = ::open(m_Platform.Local(file).c_str(), O_RDWR);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_THROW(ReadText(m_Files, file), vq::Failure);
    EXPECT_THROW(WriteText(m_Files, file, "new"), vq::Failure);
    ::close(held);
    EXPECT_EQ(ReadText(m_Files, file), "short, ?");
}

TEST_F(NativePlatformTest, ProgramsStartFromDriveCAndEndWithThePlatform) {
    const std::filesystem::path marker = m_Folder.Path() / "ran";
    WriteFile(m_Platform.Local("C:\\bin\\tool.exe"),
              "#!/bin/sh\necho $0 > '" + marker.string() + "'\nexec sleep 60\n",
              std::filesystem::perms::owner_all);
    WriteFile(m_Platform.Local("C:\\bin\\text.exe"), "not a program\n");
    EXPECT_EQ(m_Platform.StartMinimized("C:\\bin\\text.exe"), 0u);
    EXPECT_EQ(m_Platform.StartMinimized("C:\\bin\\missing.exe"), 0u);
    EXPECT_EQ(m_Platform.StartMinimized("C:\\bin"), 0u);
    const uint32_t pid = m_Platform.StartMinimized("C:\\bin\\tool.exe");
    ASSERT_NE(pid, 0u);
    EXPECT_EQ(m_Platform.Started(), std::vector<uint32_t>{pid});
    for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadFile(marker), m_Platform.Local("C:\\bin\\tool.exe").string() + "\n");
    EXPECT_EQ(::kill(static_cast<pid_t>(pid), 0), 0) << "still running";
}

TEST_F(NativePlatformTest, TheUserNameIsReadWholeWhateverItsLength) {
    std::string buffer(25, '\0');
    uint32_t size = 25;
    m_Platform.SetUser(std::string(25, 'u'));
    EXPECT_FALSE(m_Platform.UserName(buffer, size)) << "25 characters and the NUL need 26";
    EXPECT_EQ(size, 26u);

    for (const std::string& name :
         {std::string("op"), std::string(24, 'a'), std::string(25, 'b'), std::string(70, 'c')}) {
        m_Platform.SetUser(name);
        EXPECT_EQ(vq::dialog::CurrentUserName(m_Platform), name);
    }
}

TEST_F(NativePlatformTest, TheSetClockMovesOnlyByWaitsAndWrapsAtMidnight) {
    int messages = 0;
    m_Platform.SetMessageSource([&] { ++messages; });
    m_Platform.SetClock(86399.5f);
    EXPECT_EQ(m_Platform.SecondsSinceMidnight(), 86399.5f);
    m_Platform.ProcessMessages(0.0f, nullptr);
    EXPECT_EQ(m_Platform.SecondsSinceMidnight(), 86399.5f);
    m_Platform.ProcessMessages(0.75f, nullptr);
    EXPECT_EQ(m_Platform.SecondsSinceMidnight(), 0.25f);
    EXPECT_EQ(messages, 2) << "messages are let through also without a wait";
    EXPECT_EQ(m_Platform.WaitedSeconds(), 0.75);
}

TEST_F(NativePlatformTest, AChangeInTheWatchedFolderEndsTheWait) {
    const float now = m_Platform.SecondsSinceMidnight();
    EXPECT_GE(now, 0.0f);
    EXPECT_LT(now, 86400.0f);
    m_Files.CreateFolders("C:\\watched");
    const std::unique_ptr<vq::FolderWatch> watch = m_Files.WatchFolder("C:\\watched");
    ASSERT_NE(watch, nullptr);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        WriteFile(m_Platform.Local("C:\\watched\\file.txt"), "x");
    });
    const auto start = std::chrono::steady_clock::now();
    m_Platform.ProcessMessages(20.0f, watch.get());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    writer.join();
    EXPECT_LT(took.count(), 10.0) << "woken by the change, not by the end of the wait";
}

}  // namespace
}  // namespace quennettest
