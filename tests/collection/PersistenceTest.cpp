// Saving the collection to a section of a settings file and loading it back.

#include <fstream>
#include <sstream>

#include "CollectionFixture.h"

using vq::Value;
using vq::VbFalse;
using vq::VbTrue;
using vqtest::FailureCode;
using Strings = std::vector<std::string>;
using vq::VbBool;

namespace {

class Persistence : public vqtest::CollectionFixture {
  protected:
    void SetUp() override { Initialize(); }

    std::string Read(const std::string& key, const std::string& section = "TxmConfiguration") {
        return world->Service()->ReadSetting(File(), section, key, "<none>");
    }
    void Write(const std::string& key, const std::string& value,
               const std::string& section = "TxmConfiguration") {
        ASSERT_EQ(world->Service()->WriteSetting(File(), section, key, value), VbTrue);
    }
    /// The values of TXM1 to TXMn, "<none>" for a missing key.
    Strings Stored(int n) {
        Strings values;
        for (int i = 1; i <= n; ++i) values.push_back(Read("TXM" + std::to_string(i)));
        return values;
    }
};

TEST_F(Persistence, SavedTransmittersComeBackWithEverySetting) {
    txms->Add(Value(""), 1, 1, 1, "4800,n,8,1", 1, "Untitled1", VbFalse, VbTrue);
    txms->Add(Value("Key"), 3, -12, 9, "1200,n,8,1", 2, "Kazán ház", VbFalse, VbTrue);
    txms->Add(Value(""), 2, 68, 8, "2400,e,7,2", 1, "", VbFalse, VbTrue);
    ASSERT_EQ(txms->Save(File(), "TxmConfiguration", Value(-1)), VbTrue);
    EXPECT_EQ(Stored(4),
              (Strings{"Untitled1|1|1|1|4800,n,8,1|1|", "Kazán ház|-12|3|9|1200,n,8,1|2|",
                       "|68|2|8|2400,e,7,2|1|", "<none>"}));

    vq::Txms loaded;
    ASSERT_EQ(loaded.Initialize(Folder(), host, history), 3);
    EXPECT_EQ(loaded.Load(File(), "TxmConfiguration"), 0);
    ASSERT_EQ(loaded.Count(), 3);
    for (int32_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(Settings(loaded.Item(Value(i))), Settings(txms->Item(Value(i))));
        EXPECT_EQ(loaded.Item(Value(i))->Index(), i);
    }
    EXPECT_EQ(loaded.Item(Value("Key")), nullptr) << "keys are not stored";
    EXPECT_EQ(loaded.ActiveTxmIndex(), 3) << "the last one loaded is active";
    EXPECT_TRUE(window->Openings.empty()) << "loading never opens the dialog";
}

TEST_F(Persistence, SavingAllReplacesTheSectionAndKeepsTheRestOfTheFile) {
    for (int i = 1; i <= 5; ++i) Write("TXM" + std::to_string(i), "Old|1|1|1|4800,n,8,1|1|");
    Write("Other", "kept", "Another section");
    Write("Note", "kept too");
    for (const char* name : {"A", "B", "C"}) AddSilent(name);
    ASSERT_EQ(txms->Save(File(), "TxmConfiguration", Value(-1)), VbTrue);
    EXPECT_EQ(Read("TXM3"), "C|1|1|1|4800,n,8,1|1|");
    EXPECT_EQ(Read("TXM4"), "<none>");
    EXPECT_EQ(Read("Note"), "<none>") << "the whole section is replaced";
    EXPECT_EQ(Read("Other", "Another section"), "kept");

    // An omitted index key saves everything as well.
    txms->Remove(Value(3));
    ASSERT_EQ(txms->Save(File(), "TxmConfiguration"), VbTrue);
    EXPECT_EQ(Read("TXM3"), "<none>");

    txms->Clear();
    EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value(-1)), VbTrue);
    EXPECT_EQ(Read("TXM1"), "<none>");
    EXPECT_EQ(txms->Load(File(), "TxmConfiguration"), 0);
    EXPECT_EQ(txms->Count(), 0);
}

