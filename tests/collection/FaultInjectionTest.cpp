// Save and Load of a 50-transmitter collection with the k-th settings call failing, for every
// k, and with the process dying inside a file write of the simulated service.
//
// What holds: every call of the shared service changes its file whole or not at all, so after
// a failure at call k the file is exactly what the first k - 1 calls made of it, and the
// failure reaches the caller. A whole-list Save is ClearSection followed by one WriteSetting
// per transmitter, and what was written before a failure stays written: a Save stopped after
// its first call leaves a section holding only the first transmitters written, neither the
// old list nor the new one.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CollectionFixture.h"

using vq::Value;
using vq::VbTrue;

namespace {

constexpr int kTransmitters = 50;
constexpr int kOldEntries = 30;

struct Died {};  // what the fault hook throws: the process ends there

class FaultInjection : public vqtest::CollectionFixture {
  protected:
    void SetUp() override {
        Initialize();
        for (int i = 1; i <= kTransmitters; ++i) AddSilent("New" + std::to_string(i));
        std::string old = "; kept\n[Before]\nA=1\n[TxmConfiguration]\n";
        for (int i = 1; i <= kOldEntries; ++i)
            old +=
                "TXM" + std::to_string(i) + "=Old" + std::to_string(i) + "|1|2|3|1200,n,8,1|2|\n";
        oldText = old + "[After]\nB=2\n";
    }

    void Restore() { WriteFile(oldText); }
    /// The file after each call of an undisturbed Save: states[j] after j calls.
    std::vector<std::string> SaveStates() {
        Restore();
        std::vector<std::string> states{oldText};
        world->Ini().SetFaultHook([&](const std::string&) {
            if (states.size() > 1) states.back() = FileText();  // the previous call's result
            states.push_back("");
        });
        EXPECT_EQ(txms->Save(File(), "TxmConfiguration", Value(-1)), VbTrue);
        world->Ini().SetFaultHook(nullptr);
        states.back() = FileText();
        return states;
    }
    std::vector<std::string> TempFiles() const {
        std::vector<std::string> temps;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            if (entry.path().extension() == ".tmp") temps.push_back(entry.path().string());
        return temps;
    }

    std::string oldText;
};

TEST_F(FaultInjection, SaveFailingAtEveryCallLeavesTheFileAsTheCallsBeforeMadeIt) {
    const std::vector<std::string> states = SaveStates();
    ASSERT_EQ(states.size(), kTransmitters + 2u) << "ClearSection and one write each";
    int wholeOld = 0, wholeNew = 0, prefix = 0;
    for (int k = 1; k <= kTransmitters + 1; ++k) {
        Restore();
        world->WriteFault = {k, 0};
        EXPECT_EQ(vqtest::FailureCode([&] { txms->Save(File(), "TxmConfiguration", Value(-1)); }),
                  vq::Codes::PathFileAccess)
            << "call " << k;
        const std::string text = FileText();
        ASSERT_EQ(text, states[k - 1]) << "call " << k;
        EXPECT_NE(text.find("[Before]\nA=1\n"), std::string::npos);
        EXPECT_NE(text.find("[After]\nB=2\n"), std::string::npos);
        if (text == oldText) {
            ++wholeOld;
        } else if (text == states.back()) {
            ++wholeNew;
        } else {
            ++prefix;
            EXPECT_EQ(text.find("=Old"), std::string::npos) << "the section was cleared first";
        }
    }
    world->WriteFault = {};
    EXPECT_EQ(wholeOld, 1) << "only a failing ClearSection leaves the old list";
    EXPECT_EQ(wholeNew, 0) << "the last write failing loses the last transmitter";
    EXPECT_EQ(prefix, kTransmitters) << "a stopped Save leaves the transmitters written so far";
    EXPECT_EQ(txms->Count(), kTransmitters);
}

TEST_F(FaultInjection, LoadFailingAtEveryReadKeepsWhatItAddedAndReportsTheFailure) {
    ASSERT_EQ(txms->Save(File(), "TxmConfiguration", Value(-1)), VbTrue);
    for (int k = 1; k <= kTransmitters + 2; ++k) {
        txms->Clear();
        world->ReadFault = {k, 0};
        const int32_t code =
            vqtest::FailureCode([&] { txms->Load(File(), "TxmConfiguration", Value(), VbTrue); });
        // Read k + 1 would be the one after the last entry: from there on the load succeeds.
        EXPECT_EQ(code, k <= kTransmitters + 1 ? vq::Codes::PathFileAccess : 0) << "read " << k;
        const int32_t loaded = std::min(k - 1, kTransmitters);
        ASSERT_EQ(txms->Count(), loaded) << "read " << k;
        if (loaded > 0) {
            EXPECT_EQ(txms->Item(Value(loaded))->Name(), "New" + std::to_string(loaded));
        }
    }
}

TEST_F(FaultInjection, DyingInsideAWriteLeavesTheWholeFileOfTheCallBefore) {
    const std::vector<std::string> states = SaveStates();
    for (std::size_t death = 1; death < states.size(); ++death) {
        Restore();
        for (const std::string& temp : TempFiles()) std::filesystem::remove(temp);
        std::size_t points = 0;
        std::string where;
        world->Ini().SetFaultHook([&](const std::string& point) {
            if (++points == death) {
                where = point;
                throw Died{};
            }
        });
        EXPECT_THROW(txms->Save(File(), "TxmConfiguration", Value(-1)), Died);
        world->Ini().SetFaultHook(nullptr);
        // A new process reads the file.
        sim::IniStore fresh;
        ASSERT_EQ(FileText(), states[death - 1]) << "death " << death << " at " << where;
        EXPECT_EQ(fresh.Read(File(), "After", "B", ""), "2");
        if (where == "rewrite-before-rename") {
            // The complete new file is left beside it under a temporary name.
            const std::vector<std::string> temps = TempFiles();
            ASSERT_EQ(temps.size(), 1u) << "death " << death;
            EXPECT_EQ(Bytes(temps[0]), states[death]);
        } else {
            EXPECT_EQ(where, "append-before-write");
            EXPECT_TRUE(TempFiles().empty());
        }
    }
}

}  // namespace
