// Auto Connect in the dialog, end to end: the dialog starts the simulated Quennet as a program of
// its own from drive C: of the native platform, and the two talk through the request file.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <utility>

#include "QuennetFixture.h"
#include "tests/dialog/DialogFixture.h"

namespace quennettest {
namespace {

using dialogtest::Button;
using dialogtest::List;
using dialogtest::User;
using Strings = std::vector<std::string>;

const std::string kMessageA = "Auto Connect failed,\nensure that a Quennet\nexists and then retry.";
const std::string kMessageB =
    "Quennet launched,\nbut COM port assign failed;\nuser must assign manually.";
const std::string kMessageC = "Auto Connect failed,\nQuennet\napplication not found!";

class AutoConnect : public dialogtest::DialogSession {
  protected:
    void SetUp() override {
        DialogSession::SetUp();
        m_Platform->SetUser("operator");
        m_Platform->SetMessageSource([this] { m_Windows->DispatchPending(); });
        m_Previous = std::exchange(vq::ThisThread().Platform, m_Platform);
    }
    void TearDown() override { vq::ThisThread().Platform = std::move(m_Previous); }

    /// A type-3 transmitter at COM1.
    vq::TransmitterRef Hart() { return Silent(3, 1, 1, "1200,n,8,1", 1, "Hart"); }
    std::filesystem::path RequestFile() const {
        return m_Platform->Local(DataFolder("operator")) / "ExternalRequests.txt";
    }

    /// An exchange with a Quennet whose client 2 is in the given state; returns its requests.
    Strings ExpectPortAssigned(const std::string& client, int16_t port) {
        const auto log = InstallQuennet(
            *m_Platform, "operator",
            {"Client=" + client, "ClientPort=COM" + std::to_string(port), "Channels=COM2,COM3"});
        auto txm = Hart();
        Edit(txm, [&](User& user) {
            ChooseQuorraAndConnect(user);
            EXPECT_EQ(List(user, "cmbPort").Text(), "COM" + std::to_string(port));
            EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
            EXPECT_TRUE(Button(user, "cmdOK").Enabled());
            dialogtest::Confirm(user);
        });
        EXPECT_EQ(txm->ComPort(), port);
        EXPECT_TRUE(m_World->Messages.empty());
        const auto& calls = m_World->Port(3)->Calls;
        EXPECT_NE(std::find(calls.begin(), calls.end(),
                            "SetHartPortNumber(" + std::to_string(port) + ")"),
                  calls.end())
            << "the assigned port is probed as any choice";
        return LoggedRequests(log);
    }

    /// Auto Connect is enabled once type 3 is chosen in the list.
    static void ChooseQuorraAndConnect(User& user) {
        user.Choose("cmbType", "Zandor");
        user.Choose("cmbType", "Quorra");
        user.Click("cmdQuennetConnect");
    }

