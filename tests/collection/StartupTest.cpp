// Start-up: installing the device-server families, the failure codes, what reaches the host's
// objects, synchronisation events, and the component's version line.

#include "CollectionFixture.h"
#include "support/ThreadContext.h"

using vq::Value;
using vqtest::FailureCode;
using Strings = std::vector<std::string>;
namespace Codes = vq::Codes;

namespace {

class Startup : public vqtest::CollectionFixture {
  protected:
    std::shared_ptr<sim::DeviceServer> Server(int32_t position) {
        return std::dynamic_pointer_cast<sim::DeviceServer>(txms->Servers().At(position));
    }
};

TEST_F(Startup, InstallsTheThreeFamiliesInOrderWithSettingsNamesFromOneSplitter) {
    world->Language().SetLanguageIndex(4);
    ASSERT_EQ(txms->Initialize(Folder(), host, history), 3);
    EXPECT_EQ(txms->IniFilePath(), Folder());
    ASSERT_EQ(txms->Servers().Count(), 3);
    for (int32_t family = 1; family <= 3; ++family) {
        EXPECT_EQ(Server(family)->Family(), family);
        const std::string file = Server(family)->TypeName() + ".ini";
        EXPECT_EQ(Server(family)->LoadSettingsNames,
                  Strings{sim::PathSplitter::Compose(Folder(), "Italiano", file)});
    }
    EXPECT_EQ(world->PathSplittersCreated, 1) << "one path splitter serves every family";
    EXPECT_EQ(world->RegistryLog(),
              (Strings{"TypeInstalled(Zandor)", "TypeInstalled(Pellix)", "TypeInstalled(Quorra)"}));

    // Families 1 and 2 get the host's serial and modem objects, family 3 its HART object.
    for (int32_t family = 1; family <= 2; ++family) {
        const auto& call = Server(family)->InstallCommCalls.at(0);
        EXPECT_EQ(call.Arguments, 3);
        EXPECT_EQ(call.ComMisc, host->Misc);
        EXPECT_EQ(call.ComModem, host->Modem);
    }
    const auto& third = Server(3)->InstallCommCalls.at(0);
    EXPECT_EQ(third.Arguments, 2);
    EXPECT_EQ(third.ActiveHart, host->Hart);
}

TEST_F(Startup, RefusedSettingsStopAtTheFamilyWithCodeMinusN) {
    world->Family(2).LoadSettings = sim::Outcome::Refuse;
    EXPECT_EQ(txms->Initialize(Folder(), host, history), -2);
    EXPECT_EQ(txms->Servers().Count(), 1);
    EXPECT_EQ(world->RegistryLog(), (Strings{"TypeInstalled(Zandor)", "TypeInstalled(Pellix)"}))
        << "a family is announced before its settings are checked";
    EXPECT_EQ(world->ServersCreated[3], 0);
    EXPECT_EQ(Server(1)->InstallCommCalls.size(), 1u);

    EXPECT_NE(AddSilent("Zandor unit", 1), nullptr);
    EXPECT_EQ(AddSilent("Pellix unit", 2), nullptr) << "later families are absent";
}

TEST_F(Startup, RefusedCommunicationGivesMinus1024MinusN) {
    for (int32_t family = 1; family <= 3; ++family) {
        auto world2 = std::make_shared<sim::World>(folder.Path());
        vq::ScopedProduct product2(std::make_shared<sim::Factory>(world2));
        world2->Family(family).InstallComm = sim::Outcome::Refuse;
        vq::Txms fresh;
        EXPECT_EQ(fresh.Initialize(Folder(), host, history), -(1024 + family));
        EXPECT_EQ(fresh.Servers().Count(), family - 1);
    }
}

TEST_F(Startup, FailingCallsReachTheCallerAndKeepWhatWasInstalled) {
    world->Family(3).CannotCreate = true;
    EXPECT_EQ(FailureCode([&] { txms->Initialize(Folder(), host, history); }),
              Codes::CannotCreateObject);
    EXPECT_EQ(txms->Servers().Count(), 2);

    vq::Txms second;
    world->FailingRegistryCalls = {sim::RegistryCall::Kind::TypeInstalled};
    EXPECT_EQ(FailureCode([&] { second.Initialize(Folder(), host, history); }), Codes::Fail);
    world->FailingRegistryCalls.clear();

    host->Lacks.insert("comModem");
    EXPECT_EQ(FailureCode([&] { second.Initialize(Folder(), host, history); }),
              Codes::NotSupported);
    EXPECT_EQ(second.Servers().Count(), 0);

    vq::Txms third;
    EXPECT_EQ(FailureCode([&] { third.Initialize(Folder(), nullptr, history); }),
              Codes::ObjectRequired);

    world->Family(1).LoadSettings = sim::Outcome::Fail;
    EXPECT_EQ(FailureCode([&] { third.Initialize(Folder(), host, history); }), Codes::Fail);
}

TEST_F(Startup, ThePortHistoryPassesThroughEveryFamilyAndBackToTheHost) {
    const auto fromHost = std::make_shared<sim::NamedObject>("history from host");
    history = fromHost;
    const auto afterZandor = std::make_shared<sim::NamedObject>("history after Zandor");
    const auto afterQuorra = std::make_shared<sim::NamedObject>("history after Quorra");
    world->Family(1).HistoryToHandBack = afterZandor;
    world->Family(3).HistoryToHandBack = afterQuorra;
    ASSERT_EQ(txms->Initialize(Folder(), host, history), 3);
    EXPECT_EQ(Server(1)->InstallCommCalls.at(0).ComHistory, fromHost);
    EXPECT_EQ(history, afterQuorra);
    EXPECT_EQ(Server(2)->InstallCommCalls.at(0).ComHistory, afterZandor);
    EXPECT_EQ(Server(3)->InstallCommCalls.at(0).ComHistory, afterZandor);
}

TEST_F(Startup, ThePortHistoryComesBackAlsoWhenALaterFamilyFails) {
    const std::pair<std::function<void(sim::World&)>, std::string> cases[] = {
        {[](sim::World& w) { w.Family(2).LoadSettings = sim::Outcome::Refuse; }, "after Zandor"},
        {[](sim::World& w) { w.Family(2).InstallComm = sim::Outcome::Refuse; }, "after Pellix"},
        {[](sim::World& w) { w.Family(3).CannotCreate = true; }, "after Pellix"}};
    for (const auto& [spoil, expected] : cases) {
        auto world2 = std::make_shared<sim::World>(folder.Path());
        vq::ScopedProduct product2(std::make_shared<sim::Factory>(world2));
        world2->Family(1).HistoryToHandBack = std::make_shared<sim::NamedObject>("after Zandor");
        world2->Family(2).HistoryToHandBack = std::make_shared<sim::NamedObject>("after Pellix");
        spoil(*world2);
        vq::PassThroughRef handedBack = std::make_shared<sim::NamedObject>("from host");
        vq::Txms fresh;
        FailureCode([&] { fresh.Initialize(Folder(), host, handedBack); });
        EXPECT_EQ(sim::NameOf(handedBack), expected);
    }
}

TEST_F(Startup, SynchronisationEventsReachTheHostAndTheHostsTextGoesBack) {
    Initialize();
    Strings received;
    vq::Connection sync = txms->OnTxmSync().Connect([&](std::string& info) {
        received.push_back(info);
        info = "seen by host";
    });
    for (int32_t family = 1; family <= 3; ++family)
        EXPECT_EQ(Server(family)->RaiseUnitSynchronized(family == 3 ? "" : "unit 3"),
                  "seen by host")
            << "family " << family;
    EXPECT_EQ(received, (Strings{"unit 3", "unit 3", ""}));
}

TEST_F(Startup, ASecondInitializeAppendsFurtherServers) {
    Initialize();
    const auto firstZandor = Server(1);
    ASSERT_EQ(txms->Initialize(Folder(), host, history), 6);
    const vq::TransmitterRef txm = AddSilent("Z", 1);
    ASSERT_NE(txm, nullptr);
    EXPECT_EQ(txm->Server(), firstZandor);

    // The event references now point at the newest servers.
    Strings received;
    vq::Connection sync =
        txms->OnTxmSync().Connect([&](std::string& info) { received.push_back(info); });
    Server(4)->RaiseUnitSynchronized("new");
    firstZandor->RaiseUnitSynchronized("old");
    EXPECT_EQ(received, (Strings{"new"}));
}

TEST_F(Startup, ComponentVersionLine) {
    const vq::ModuleInfo saved = vq::Module();
    vq::SetModule({"vqTransmitters32", 1, 1, 12, "Transmitter server"});
    EXPECT_EQ(txms->ComponentVersion(), "vqTransmitters32.dll|1.01.0012|Transmitter server|");
    vq::SetModule({"vqTransmitters32", 12, 345, 67890, ""});
    EXPECT_EQ(txms->ComponentVersion(), "vqTransmitters32.dll|12.345.67890||");
    vq::SetModule(saved);
}

}  // namespace
