// Remove detaches the transmitter's attachments as they are listed and then removes the entry
// its position or key names.

#include "CollectionFixture.h"

using vq::Value;
using vqtest::FailureCode;

namespace {

class Removal : public vqtest::CollectionFixture {
  protected:
    void SetUp() override { Initialize(); }
};

TEST_F(Removal, ANothingAmongTheAttachmentsFailsTheRemoval) {
    AddSilent("A");
    AddSilent("B");
    auto before = std::make_shared<sim::Attachment>();
    auto after = std::make_shared<sim::Attachment>();
    Sim(txms->Item(Value(2))).Attach(before);
    Sim(txms->Item(Value(2))).Attach(nullptr);
    Sim(txms->Item(Value(2))).Attach(after);
    world->RegistryCalls.clear();

    EXPECT_EQ(FailureCode([&] { txms->Remove(Value(2)); }), vq::Codes::ObjectNotSet);
    EXPECT_EQ(before->DetachCount, 1);
    EXPECT_EQ(after->DetachCount, 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(world->RegistryCalls.empty());
}

TEST_F(Removal, TheEntryThePositionNamesAfterTheDetachesLeaves) {
    for (const char* name : {"A", "B", "C"}) AddSilent(name);
    auto attachment = std::make_shared<sim::Attachment>();
    attachment->OnDetach = [&] { txms->Remove(Value(1)); };  // A leaves while B detaches
    Sim(txms->Item(Value(2))).Attach(attachment);

    txms->Remove(Value(2));
    EXPECT_EQ(Names(), (std::vector<std::string>{"B"})) << "position 2 named C by then";
    EXPECT_EQ(txms->Item(Value(1))->Index(), 1);
}

}  // namespace