TEST_F(Persistence, SavingOnePositionWritesOnlyItsKey) {
    Write("TXM1", "One|1|1|1|4800,n,8,1|1|");
    Write("TXM3", "Three|1|1|1|4800,n,8,1|1|");
    for (const char* name : {"A", "B", "C"}) AddSilent(name);
    ASSERT_EQ(txms->Save(File(), "TxmConfiguration", Value(2)), VbTrue);
    EXPECT_EQ(Read("TXM1"), "One|1|1|1|4800,n,8,1|1|");
    EXPECT_EQ(Read("TXM2"), "B|1|1|1|4800,n,8,1|1|");
    EXPECT_EQ(Read("TXM3"), "Three|1|1|1|4800,n,8,1|1|");

    // Text that reads as a number is that number; positions outside the list write nothing.
    ASSERT_EQ(txms->Save(File(), "TxmConfiguration", Value("3")), VbTrue);
    EXPECT_EQ(Read("TXM3"), "C|1|1|1|4800,n,8,1|1|");
    const std::string before = FileText();
    EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value(9)), VbTrue);
    EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value::Null()), VbTrue);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(FailureCode([&] { txms->Save(File(), "TxmConfiguration", Value("all")); }),
              vq::Codes::TypeMismatch);
    EXPECT_EQ(FileText(), before);
}

TEST_F(Persistence, SaveCombinesEveryWriteAndGoesOnAfterARefusedOne) {
    for (const char* name : {"A", "B", "C", "D"}) AddSilent(name);
    world->WriteOutcomes = {{"TXM2", sim::Outcome::Refuse}};
    EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value(-1)), VbFalse);
    EXPECT_EQ(Stored(4), (Strings{"A|1|1|1|4800,n,8,1|1|", "<none>", "C|1|1|1|4800,n,8,1|1|",
                                  "D|1|1|1|4800,n,8,1|1|"}));
    EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value(2)), VbFalse);
    EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value(3)), VbTrue);

    // A write that fails outright ends the save; the keys written before it stay written.
    world->WriteOutcomes = {{"TXM3", sim::Outcome::Fail}};
    EXPECT_EQ(FailureCode([&] { txms->Save(File(), "TxmConfiguration", Value(-1)); }),
              vq::Codes::PathFileAccess);
    EXPECT_EQ(Stored(4),
              (Strings{"A|1|1|1|4800,n,8,1|1|", "B|1|1|1|4800,n,8,1|1|", "<none>", "<none>"}));
}

TEST_F(Persistence, LoadingAppendsAndStopsAtTheFirstMissingKey) {
    Write("TXM1", "One|1|1|1|4800,n,8,1|1|");
    Write("TXM2", "Two|2|2|2|4800,n,8,1|2|");
    Write("TXM4", "Four|4|1|4|4800,n,8,1|1|");
    AddSilent("Present 1");
    AddSilent("Present 2");
    EXPECT_EQ(txms->Load(File(), "TxmConfiguration", Value(-1), VbFalse), 0);
    EXPECT_EQ(Names(), (Strings{"Present 1", "Present 2", "One", "Two"}));
    EXPECT_EQ(txms->Item(Value(4))->Index(), 4);
    EXPECT_EQ(txms->ActiveTxmIndex(), 4);

    EXPECT_EQ(txms->Load(File(), "No such section"), 0);
    EXPECT_EQ(txms->Load((folder.Path() / "none.txm").string(), "TxmConfiguration"), 0);
    Write("TXM1", "", "Gap");
    Write("TXM2", "Hidden|1|1|1|4800,n,8,1|1|", "Gap");
    EXPECT_EQ(txms->Load(File(), "Gap"), 0);
    EXPECT_EQ(txms->Count(), 4);
}

