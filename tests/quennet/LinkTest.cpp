// The exchange with Quennet on a clock the test controls: the simulated Quennet answers inside
// the exchange's message passes, on the time the exchange has waited, so 30-second limits and
// midnight cost no real time.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "QuennetFixture.h"
#include "dialog/QuennetLink.h"
#include "sim/World.h"
#include "sim/quennet/QuennetSim.h"

namespace quennettest {
namespace {

using vq::dialog::QntOutcome;
using Strings = std::vector<std::string>;

class Exchange : public ::testing::Test {
  protected:
    void SetUp() override {
        m_Platform.SetUser("operator");
        m_Platform.SetClock(43200.0f);
        InstallStandIn(m_Platform);
        m_Platform.SetMessageSource([this] { Pass(); });
    }

    /// Quennet answering with these settings from now on.
    void Quennet(const Strings& settings) {
        sim::quennet::Config config;
        config.DataFolder = Data().string();
        sim::quennet::Apply(config, settings);
        m_Quennet.reset();
        m_File = sim::quennet::OpenRequestFile(config.DataFolder);
        m_Quennet = std::make_unique<sim::quennet::Responder>(config, *m_File);
    }
    void Pass() {
        if (m_Platform.WaitedSeconds() > 300.0) throw std::runtime_error("the exchange never ends");
        if (m_Quennet) m_Quennet->Poll(m_Platform.WaitedSeconds());
        if (m_OnPass) m_OnPass();
    }
    QntOutcome Run() {
        return m_Link.Run([this] { return m_Open; });
    }
    /// The request lines Quennet took up, and when (seconds the exchange had waited).
    Strings Requests() const { return Recorded("request"); }
    std::vector<double> RequestTimes() const {
        std::vector<double> times;
        for (const auto& event : m_Quennet->Events())
            if (event.What == "request") times.push_back(event.Time);
        return times;
    }
    Strings Recorded(const std::string& what) const {
        Strings texts;
        for (const auto& event : m_Quennet->Events())
            if (event.What == what) texts.push_back(event.Text);
        return texts;
    }
    std::filesystem::path Data() const { return m_Platform.Local(DataFolder("operator")); }
    std::filesystem::path RequestFile() const { return Data() / "ExternalRequests.txt"; }
    /// Reads an answer written straight into the request file, in a state.
    int16_t Read(const std::string& text, int16_t state) {
        WriteFile(RequestFile(), text);
        return m_Link.Progress_QNT_Connection(state);
    }

