// The settings files behind the simulated shared service.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "sim/IniStore.h"
#include "sim/World.h"
#include "support/Failure.h"

namespace {

namespace fs = std::filesystem;
using Kind = sim::IniStore::WriteKind;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

class IniStoreTest : public ::testing::Test {
  protected:
    sim::ScratchFolder m_Folder;
    fs::path m_File = m_Folder.Path() / "settings.ini";
    sim::IniStore m_Store;

    std::string Fresh(const std::string& section, const std::string& key) {
        sim::IniStore fresh;
        return fresh.Read(m_File, section, key, "<missing>");
    }
};

TEST_F(IniStoreTest, ValuesReadBackExactlyAndMissingOnesAsTheDefault) {
    EXPECT_EQ(m_Store.Read(m_File, "S", "K", "dflt"), "dflt");  // no file yet
    const std::vector<std::string> values = {
        "a=b=c",          "  spaced  ",     "", "Untitled1|1|1|1|4800,n,8,1|1|", "Mérő ünnep",
        ";not a comment", "[not a section]"};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string key = "K" + std::to_string(i);
        ASSERT_TRUE(m_Store.Write(m_File, "S", key, values[i]));
        EXPECT_EQ(m_Store.Read(m_File, "S", key, "dflt"), values[i]);
        EXPECT_EQ(Fresh("S", key), values[i]);
    }
    EXPECT_EQ(m_Store.Read(m_File, "S", "Other", "dflt"), "dflt");
    EXPECT_EQ(m_Store.Read(m_File, "T", "K0", "dflt"), "dflt");
}

TEST_F(IniStoreTest, NamesIgnoreAsciiLetterCaseAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(m_Store.Write(m_File, "New Transmitter", "AutoName", "1"));
    EXPECT_EQ(m_Store.Read(m_File, "NEW TRANSMITTER", "autoname", ""), "1");
    ASSERT_TRUE(m_Store.Write(m_File, "new transmitter", "AUTONAME", "0"));
    EXPECT_EQ(ReadAll(m_File), "[New Transmitter]\nAutoName=0\n");
    // Only ASCII letters are folded.
    ASSERT_TRUE(m_Store.Write(m_File, "New Transmitter", "É", "upper"));
    EXPECT_EQ(m_Store.Read(m_File, "New Transmitter", "é", "none"), "none");
}

TEST_F(IniStoreTest, WritesKeepEveryOtherLineOfAHandWrittenFile) {
    WriteAll(m_File,
             "; settings\r\ntop=1\r\n[A]\r\nx=1\r\n\r\n; about B\r\n[B]\r\ny=2\r\n[C]\r\nz=3");
    ASSERT_EQ(m_Store.Read(m_File, "c", "Z", ""), "3");  // CR LF and no final line end
    EXPECT_TRUE(m_Store.Write(m_File, "C", "w", "4"));   // new key in the last section
    EXPECT_EQ(m_Store.LastWrite(), Kind::Append);
    EXPECT_TRUE(m_Store.Write(m_File, "A", "new", "5"));  // new key in an earlier section
    EXPECT_EQ(m_Store.LastWrite(), Kind::Rewrite);
    EXPECT_TRUE(m_Store.Write(m_File, "B", "y", "22"));  // changed value
    EXPECT_EQ(m_Store.LastWrite(), Kind::Rewrite);
    EXPECT_TRUE(m_Store.Write(m_File, "B", "y", "22"));
    EXPECT_EQ(m_Store.LastWrite(), Kind::Unchanged);
    EXPECT_EQ(ReadAll(m_File),
              "; settings\ntop=1\n[A]\nx=1\nnew=5\n\n; about B\n[B]\ny=22\n[C]\nz=3\nw=4\n");
}