TEST_F(Persistence, LoadingConnectsForAnyNonZeroAutoConnectAndCountsWhatAnswered) {
    world->Bus.push_back({2, 5, "4800,n,8,1", 0, "TT-5"});
    world->Bus.push_back({3, 7, "1200,n,8,1", 0, "TT-7"});
    Write("TXM1", "Found|5|1|2|4800,n,8,1|1|");
    Write("TXM2", "Wrong rate|7|1|3|4800,n,8,1|1|");
    Write("TXM3", "Absent|9|2|1|4800,n,8,1|1|");
    for (const int16_t autoConnect : {-1, 1, 256, 0}) {
        txms->Clear();
        world->RegistryEvents.clear();
        const bool connects = autoConnect != 0;
        EXPECT_EQ(txms->Load(File(), "TxmConfiguration", Value(), VbBool(autoConnect)),
                  connects ? 1 : 0)
            << autoConnect;
        EXPECT_EQ(txms->Count(), 3);
        EXPECT_EQ(txms->Item(Value(1))->Connected(), VbBool::From(connects));
        EXPECT_EQ(txms->Item(Value(2))->Connected(), VbFalse) << "no search at other rates";
        EXPECT_EQ(world->RegistryEvents.size(), connects ? 6u : 0u) << "one attempt each";
    }

    // A failing Connect ends the load; the transmitter it failed on stays in the list.
    txms->Clear();
    world->ConnectFails = true;
    EXPECT_EQ(FailureCode([&] { txms->Load(File(), "TxmConfiguration", Value(), VbTrue); }),
              vq::Codes::Fail);
    EXPECT_EQ(Names(), (Strings{"Found"}));
}

TEST_F(Persistence, BadEntriesFailClearlyAndKeepWhatWasLoaded) {
    const auto loadFailure = [&](const std::string& section) -> std::string {
        try {
            txms->Load(File(), section);
        } catch (const vq::Failure& failure) {
            return failure.Description();
        }
        return "no failure";
    };
    Write("TXM1", "Good|1|1|1|4800,n,8,1|1|", "Short");
    Write("TXM2", "No type server|1|9|1|4800,n,8,1|1|", "Short");
    Write("TXM3", "Short|1|1|", "Short");
    const std::string shortFields = loadFailure("Short");
    EXPECT_NE(shortFields.find("TXM3"), std::string::npos) << shortFields;
    EXPECT_NE(shortFields.find("Short|1|1|"), std::string::npos) << shortFields;
    EXPECT_EQ(Names(), (Strings{"Good"})) << "an entry without server is skipped";

    Write("TXM1", "Bad|x1|1|1|4800,n,8,1|1|", "Letters");
    const std::string letters = loadFailure("Letters");
    EXPECT_NE(letters.find("TXM1"), std::string::npos) << letters;
    EXPECT_NE(letters.find("\"x1\""), std::string::npos) << letters;

    Write("TXM1", "Big|1|1|40000|4800,n,8,1|1|", "Overflow");
    EXPECT_NE(loadFailure("Overflow").find("\"40000\""), std::string::npos);
    EXPECT_EQ(txms->Count(), 1);

    // A name holding the separator shifts the later fields of its entry; parts after the
    // sixth are ignored.
    Write("TXM1", "Boiler|2|3|1|4|9600|1|", "Shifted");
    Write("TXM2", "Half|2.5|1|1|4800,n,8,1|1", "Shifted");
    Write("TXM3", " Blank | 7 |+2| 3 |1200,n,8,1| 2 |", "Shifted");
    EXPECT_EQ(txms->Load(File(), "Shifted"), 0);
    ASSERT_EQ(txms->Count(), 4);
    EXPECT_EQ(Settings(txms->Item(Value(2))), "Boiler,2,3,1,4,9600");
    EXPECT_EQ(Settings(txms->Item(Value(3))), "Half,2,1,1,4800,n,8,1,1")
        << "fractions round half to even";
    EXPECT_EQ(Settings(txms->Item(Value(4))), " Blank ,7,2,3,1200,n,8,1,2");
}

}  // namespace
