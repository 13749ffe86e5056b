// The collection operations: adding, keys and lookup, removal with renumbering, the active
// transmitter, clearing, untitled names and the properties copied to every transmitter; and
// what each of them does when an outside call fails.

#include <set>

#include "CollectionFixture.h"

using vq::Value;
using vq::VbBool;
using vq::VbFalse;
using vq::VbTrue;
using vqtest::FailureCode;
using Kind = sim::RegistryCall::Kind;
using Strings = std::vector<std::string>;
namespace Codes = vq::Codes;

namespace {

class Collection : public vqtest::CollectionFixture {
  protected:
    void SetUp() override { Initialize(); }
};

// The puts of AddSilent("A"), in the order Add makes them.
const Strings kPutsOfA = {"Server=Zandor",          "TxmType=1",  "Address=1", "ComPort=1",
                          "ComSettings=4800,n,8,1", "Protocol=1", "Name=A",    "Index=1",
                          "Parent=an object"};

TEST_F(Collection, SilentAddSetsEverySettingInOrderAndMakesTheTransmitterActive) {
    const vq::TransmitterRef txm =
        txms->Add(Value(""), 2, 17, 3, "1200,n,8,1", 2, "Boiler", VbFalse, VbTrue);
    ASSERT_NE(txm, nullptr);
    EXPECT_EQ(Sim(txm).Log(), (Strings{"Server=Pellix", "TxmType=2", "Address=17", "ComPort=3",
                                       "ComSettings=1200,n,8,1", "Protocol=2", "Name=Boiler",
                                       "Index=1", "Parent=an object"}));
    const auto* parent = dynamic_cast<vq::CollectionIdentity*>(txm->Parent().get());
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(parent->Collection, txms.get());
    EXPECT_EQ(txms->ActiveTxm(), txm);
    EXPECT_TRUE(window->Openings.empty());
    EXPECT_TRUE(world->RegistryEvents.empty()) << "AutoConnect off: no search";
    EXPECT_EQ(world->RegistryLog(), (Strings{"TxmAdded(Boiler)", "TxmActivated(Boiler)"}));
}

TEST_F(Collection, AddAbsorbsAFailingPropertyPutAndMakesTheOthers) {
    for (const std::string& put : kPutsOfA) {
        const std::string property = put.substr(0, put.find('='));
        world->FailingPuts = {property};
        txms->Clear();
        world->RegistryCalls.clear();
        const vq::TransmitterRef txm = AddSilent("A");
        ASSERT_NE(txm, nullptr) << property;
        Strings others = kPutsOfA;
        std::erase(others, put);
        EXPECT_EQ(Sim(txm).Log(), others) << property;
        EXPECT_EQ(txms->ActiveTxm(), txm) << property;
        const std::string name = property == "Name" ? "" : "A";
        EXPECT_EQ(world->RegistryLog(),
                  (Strings{"TxmAdded(" + name + ")", "TxmActivated(" + name + ")"}))
            << property;
    }
}

TEST_F(Collection, AddGoesOnPastAFailingConnectOrRegistryCall) {
    struct Case {
        bool connectFails;
        std::set<Kind> failing;
    };
    const Case cases[] = {{true, {}},
                          {false, {Kind::TxmAdded}},
                          {false, {Kind::TxmActivated}},
                          {true, {Kind::TxmAdded, Kind::TxmActivated}}};
    for (const Case& c : cases) {
        world->ConnectFails = c.connectFails;
        world->FailingRegistryCalls = c.failing;
        world->RegistryCalls.clear();
        const int32_t count = txms->Count() + 1;
        const std::string name = "T" + std::to_string(count);
        const vq::TransmitterRef txm =
            txms->Add(Value(""), 1, 1, 1, "4800,n,8,1", 1, name, VbTrue, VbTrue);
        ASSERT_NE(txm, nullptr) << name;
        EXPECT_EQ(Sim(txm).Log().back(), "Connect(-1)") << name;
        EXPECT_EQ(txms->Count(), count);
        EXPECT_EQ(txms->ActiveTxmIndex(), count) << name;
        EXPECT_EQ(world->RegistryLog(),
                  (Strings{"TxmAdded(" + name + ")", "TxmActivated(" + name + ")"}));
    }
}

TEST_F(Collection, SilentAndAutoConnectAreReadBitByBit) {
    // Not silent is any value but -1; silent and auto-connect is any pair sharing a set bit.
    struct Case {
        int16_t silent, autoConnect;
        bool dialog, connects;
    };
    const Case cases[] = {{-1, -1, false, true}, {-1, 0, false, false}, {-1, 1, false, true},
                          {1, 1, true, true},    {1, 2, true, false},   {2, -1, true, true},
                          {0, -1, true, false},  {-2, 1, true, false}};
    for (const Case& c : cases) {
        window->Openings.clear();
        const vq::TransmitterRef txm = txms->Add(Value(""), 1, 1, 1, "4800,n,8,1", 1, "T",
                                                 VbBool(c.autoConnect), VbBool(c.silent));
        ASSERT_NE(txm, nullptr);
        const std::string which =
            "Silent " + std::to_string(c.silent) + ", AutoConnect " + std::to_string(c.autoConnect);
        EXPECT_EQ(window->Openings.size(), c.dialog ? 1u : 0u) << which;
        EXPECT_EQ(Sim(txm).Log().back() == "Connect(-1)", c.connects) << which;
    }
}

TEST_F(Collection, AddAnswersNothingForTypesWithoutADeviceServer) {
    for (int32_t type : {0, -1, 4, 7}) {
        EXPECT_EQ(AddSilent("T", type), nullptr) << "type " << type;
        EXPECT_EQ(txms->Add(Value(""), type, 1, 1, "4800,n,8,1", 1, "T", VbFalse, VbFalse),
                  nullptr);
    }
    EXPECT_EQ(txms->Count(), 0);
    EXPECT_TRUE(window->Openings.empty()) << "no dialog for a type without server";
    EXPECT_TRUE(world->RegistryCalls.empty());

    // A host may install further families; their types then exist.
    txms->Servers().Add(vq::Product().CreateDeviceServer(4));
    ASSERT_NE(AddSilent("Vestra", 4), nullptr);
    EXPECT_EQ(txms->Item(Value(1))->TypeText(), "Vestra");

    world->CannotCreateTransmitter = true;
    EXPECT_EQ(AddSilent("Never"), nullptr);
    EXPECT_EQ(txms->Count(), 1);

    vq::Txms fresh;
    EXPECT_EQ(fresh.Add(Value(""), 1, 1, 1, "4800,n,8,1", 1, "T", VbFalse, VbTrue), nullptr);
}

TEST_F(Collection, KeysAreUniqueWithoutLetterCaseAndItemFindsByPositionOrKey) {
    const vq::TransmitterRef first = AddSilent("First", 1, Value("Égő"));
    const vq::TransmitterRef second = AddSilent("Second");
    ASSERT_NE(AddSilent("Unkeyed too", 1, Value()), nullptr);
    world->RegistryCalls.clear();
    EXPECT_EQ(AddSilent("Again", 1, Value("ÉGŐ")), nullptr);
    EXPECT_EQ(AddSilent("Number key", 1, Value(5)), nullptr);
    EXPECT_EQ(AddSilent("Null key", 1, Value::Null()), nullptr);
    EXPECT_EQ(txms->Count(), 3);
    EXPECT_TRUE(world->RegistryCalls.empty()) << "the registry hears only of real additions";
    EXPECT_EQ(txms->ActiveTxmIndex(), 3);

    EXPECT_EQ(txms->Item(Value(1)), first);
    EXPECT_EQ(txms->Item(Value(int16_t{2})), second);
    EXPECT_EQ(txms->Item(Value(2.4)), second);
    EXPECT_EQ(txms->Item(Value(1.5)), second) << "positions round half to even";
    EXPECT_EQ(txms->Item(Value("ÉGŐ")), first);
    EXPECT_EQ(txms->Item(Value("égő")), first);
    EXPECT_EQ(txms->Item(Value("1")), nullptr) << "text is always a key";
    for (const Value& none :
         {Value(0.5), Value("Ego"), Value(4), Value(-1), Value(VbTrue), Value(), Value::Null(),
          Value::Missing(), Value::Unsupported("Array"), Value(1e300)})
        EXPECT_EQ(txms->Item(none), nullptr) << none.Describe();
}

TEST_F(Collection, RemoveDetachesRenumbersAndTellsTheRegistryTheFormerIndex) {
    for (const char* name : {"A", "B", "C", "D"}) AddSilent(name);
    const vq::TransmitterRef b = txms->Item(Value(2));
    b->SetIndex(7);                     // the registry hears the Index, not the position
    txms->Item(Value(1))->SetIndex(9);  // and every entry is renumbered, the first too
    auto attachment = std::make_shared<sim::Attachment>();
    bool presentWhileDetaching = false;
    attachment->OnDetach = [&] { presentWhileDetaching = txms->Item(Value(2)) == b; };
    Sim(b).Attach(attachment);
    world->RegistryCalls.clear();

    txms->Remove(Value(2));
    EXPECT_EQ(attachment->DetachCount, 1);
    EXPECT_TRUE(presentWhileDetaching) << "Detach runs before the entry leaves the list";
    EXPECT_EQ(Names(), (Strings{"A", "C", "D"}));
    EXPECT_EQ(Indexes(), (std::vector<int16_t>{1, 2, 3}));
    EXPECT_EQ(txms->ActiveTxmIndex(), 1);
    EXPECT_EQ(world->RegistryLog(), (Strings{"TxmRemoved(7)", "TxmActivated(A)"}));

    txms->Remove(Value(3));
    txms->Remove(Value(1.0));
    world->RegistryCalls.clear();
    txms->Remove(Value(1));
    EXPECT_EQ(txms->Count(), 0);
    EXPECT_EQ(txms->ActiveTxmIndex(), 0);
    EXPECT_EQ(world->RegistryLog(), (Strings{"TxmRemoved(1)", "TxmActivated(Nothing)"}));
}

TEST_F(Collection, AFailingRegistryCallInRemoveReachesTheCallerWithTheRemovalDone) {
    for (const Kind failing : {Kind::TxmRemoved, Kind::TxmActivated}) {
        txms->Clear();
        for (const char* name : {"A", "B", "C"}) AddSilent(name);
        world->RegistryCalls.clear();
        world->FailingRegistryCalls = {failing};
        EXPECT_EQ(FailureCode([&] { txms->Remove(Value(2)); }), Codes::Fail);
        world->FailingRegistryCalls.clear();
        EXPECT_EQ(Names(), (Strings{"A", "C"}));
        EXPECT_EQ(Indexes(), (std::vector<int16_t>{1, 2}));
        // The active transmitter is set only after TxmRemoved succeeded.
        const bool activated = failing == Kind::TxmActivated;
        const Strings calls =
            activated ? Strings{"TxmRemoved(2)", "TxmActivated(A)"} : Strings{"TxmRemoved(2)"};
        EXPECT_EQ(world->RegistryLog(), calls);
        EXPECT_EQ(txms->ActiveTxmIndex(), activated ? 1 : 3);
    }
}

TEST_F(Collection, RemoveByKeyAndRemovalsThatFail) {
    AddSilent("Tank", 1, Value("Tank 1"));
    AddSilent("Pump", 1, Value("Pump"));
    world->RegistryCalls.clear();

    EXPECT_EQ(FailureCode([&] { txms->Remove(Value("Valve")); }), Codes::InvalidProcedureCall);
    EXPECT_EQ(FailureCode([&] { txms->Remove(Value(3)); }), Codes::SubscriptOutOfRange);
    EXPECT_EQ(FailureCode([&] { txms->Remove(Value(0)); }), Codes::SubscriptOutOfRange);
    EXPECT_EQ(FailureCode([&] { txms->Remove(Value::Null()); }), Codes::TypeMismatch);
    EXPECT_EQ(txms->Count(), 2);
    EXPECT_TRUE(world->RegistryCalls.empty());

    // A failing Detach stops the removal before the entry leaves the list.
    auto stuck = std::make_shared<sim::Attachment>();
    stuck->FailOnDetach = true;
    Sim(txms->Item(Value("pump"))).Attach(stuck);
    EXPECT_EQ(FailureCode([&] { txms->Remove(Value("PUMP")); }), Codes::Fail);
    EXPECT_EQ(txms->Count(), 2);

    txms->Remove(Value("TANK 1"));
    EXPECT_EQ(Names(), (Strings{"Pump"}));
    EXPECT_EQ(Indexes(), (std::vector<int16_t>{1}));
    EXPECT_EQ(txms->Item(Value("Tank 1")), nullptr);
    ASSERT_NE(AddSilent("New tank", 1, Value("tank 1")), nullptr) << "a removed key is free";
}

TEST_F(Collection, TheActiveIndexStaysWithinTheListAndIsAlwaysAnnounced) {
    txms->SetActiveTxmIndex(-1);
    EXPECT_EQ(txms->ActiveTxmIndex(), 0);
    EXPECT_EQ(txms->ActiveTxm(), nullptr);
    for (const char* name : {"A", "B", "C"}) AddSilent(name);
    world->RegistryCalls.clear();

    txms->SetActiveTxmIndex(7);
    EXPECT_EQ(txms->ActiveTxmIndex(), 1);
    txms->SetActiveTxmIndex(3);
    EXPECT_EQ(txms->ActiveTxmIndex(), 3);
    txms->SetActiveTxmIndex(3);
    txms->SetActiveTxmIndex(0);
    EXPECT_EQ(txms->ActiveTxmIndex(), 1);
    EXPECT_EQ(world->RegistryLog(), (Strings{"TxmActivated(A)", "TxmActivated(C)",
                                             "TxmActivated(C)", "TxmActivated(A)"}));
}

TEST_F(Collection, ClearEmptiesTheListAndNothingElse) {
    for (const char* name : {"A", "B", "C"}) AddSilent(name, 1, Value(name));
    auto attachment = std::make_shared<sim::Attachment>();
    Sim(txms->Item(Value(1))).Attach(attachment);
    std::weak_ptr<vq::Transmitter> first = txms->Item(Value(1));
    txms->SetActiveTxmIndex(2);
    world->RegistryCalls.clear();

    txms->Clear();
    EXPECT_EQ(txms->Count(), 0);
    EXPECT_EQ(txms->ActiveTxmIndex(), 2);
    EXPECT_EQ(txms->ActiveTxm(), nullptr);
    EXPECT_EQ(attachment->DetachCount, 0);
    EXPECT_TRUE(world->RegistryCalls.empty());
    EXPECT_TRUE(first.expired()) << "the collection let its transmitters go";
    ASSERT_NE(AddSilent("A again", 1, Value("a")), nullptr) << "keys are gone with the entries";
    EXPECT_EQ(txms->ActiveTxmIndex(), 1);
}

TEST_F(Collection, UntitledNamesCountOnInTheCurrentLanguage) {
    EXPECT_EQ(txms->GetNextTxmName(), "Untitled1");
    EXPECT_EQ(txms->GetNextTxmName(), "Untitled2");
    vq::Txms other;  // the counter belongs to the thread, not to one collection
    EXPECT_EQ(other.GetNextTxmName(), "Untitled3");
    world->Language().SetLanguageIndex(2);
    EXPECT_EQ(txms->GetNextTxmName(), "Névtelen4");
    world->Language().SetLanguageIndex(3);
    EXPECT_EQ(txms->GetNextTxmName(), "Untitled5");
}

TEST_F(Collection, OffLineAndHistorianReachEveryTransmitterPresent) {
    const vq::TransmitterRef a = AddSilent("A");
    const vq::TransmitterRef b = AddSilent("B");
    txms->SetOffLine(VbTrue);
    txms->SetHistorian(5);
    for (const auto& txm : {a, b}) {
        EXPECT_EQ(Sim(txm).OffLine(), VbTrue);
        EXPECT_EQ(Sim(txm).Historian(), 5);
    }
    const vq::TransmitterRef later = AddSilent("Later");
    EXPECT_EQ(Sim(later).OffLine(), VbFalse) << "a later transmitter keeps its own default";
    EXPECT_EQ(Sim(later).Historian(), 0);
}

TEST_F(Collection, NonSilentAddLetsTheUserConfirmOrCancel) {
    world->Bus.push_back({1, 1, "4800,n,8,1", 0, ""});
    window->User = [](vq::Transmitter& txm) { txm.SetName("Renamed in dialog"); };
    const vq::TransmitterRef confirmed =
        txms->Add(Value(""), 1, 1, 1, "4800,n,8,1", 1, "Untitled1", VbTrue, VbFalse);
    ASSERT_NE(confirmed, nullptr);
    ASSERT_EQ(window->Openings.size(), 1u);
    EXPECT_EQ(window->Openings[0].Txm, confirmed);
    EXPECT_EQ(window->Openings[0].Txms, txms.get());
    EXPECT_EQ(window->Openings[0].EditMode, VbFalse);
    EXPECT_EQ(txms->Item(Value(1))->Name(), "Renamed in dialog");
    EXPECT_TRUE(world->RegistryEvents.empty()) << "AutoConnect has no effect when not silent";

    window->Answer = VbFalse;
    EXPECT_EQ(txms->Add(Value(""), 1, 1, 1, "4800,n,8,1", 1, "Cancelled", VbFalse, VbFalse),
              nullptr);
    EXPECT_EQ(txms->Count(), 1);

    // The dialog comes before the key is tried: a taken key is refused after confirming.
    window->Answer = VbTrue;
    txms->Add(Value("K"), 1, 1, 1, "4800,n,8,1", 1, "Keyed", VbFalse, VbTrue);
    world->RegistryCalls.clear();
    EXPECT_EQ(txms->Add(Value("k"), 1, 1, 1, "4800,n,8,1", 1, "Dup", VbFalse, VbFalse), nullptr);
    EXPECT_EQ(window->Openings.size(), 3u);
    EXPECT_EQ(txms->Count(), 2);
    EXPECT_TRUE(world->RegistryCalls.empty());

    const vq::TransmitterRef txm = txms->Item(Value(1));
    window->Answer = VbFalse;
    EXPECT_EQ(txms->Edit(txm), VbFalse);
    window->Answer = VbTrue;
    EXPECT_EQ(txms->Edit(txm), VbTrue);
    EXPECT_EQ(window->Openings.back().EditMode, VbTrue);
    EXPECT_EQ(txms->Count(), 2) << "Edit changes no entry";
}

TEST_F(Collection, DestroyingTheCollectionReleasesEverythingItHeld) {
    std::weak_ptr<vq::Transmitter> txm = AddSilent("A");
    std::weak_ptr<vq::DeviceServer> server = txms->Servers().At(1);
    const vq::PassThroughRef parent = txm.lock()->Parent();
    const auto zandor = std::dynamic_pointer_cast<sim::DeviceServer>(txms->Servers().At(1));
    int synced = 0;
    vq::Connection sync = txms->OnTxmSync().Connect([&](std::string&) { ++synced; });

    txms.reset();
    EXPECT_TRUE(txm.expired());
    EXPECT_FALSE(server.expired()) << "held by the test only";
    EXPECT_EQ(dynamic_cast<vq::CollectionIdentity&>(*parent).Collection, nullptr);
    zandor->RaiseUnitSynchronized("after");  // no collection to reach any more
    EXPECT_EQ(synced, 0);
}

}  // namespace
