#pragma once
// A collection on the simulated host product, and a stand-in for the add/edit dialog that
// confirms or cancels as a test says.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "collection/Txms.h"
#include "collection/WindowOpening.h"
#include "sim/Sim.h"

namespace vqtest {

/// Answers the dialog as a user would, recording each opening.
class TestWindow : public vq::WindowOpener {
  public:
    struct Opening {
        vq::TransmitterRef Txm;
        vq::TransmitterCollection* Txms;
        vq::VbBool EditMode;
    };
    std::vector<Opening> Openings;
    vq::VbBool Answer = vq::VbTrue;
    /// Runs while the dialog is "open", as the user's edits would.
    std::function<void(vq::Transmitter&)> User;

    vq::VbBool ShowTxmDialog(const vq::TransmitterRef& txm, vq::TransmitterCollection* txms,
                             vq::VbBool editMode) override {
        Openings.push_back({txm, txms, editMode});
        if (User) User(*txm);
        return Answer;
    }
    int16_t ShowTxmsDialog(vq::TransmitterCollection*) override {
        ADD_FAILURE() << "the list window was not expected";
        return -1;
    }
};

class CollectionFixture : public ::testing::Test {
  protected:
    CollectionFixture() { previousOpener = vq::SetWindowOpener(window); }
    ~CollectionFixture() override {
        txms.reset();
        vq::SetWindowOpener(previousOpener);
    }

    /// Installs the three families; fails the test unless all three install.
    void Initialize() {
        ASSERT_EQ(txms->Initialize(Folder(), host, history), 3);
        world->RegistryCalls.clear();
    }

    vq::TransmitterRef AddSilent(const std::string& name, int32_t type = 1,
                                 const vq::Value& key = vq::Value(""), int16_t address = 1,
                                 int16_t port = 1) {
        return txms->Add(key, type, address, port, "4800,n,8,1", 1, name, vq::VbFalse, vq::VbTrue);
    }

    static sim::Transmitter& Sim(const vq::TransmitterRef& txm) {
        return dynamic_cast<sim::Transmitter&>(*txm);
    }

    /// A transmitter's stored settings: "Name,Address,TxmType,ComPort,ComSettings,Protocol".
    static std::string Settings(const vq::TransmitterRef& txm) {
        return txm->Name() + "," + std::to_string(txm->Address()) + "," +
               std::to_string(txm->TxmType()) + "," + std::to_string(txm->ComPort()) + "," +
               txm->ComSettings() + "," + std::to_string(txm->Protocol());
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& txm : txms->Transmitters()) names.push_back(txm->Name());
        return names;
    }

    /// The Index property of every entry, in position order.
    std::vector<int16_t> Indexes() const {
        std::vector<int16_t> indexes;
        for (const auto& txm : txms->Transmitters()) indexes.push_back(txm->Index());
        return indexes;
    }

    std::string Folder() const { return folder.Path().string(); }

    /// The configuration file the persistence tests use, and its bytes.
    std::string File() const { return (folder.Path() / "plant.txm").string(); }
    std::string FileText() const { return Bytes(File()); }
    static std::string Bytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    /// Replaces the configuration file's bytes behind the simulated service's back.
    void WriteFile(const std::string& text) {
        std::ofstream(File(), std::ios::binary | std::ios::trunc) << text;
        world->Ini().Forget();
    }

    sim::ScratchFolder folder;
    std::shared_ptr<sim::World> world = std::make_shared<sim::World>(folder.Path());
    vq::ScopedProduct product{std::make_shared<sim::Factory>(world)};
    std::shared_ptr<sim::HostObject> host = std::make_shared<sim::HostObject>();
    vq::PassThroughRef history;
    std::shared_ptr<TestWindow> window = std::make_shared<TestWindow>();
    std::shared_ptr<vq::WindowOpener> previousOpener;
    std::unique_ptr<vq::Txms> txms = std::make_unique<vq::Txms>();
};

/// The code of the Failure a call throws, 0 when it throws none.
inline int32_t FailureCode(const std::function<void()>& call) {
    try {
        call();
    } catch (const vq::Failure& failure) {
        return failure.Code();
    }
    return 0;
}

}  // namespace vqtest