    std::shared_ptr<vq::NativePlatform> m_Platform =
        std::make_shared<vq::NativePlatform>(m_Folder.Path() / "drive-c");
    std::shared_ptr<vq::Platform> m_Previous;
};

TEST_F(AutoConnect, AnExistingClientIsEnabledAndItsPortSelected) {
    EXPECT_EQ(
        ExpectPortAssigned("existing", 5),
        (Strings{kDiscover, kActiveChannels, ClientPortRequest("2"), EnableClientRequest("2")}));
}

TEST_F(AutoConnect, AMissingClientIsAddedAskedAgainAndEnabled) {
    EXPECT_EQ(ExpectPortAssigned("missing", 6),
              (Strings{kDiscover, kActiveChannels, ClientPortRequest("2"), AddClientRequest("2"),
                       ClientPortRequest("2"), EnableClientRequest("2")}));
}

TEST_F(AutoConnect, ADisabledClientIsEnabledAskedAgainAndEnabledOnceMore) {
    EXPECT_EQ(ExpectPortAssigned("disabled", 8),
              (Strings{kDiscover, kActiveChannels, ClientPortRequest("2"), EnableClientRequest("2"),
                       ClientPortRequest("2"), EnableClientRequest("2")}));
}

TEST_F(AutoConnect, EachMessageSaysWhyAndOnlyARetryCanHelpReenablesTheButton) {
    auto txm = Hart();
    Edit(txm, [&](User& user) {
        ChooseQuorraAndConnect(user);  // nothing installed
        EXPECT_TRUE(Button(user, "cmdQuennetConnect").Enabled());
        EXPECT_TRUE(Button(user, "cmdOK").Enabled());

        InstallStandIn(*m_Platform, /*executable*/ false);
        user.Click("cmdQuennetConnect");
        EXPECT_TRUE(Button(user, "cmdQuennetConnect").Enabled());
        EXPECT_TRUE(Button(user, "cmdOK").Enabled());

        InstallQuennet(*m_Platform, "operator", {"Fail=GetActiveChannels:UNABLE_TO_ACTION"});
        user.Click("cmdQuennetConnect");
        EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
        EXPECT_TRUE(Button(user, "cmdOK").Enabled());
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM1");
        dialogtest::Cancel(user);
    });
    EXPECT_EQ(Prompts(), (Strings{kMessageC, kMessageA, kMessageB}));
    for (const sim::MessageRecord& message : m_World->Messages) {
        EXPECT_EQ(message.Buttons, 0);
        EXPECT_EQ(message.Style, 0);
        EXPECT_EQ(message.Title, "Transmitter properties");
    }
}

TEST_F(AutoConnect, ARequestFileWithoutAReadableAnswerEndsInMessageBThirtySecondsAfterTheRequest) {
    // On the test's clock. A Quennet of the test's own, in the dialog's message passes, answers
    // the discover request and then spoils the file once the channels request is in it.
    m_Platform->SetClock(36000.0f);
    InstallStandIn(*m_Platform);
    int held = -1;
    const auto hold = [&](const std::filesystem::path& file) {
        held = ::open(file.c_str(), O_RDWR);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
    };
    const auto write = [](std::string text) {
        return [text](const std::filesystem::path& file) { WriteFile(file, text); };
    };
    struct Case {
        const char* What;
        std::function<void(const std::filesystem::path&)> Spoil;
    };
    const std::vector<Case> cases{
        {"held by Quennet", hold},
        {"empty", write("")},
        {"cut before the colon", write(kHeader + "DONE")},
        {"cut inside the value", write(kHeader + "DONE:GetActiveChannels(RESULT=\"COM3")},
        {"without the header line", write("DONE:GetActiveChannels(RESULT=\"COM3\")\r\n")},
        {"garbage", write(std::string("\x7f"
                                      "ELF\x01\x00\x81\x8d:\xff\xfe\"RESULT\"\r\n",
                                      16))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        m_World->Messages.clear();
        double spoiledAt = -1.0;
        m_Platform->SetMessageSource([&] {
            m_Windows->DispatchPending();
            if (spoiledAt >= 0.0) return;
            const std::string text = ReadFile(RequestFile());
            if (text == kHeader + kDiscover + "\r\n") {
                WriteFile(RequestFile(), kHeader + "DONE:DiscoverServices()\r\n");
            } else if (text == kHeader + kActiveChannels + "\r\n") {
                spoiledAt = m_Platform->WaitedSeconds();
                c.Spoil(RequestFile());
            }
        });
        auto txm = Hart();
        Edit(txm, [&](User& user) {
            ChooseQuorraAndConnect(user);
            const double waited = m_Platform->WaitedSeconds() - spoiledAt;
            EXPECT_GT(waited, 30.0);
            EXPECT_LT(waited, 30.03) << "the exchange ends at the 30-second mark";
            EXPECT_EQ(List(user, "cmbPort").Text(), "COM1");
            EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
            EXPECT_TRUE(Button(user, "cmdOK").Enabled());
            dialogtest::Cancel(user);
        });
        EXPECT_GE(spoiledAt, 0.5) << "the discover request was answered";
        EXPECT_EQ(Prompts(), Strings{kMessageB});
        if (held >= 0) ::close(std::exchange(held, -1));
    }
}

TEST_F(AutoConnect, ARequestFileThatCannotBeWrittenEndsInMessageBAtOnce) {
    m_Platform->SetClock(36000.0f);
    InstallStandIn(*m_Platform);
    std::filesystem::create_directories(RequestFile());  // a folder in the file's place
    auto txm = Hart();
    Edit(txm, [&](User& user) {
        ChooseQuorraAndConnect(user);
        EXPECT_LT(m_Platform->WaitedSeconds(), 0.1);
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM1");
        dialogtest::Cancel(user);
    });
    EXPECT_EQ(Prompts(), Strings{kMessageB});
    EXPECT_TRUE(std::filesystem::is_empty(RequestFile())) << "nothing written into the folder";
}

TEST_F(AutoConnect, TheModemEntryIsNoClientPort) {
    InstallQuennet(*m_Platform, "operator", {"ClientPort=COM9"});
    auto txm = Hart();
    Edit(txm, [&](User& user) {
        ChooseQuorraAndConnect(user);
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM1");
        EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
        dialogtest::Confirm(user);
    });
    EXPECT_EQ(Prompts(), Strings{kMessageB});
    EXPECT_EQ(txm->ComPort(), 1);
}

TEST_F(AutoConnect, TheUserMayActMeanwhileAndACloseEndsTheExchange) {
    const auto log = InstallQuennet(*m_Platform, "operator", {"Client=missing", "Delay=0.3"});
    auto txm = Hart();
    bool busy = false;
    // From the add-client request until the request after its answer: 0.8 s at least.
    const auto waitingForAddClient = [&] {
        return ReadFile(RequestFile()).find("AddClient(") != std::string::npos;
    };
    const vq::VbBool result = Edit(txm, [&](User& user) {
        user.Meanwhile([&](User& now) {
            busy = !Button(now, "cmdOK").Enabled() && !Button(now, "cmdQuennetConnect").Enabled();
            EXPECT_THROW(now.Click("cmdOK"), vq::Failure);
            now.Focus("txtName");
            now.Type("Tank 7");
            now.PressEnter();
        });
        user.Meanwhile([](User& now) { now.CloseWindow(); }, waitingForAddClient);
        ChooseQuorraAndConnect(user);
        EXPECT_FALSE(user.Window().Visible());
        EXPECT_EQ(dialogtest::Box(user, "txtName").Text(), "Tank 7");
    });
    EXPECT_TRUE(busy) << "OK and Auto Connect are disabled while the exchange runs";
    EXPECT_EQ(result, vq::VbFalse);
    EXPECT_TRUE(m_World->Messages.empty());
    EXPECT_EQ(txm->ComPort(), 1);
    EXPECT_EQ(txm->Name(), "Hart");
    // Quennet answers the last request; the closed dialog asks nothing more.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(ReadFile(RequestFile()).rfind(kHeader + "DONE:AddClient(", 0), 0u);
    EXPECT_EQ(LoggedRequests(log).back(), AddClientRequest("3"));
}

}  // namespace
}  // namespace quennettest
