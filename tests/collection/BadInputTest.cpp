// What a user can feed Load and Save through a .txm file, and what they answer: appended
// transmitters, a clear failure naming the entry and the file, or false from Save with the
// reason kept by the simulated service - never a crash, a hang or a silent loss.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CollectionFixture.h"

using Strings = std::vector<std::string>;
using vq::Value;
using vq::VbFalse;
using vq::VbTrue;
using vqtest::FailureCode;

namespace {

class BadTxmFile : public vqtest::CollectionFixture {
  protected:
    void SetUp() override { Initialize(); }

    /// The description of the failure Load ends with ("" when it ends without one).
    std::string LoadFailure(const std::string& file, const std::string& section) {
        try {
            txms->Load(file, section);
        } catch (const vq::Failure& failure) {
            return failure.Description();
        }
        return "";
    }
};

TEST_F(BadTxmFile, EmptySectionsAndEmptyFilesLoadNothing) {
    WriteFile("[TxmConfiguration]\n[Other]\nTXM1=Elsewhere|1|1|1|4800,n,8,1|1|\n");
    EXPECT_EQ(txms->Load(File(), "TxmConfiguration"), 0);
    WriteFile("");
    EXPECT_EQ(txms->Load(File(), "TxmConfiguration"), 0);
    WriteFile("[TxmConfiguration]\nTXM1=\nTXM2=Hidden|1|1|1|4800,n,8,1|1|\n");
    EXPECT_EQ(txms->Load(File(), "TxmConfiguration"), 0);
    EXPECT_EQ(txms->Count(), 0);
    EXPECT_EQ(txms->ActiveTxmIndex(), 0);
}

TEST_F(BadTxmFile, TenMegabyteValuesLoadOrFailWithAShortDescription) {
    const std::string huge(10 << 20, 'N');
    WriteFile("[Big name]\nTXM1=" + huge + "|1|1|1|4800,n,8,1|1|\n[Big field]\nTXM1=A|" + huge +
              "|1|1|4800,n,8,1|1|\n[No fields]\nTXM1=" + huge + "\n");
    EXPECT_EQ(txms->Load(File(), "Big name"), 0);
    ASSERT_EQ(txms->Count(), 1);
    EXPECT_EQ(txms->Item(Value(1))->Name().size(), huge.size());

    for (const char* section : {"Big field", "No fields"}) {
        const std::string description = LoadFailure(File(), section);
        EXPECT_NE(description.find("TXM1"), std::string::npos) << section;
        EXPECT_NE(description.find("bytes)"), std::string::npos) << section;
        EXPECT_LT(description.size(), 600u) << section;
    }
    EXPECT_EQ(txms->Count(), 1);

    ASSERT_EQ(txms->Save(File(), "Saved", Value(-1)), VbTrue);
    EXPECT_EQ(world->Service()->ReadSetting(File(), "Saved", "TXM1", "").size(), huge.size() + 20);
}

TEST_F(BadTxmFile, BytesThatAreNotUtf8ComeBackUnchanged) {
    // Invalid UTF-8, and Latin-1 text as a single-byte code page writes it.
    const std::string invalid = "Bad \xC3\x28 \xFF\xFE end";
    const std::string latin1 = "Kaz\xE1n h\xE1z \xF5r";
    WriteFile("[TxmConfiguration]\nTXM1=" + invalid + "|1|1|1|4800,n,8,1|1|\nTXM2=" + latin1 +
              "|2|2|2|1200,\xE9,8,1|1|\n");
    EXPECT_EQ(txms->Load(File(), "TxmConfiguration"), 0);
    EXPECT_EQ(Names(), (Strings{invalid, latin1}));
    const std::string before = FileText();
    ASSERT_EQ(txms->Save(File(), "TxmConfiguration", Value(-1)), VbTrue);
    EXPECT_EQ(FileText(), before) << "saved byte for byte";
}

TEST_F(BadTxmFile, AFolderInPlaceOfTheFileFailsToLoadAndRefusesToSave) {
    const std::filesystem::path asFolder = folder.Path() / "folder.txm";
    std::filesystem::create_directory(asFolder);
    const std::string description = LoadFailure(asFolder.string(), "TxmConfiguration");
    EXPECT_NE(description.find("folder.txm"), std::string::npos) << description;
    EXPECT_NE(description.find("is a folder"), std::string::npos) << description;

    AddSilent("A");
    EXPECT_EQ(txms->Save(asFolder.string(), "TxmConfiguration", Value(-1)), VbFalse);
    EXPECT_NE(world->Ini().LastProblem().find("folder.txm is a folder"), std::string::npos)
        << world->Ini().LastProblem();
    EXPECT_EQ(txms->Count(), 1);
}

#ifdef __linux__
TEST_F(BadTxmFile, AFileThatCannotBeReadFailsToLoad) {
    // Permissions do not stop the superuser the tests may run as; reading this file fails
    // for every user (its offset 0 is no mapped address).
    const std::string description = LoadFailure("/proc/self/mem", "TxmConfiguration");
    EXPECT_NE(description.find("/proc/self/mem cannot be read"), std::string::npos) << description;
    EXPECT_EQ(txms->Count(), 0);
}
#endif

TEST_F(BadTxmFile, AFileThatCannotBeWrittenMakesSaveFailAndSaysWhy) {
    for (const char* name : {"A", "B"}) AddSilent(name);
    WriteFile("[TxmConfiguration]\nTXM1=Old|1|1|1|4800,n,8,1|1|\n");
    std::filesystem::permissions(File(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    // Saving everything first clears the section, which cannot be done: the failure says so.
    const std::string all = [&] {
        try {
            txms->Save(File(), "TxmConfiguration", Value(-1));
        } catch (const vq::Failure& failure) {
            return failure.Description();
        }
        return std::string("no failure");
    }();
    EXPECT_NE(all.find("plant.txm is read-only"), std::string::npos) << all;
    // Saving one position only writes, and answers false.
    EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value(2)), VbFalse);
    EXPECT_NE(world->Ini().LastProblem().find("plant.txm is read-only"), std::string::npos);
    const std::string missingFolder = (folder.Path() / "gone" / "x.txm").string();
    EXPECT_EQ(txms->Save(missingFolder, "TxmConfiguration", Value(-1)), VbFalse);
    EXPECT_NE(world->Ini().LastProblem().find("gone does not exist"), std::string::npos)
        << world->Ini().LastProblem();
    EXPECT_EQ(FileText(), "[TxmConfiguration]\nTXM1=Old|1|1|1|4800,n,8,1|1|\n");
}

}  // namespace