    sim::ScratchFolder m_Folder{"vq-quennet"};
    vq::NativePlatform m_Platform{m_Folder.Path()};
    vq::dialog::QuennetLink m_Link{m_Platform};
    std::unique_ptr<sim::quennet::RequestFile> m_File;
    std::unique_ptr<sim::quennet::Responder> m_Quennet;
    std::function<void()> m_OnPass;
    bool m_Open = true;
};

TEST_F(Exchange, EachClientTakesItsRequestsAndEndsWithItsPort) {
    struct Path {
        const char* Client;
        Strings Requests;
    };
    const std::vector<Path> paths{
        {"existing",
         {kDiscover, kActiveChannels, ClientPortRequest("3"), EnableClientRequest("3")}},
        {"missing",
         {kDiscover, kActiveChannels, ClientPortRequest("3"), AddClientRequest("3"),
          ClientPortRequest("3"), EnableClientRequest("3")}},
        {"disabled",
         {kDiscover, kActiveChannels, ClientPortRequest("3"), EnableClientRequest("3"),
          ClientPortRequest("3"), EnableClientRequest("3")}},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.Client);
        std::filesystem::remove_all(m_Platform.Local("C:\\Documents and Settings"));
        Quennet({"Channels=COM3,COM4", "ClientPort=COM7", std::string("Client=") + path.Client});
        EXPECT_EQ(Run(), QntOutcome::Assigned);
        EXPECT_EQ(Requests(), path.Requests);
        EXPECT_EQ(m_Link.QntChannelStringForm, "3");
        EXPECT_EQ(m_Link.QntChannel, 3);
        EXPECT_EQ(m_Link.QntClientPortStringForm, "7");
        EXPECT_EQ(m_Link.QntClientPort, 7);
        EXPECT_EQ(m_Link.ExternalRequestsData.rfind(kHeader + "DONE:EnableClient(", 0), 0u);
        // Each request is read first half a second after it was written; Quennet answered at
        // once, so every next request follows just after that mark.
        const std::vector<double> times = RequestTimes();
        for (std::size_t i = 1; i < times.size(); ++i) {
            EXPECT_GT(times[i] - times[i - 1], 0.5);
            EXPECT_LT(times[i] - times[i - 1], 0.51);
        }
    }
    EXPECT_EQ(m_Platform.Started().size(), 3u) << "Quennet is started once per exchange";
}

TEST_F(Exchange, EveryFailedAnswerFailsTheExchangeAndKeepsItsCode) {
    struct Case {
        const char* Request;
        const char* Code;
        int16_t Number;
        std::size_t RequestsWritten;
    };
    for (const Case& c :
         {Case{"DiscoverServices", "UNABLE_TO_ACTION", 1, 1},
          Case{"GetActiveChannels", "INVALID_REQUEST", 2, 2},
          Case{"GetClientPort", "INVALID_ATTRIBUTE", 3, 3},
          Case{"AddClient", "INVALID_VALUE", 4, 4}, Case{"EnableClient", "OUT_OF_SERVICE", 0, 6}}) {
        SCOPED_TRACE(c.Code);
        Quennet({"Client=missing", std::string("Fail=") + c.Request + ":" + c.Code});
        EXPECT_EQ(Run(), QntOutcome::Failed);
        EXPECT_EQ(Requests().size(), c.RequestsWritten);
        EXPECT_EQ(m_Link.QntErrorStringForm, c.Code);
        EXPECT_EQ(m_Link.QntError, c.Number);
    }
}

TEST_F(Exchange, ThirtySecondsPerRequestWhateverItsPendingAnswersSay) {
    // PENDING for 10 seconds: the exchange waits and goes on.
    Quennet({"Pending=10", "PendingFor=GetActiveChannels"});
    EXPECT_EQ(Run(), QntOutcome::Assigned);
    std::vector<double> times = RequestTimes();
    ASSERT_EQ(times.size(), 4u);
    EXPECT_GT(times[2] - times[1], 10.0);
    EXPECT_LT(times[2] - times[1], 10.6);

    // PENDING for 40 seconds: 30 seconds after the request the exchange has failed.
    Quennet({"Pending=40", "PendingFor=GetClientPort"});
    const double before = m_Platform.WaitedSeconds();
    const int64_t passesBefore = m_Platform.MessagePasses();
    EXPECT_EQ(Run(), QntOutcome::Failed);
    times = RequestTimes();
    ASSERT_EQ(times.size(), 3u);
    EXPECT_GT(m_Platform.WaitedSeconds() - times[2], 30.0);
    EXPECT_LT(m_Platform.WaitedSeconds() - times[2], 30.01);
    EXPECT_EQ(m_Link.QntErrorStringForm, "") << "a time-out is no FAILED answer";
    // Between passes the exchange waits 20 ms at the most and never spins.
    const double waited = m_Platform.WaitedSeconds() - before;
    const int64_t passes = m_Platform.MessagePasses() - passesBefore;
    EXPECT_GE(passes, static_cast<int64_t>(waited / 0.020));
    EXPECT_LE(passes, static_cast<int64_t>(waited / 0.020 * 1.02));

    // No answer at all: 30 seconds after the discover request. The unchanged file is read
    // once after the half second and then every quarter second, not in every pass.
    Quennet({"Ignore=*"});
    const int64_t readsBefore = m_Platform.FilesRead();
    EXPECT_EQ(Run(), QntOutcome::Failed);
    EXPECT_EQ(Requests(), Strings{kDiscover});
    EXPECT_GE(m_Platform.FilesRead() - readsBefore, 110);
    EXPECT_LE(m_Platform.FilesRead() - readsBefore, 120);
}

TEST_F(Exchange, MidnightBetweenRequestAndAnswerIsNoTimeOut) {
    m_Platform.SetClock(86399.7f);
    Quennet({"Delay=1.6"});
    EXPECT_EQ(Run(), QntOutcome::Assigned);
    EXPECT_EQ(Requests().size(), 4u);
    EXPECT_LT(m_Platform.SecondsSinceMidnight(), 10.0f) << "the day rolled over meanwhile";
    // The answer is read in the pass after Quennet wrote it, not a quarter second later.
    const std::vector<double> times = RequestTimes();
    EXPECT_GT(times[1] - times[0], 1.6);
    EXPECT_LT(times[1] - times[0], 1.65);
}

TEST_F(Exchange, ChannelAndPortValuesAreCutAndConverted) {
    // A channel text that starts with a comma is not cut, and its number is 0.
    Quennet({"Channels=,3"});
    EXPECT_EQ(Run(), QntOutcome::Failed);
    EXPECT_EQ(m_Link.QntChannelStringForm, ",3");
    EXPECT_EQ(m_Link.QntChannel, 0);
    EXPECT_EQ(Requests().back(), ClientPortRequest(",3"));
    EXPECT_EQ(m_Link.QntErrorStringForm, "INVALID_VALUE") << "Quennet knows no channel ,3";

    // A port beyond the list is read as it is; the dialog decides what to do with it.
    Quennet({"Channels=COM12", "ClientPort=COM12"});
    EXPECT_EQ(Run(), QntOutcome::Assigned);
    EXPECT_EQ(m_Link.QntChannel, 12);
    EXPECT_EQ(m_Link.QntClientPort, 12);

    // A number followed by letters ends the exchange as failed, for a channel and a port.
    Quennet({"Channels=COM4a"});
    EXPECT_EQ(Run(), QntOutcome::Failed);
    EXPECT_EQ(m_Link.QntChannelStringForm, "4a");
    EXPECT_EQ(Requests().size(), 2u);
    Quennet({"ClientPort=COM3a"});
    EXPECT_EQ(Run(), QntOutcome::Failed);
    EXPECT_EQ(m_Link.QntClientPortStringForm, "3a");
    EXPECT_EQ(m_Link.QntClientPort, 12) << "kept from the exchange before";
}

TEST_F(Exchange, HalfWrittenAndLockedAnswersAreWaitedFor) {
    Quennet({"HalfWritten=0.8", "Locked=0.7", "Client=missing"});
    EXPECT_EQ(Run(), QntOutcome::Assigned);
    EXPECT_EQ(Requests().size(), 6u) << "nothing read early, nothing skipped";
    EXPECT_EQ(Recorded("DONE").size(), 6u);
    EXPECT_EQ(m_Link.QntClientPort, 5);
}

TEST_F(Exchange, ClosingTheWindowStopsTheExchangeThere) {
    Quennet({});
    m_OnPass = [this] {
        if (Requests().size() == 2) m_Open = false;
    };
    EXPECT_EQ(Run(), QntOutcome::Abandoned);
    EXPECT_EQ(Requests(), (Strings{kDiscover, kActiveChannels}));
    EXPECT_EQ(ReadFile(RequestFile()).rfind(kHeader + "DONE:GetActiveChannels(", 0), 0u);
}

TEST_F(Exchange, MissingOrUnstartableQuennetEndsBeforeAnyRequest) {
    std::filesystem::remove(m_Platform.Local(kProgram));
    EXPECT_EQ(Run(), QntOutcome::NotInstalled);
    std::filesystem::remove_all(m_Platform.Local(kProgramFolder));
    EXPECT_EQ(Run(), QntOutcome::NotInstalled);
    std::filesystem::create_directories(m_Platform.Local(kProgram));  // a folder of that name
    EXPECT_EQ(Run(), QntOutcome::NotInstalled);
    std::filesystem::remove_all(m_Platform.Local(kProgramFolder));
    InstallStandIn(m_Platform, /*executable*/ false);
    EXPECT_EQ(Run(), QntOutcome::NotStarted);
    EXPECT_FALSE(std::filesystem::exists(Data())) << "nothing written";
    EXPECT_TRUE(m_Platform.Started().empty());
}

TEST_F(Exchange, AnswersAreReadAfterTheHeaderUpToTheColon) {
    Quennet({"Ignore=*"});
    EXPECT_EQ(Run(), QntOutcome::Failed);  // builds the paths and creates the data folder
    EXPECT_TRUE(std::filesystem::is_directory(Data()));
    EXPECT_EQ(m_Link.ExternalRequestsFileName, DataFolder("operator") + "ExternalRequests.txt");

    EXPECT_EQ(Read(kHeader + kActiveChannels + "\r\n", 2), 0);
    EXPECT_EQ(Read(kHeader + "PENDING:GetActiveChannels()\r\n", 2), 1);
    EXPECT_EQ(Read(kHeader + "DONE:DiscoverServices()\r\n", 1), 2);
    EXPECT_EQ(Read(kHeader + "FAILED:EnableClient(ERROR=\"X\")\r\n", 12), 3);
    EXPECT_EQ(Read(kHeader + "done:GetActiveChannels()\r\n", 1), 0) << "letter case counts";
    EXPECT_EQ(Read(kHeader + "WAITING:GetActiveChannels()\r\n", 1), 0);
    EXPECT_EQ(Read("12345DONE:x", 1), 2) << "without a header the answer starts at the 6th";

    // Not yet whole: no answer.
    EXPECT_EQ(Read("", 1), 0);
    EXPECT_EQ(Read(kHeader + "DONE", 1), 0);
    EXPECT_EQ(Read(kHeader + "DONE:GetActiveChannels(RESULT=\"COM3", 2), 0);
    EXPECT_EQ(Read(kHeader + "DONE:GetActiveChannels()", 2), 0);
    EXPECT_EQ(Read(kHeader + "FAILED:GetClientPort(Channel=\"3\")", 3), 0);
    EXPECT_EQ(m_Link.QntChannelStringForm, "") << "nothing taken from answers not whole";

    // Values: channels cut at the first comma, ports without COM, other values kept as text.
    EXPECT_EQ(Read(kHeader + "DONE:GetActiveChannels(RESULT=\"COM3,COM4\")", 2), 2);
    EXPECT_EQ(m_Link.QntChannelStringForm, "3");
    EXPECT_EQ(Read(kHeader + "DONE:GetClientPort(Channel=\"3\",RESULT=\"COM6\")", 3), 2);
    EXPECT_EQ(m_Link.QntClientPort, 6);
    EXPECT_EQ(Read(kHeader + "DONE:GetClientPort(Channel=\"3\",RESULT=\"UNASSIGNED\")", 3), 2);
    EXPECT_EQ(m_Link.QntClientPortStringForm, "UNASSIGNED");
    EXPECT_EQ(m_Link.QntClientPort, 6);
    EXPECT_EQ(Read(kHeader + "DONE:GetClientPort(Channel=\"3\",RESULT=\"COM8\")", 12), 2);
    EXPECT_EQ(m_Link.QntClientPort, 6) << "only the client-port state reads the value";

    // A file Quennet holds cannot be read: no answer yet.
    WriteFile(RequestFile(), kHeader + "DONE:DiscoverServices()\r\n");
    const int held = ::open(RequestFile().c_str(), O_RDWR);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(m_Link.Progress_QNT_Connection(1), 0);
    ::close(held);
    EXPECT_EQ(m_Link.Progress_QNT_Connection(1), 2);
}

}  // namespace
}  // namespace quennettest