TEST_F(IniStoreTest, ClearSectionRemovesEveryKeyAndTheNextWriteRecreatesItAtTheEnd) {
    WriteAll(m_File, "[T]\nTXM1=a\nTXM2=b\n[Keep]\nk=v\n[t]\nTXM3=c\n");
    EXPECT_TRUE(m_Store.ClearSection(m_File, "T"));
    EXPECT_EQ(ReadAll(m_File), "[Keep]\nk=v\n");
    EXPECT_TRUE(m_Store.ClearSection(m_File, "Absent"));
    EXPECT_EQ(m_Store.LastWrite(), Kind::Unchanged);
    EXPECT_TRUE(m_Store.Write(m_File, "T", "TXM1", "z"));
    EXPECT_EQ(m_Store.LastWrite(), Kind::Append);
    EXPECT_EQ(ReadAll(m_File), "[Keep]\nk=v\n[T]\nTXM1=z\n");
}

TEST_F(IniStoreTest, AppendAndRewritePathsAgreeWithAFreshRead) {
    std::map<std::pair<std::string, std::string>, std::string> model;
    std::mt19937 random(12345);
    const char* sections[] = {"Alpha", "beta", "GAMMA"};
    int appends = 0, rewrites = 0;
    for (int step = 0; step < 300; ++step) {
        const std::string section = sections[random() % 3];
        const std::string key = "Key" + std::to_string(random() % 12);
        auto fold = [](std::string s) {
            for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return s;
        };
        if (random() % 10 == 0) {
            ASSERT_TRUE(m_Store.ClearSection(m_File, section));
            std::erase_if(model, [&](const auto& e) { return e.first.first == fold(section); });
        } else {
            const std::string value = "v" + std::to_string(random() % 5);
            ASSERT_TRUE(m_Store.Write(m_File, section, key, value));
            model[{fold(section), fold(key)}] = value;
            appends += m_Store.LastWrite() == Kind::Append;
            rewrites += m_Store.LastWrite() == Kind::Rewrite;
        }
        sim::IniStore fresh;
        for (const char* s : sections) {
            for (int k = 0; k < 12; ++k) {
                const std::string name = "key" + std::to_string(k);
                const auto found = model.find({fold(s), name});
                const std::string expected = found == model.end() ? "-" : found->second;
                ASSERT_EQ(fresh.Read(m_File, s, name, "-"), expected) << "step " << step;
                ASSERT_EQ(m_Store.Read(m_File, s, name, "-"), expected) << "step " << step;
            }
        }
    }
    EXPECT_GT(appends, 20);
    EXPECT_GT(rewrites, 20);
}

struct SimulatedDeath {};

TEST_F(IniStoreTest, DyingBeforeTheRenameOrTheAppendLeavesTheOldFileWhole) {
    ASSERT_TRUE(m_Store.Write(m_File, "S", "a", "1"));
    ASSERT_TRUE(m_Store.Write(m_File, "S", "b", "2"));
    const std::string before = ReadAll(m_File);
    m_Store.SetFaultHook([](const std::string& point) {
        if (point == "rewrite-before-rename") throw SimulatedDeath{};
    });
    EXPECT_THROW(m_Store.Write(m_File, "S", "a", "changed"), SimulatedDeath);
    EXPECT_EQ(ReadAll(m_File), before);
    EXPECT_EQ(m_Store.Read(m_File, "S", "a", ""), "1");  // the store forgot the lost write
    int leftOver = 0;
    for (const auto& entry : fs::directory_iterator(m_Folder.Path()))
        leftOver += entry.path() != m_File;
    EXPECT_EQ(leftOver, 1);  // the complete temporary file, as a real death leaves it

    m_Store.SetFaultHook([](const std::string& point) {
        if (point == "append-before-write") throw SimulatedDeath{};
    });
    EXPECT_THROW(m_Store.Write(m_File, "S", "c", "3"), SimulatedDeath);
    EXPECT_EQ(ReadAll(m_File), before);
    EXPECT_EQ(m_Store.Read(m_File, "S", "c", "none"), "none");
}

TEST_F(IniStoreTest, ValuesEndingInACarriageReturnSurviveAWriteOfAnotherKey) {
    // Found by the settings-file fuzz target: every rewrite cut one "\r" off such a value.
    WriteAll(m_File, "[A]\r\nk=v\r\r\n[B]\r\r\nx=1\r\n");
    EXPECT_EQ(m_Store.Read(m_File, "A", "k", ""), "v\r");
    ASSERT_TRUE(m_Store.Write(m_File, "A", "added", "1"));
    ASSERT_EQ(m_Store.LastWrite(), Kind::Rewrite);
    ASSERT_TRUE(m_Store.Write(m_File, "A", "more", "2"));
    EXPECT_EQ(Fresh("A", "k"), "v\r");
    EXPECT_EQ(Fresh("B", "x"), "1");
    EXPECT_EQ(Fresh("A", "more"), "2");
}

TEST_F(IniStoreTest, NoticesChangesMadeByOtherWriters) {
    ASSERT_TRUE(m_Store.Write(m_File, "S", "k", "1"));
    ASSERT_EQ(m_Store.Read(m_File, "S", "k", ""), "1");
    WriteAll(m_File, "[S]\nk=changed\n");
    EXPECT_EQ(m_Store.Read(m_File, "S", "k", ""), "changed");
    // Same size, later time.
    const auto time = fs::last_write_time(m_File);
    WriteAll(m_File, "[S]\nk=CHANGED\n");
    fs::last_write_time(m_File, time + std::chrono::seconds(2));
    EXPECT_EQ(m_Store.Read(m_File, "S", "k", ""), "CHANGED");
    // A write goes into the file as it now is.
    WriteAll(m_File, "[S]\nk=1\n[Other]\no=2\n");
    ASSERT_TRUE(m_Store.Write(m_File, "S", "n", "3"));
    EXPECT_EQ(ReadAll(m_File), "[S]\nk=1\nn=3\n[Other]\no=2\n");
    fs::remove(m_File);
    EXPECT_EQ(m_Store.Read(m_File, "S", "k", "gone"), "gone");
}

TEST_F(IniStoreTest, RefusesNamesAndValuesThatCouldNotBeReadBack) {
    // section, key, value, words of the reason
    const std::array<std::string, 4> refused[] = {
        {"S", "a=b", "v", "\"=\""},     {"S", "a\nb", "v", "line break"},
        {"S", "", "v", "needs a name"}, {"S", ";k", "v", "not a key"},
        {"S]", "k", "v", "\"]\""},      {"S\r", "k", "v", "line break"},
        {"", "k", "v", "needs a name"}, {"S", "k", "two\nlines", "line break"}};
    for (const auto& [section, key, value, words] : refused) {
        try {
            m_Store.Write(m_File, section, key, value);
            ADD_FAILURE() << "no failure for [" << section << "] " << key << "=" << value;
        } catch (const vq::Failure& failure) {
            EXPECT_NE(failure.Description().find(words), std::string::npos)
                << failure.Description();
        }
    }
    EXPECT_THROW(m_Store.Write("", "S", "k", "v"), vq::Failure);
    EXPECT_FALSE(fs::exists(m_File));
}

TEST_F(IniStoreTest, AWriteThatCannotBeDoneAnswersFalseAndChangesNothing) {
    EXPECT_FALSE(m_Store.Write(m_Folder.Path() / "no such folder" / "x.ini", "S", "k", "v"));
    EXPECT_TRUE(
        m_Store.ClearSection(m_Folder.Path() / "no such folder" / "x.ini", "S"));  // nothing to do
    EXPECT_FALSE(fs::exists(m_Folder.Path() / "no such folder"));
    ASSERT_TRUE(m_Store.Write(m_File, "S", "k", "v"));
    fs::permissions(m_File,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(m_Store.Write(m_File, "S", "k", "other"));    // rewrite path
    EXPECT_FALSE(m_Store.Write(m_File, "S", "new", "other"));  // append path
    EXPECT_FALSE(m_Store.ClearSection(m_File, "S"));
    EXPECT_EQ(ReadAll(m_File), "[S]\nk=v\n");
    fs::permissions(m_File, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
