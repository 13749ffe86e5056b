// Fuzzes the list window's stored column widths: the input is the setting "Width" of section
// "Transmitters", read by the window's load through ShowWizard with the simulated service's
// integer conversion. Split at the service's separator (the text after the last one counts
// only when it is not empty), each of the first four entries the conversion takes sets its
// column and the final unload writes the five widths back; a column without an entry keeps its
// width. When the conversion refuses one of those entries, ShowWizard fails with the
// conversion's code and a short description naming the setting and the section, the window is
// never shown and nothing is written.
//
// The settings live in memory (MemoryService.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "FuzzCheck.h"
#include "MemoryService.h"
#include "collection/Txms.h"
#include "sim/Conversion.h"
#include "sim/Sim.h"
#include "support/Failure.h"
#include "ui/ListView.h"
#include "ui/ScriptedHost.h"

namespace {

constexpr const char* kSection = "Transmitters";
constexpr float kInitialWidths[] = {1440, 1440, 1440, 1440, 2540};
// A description stays readable however long the setting it complains about.
constexpr std::size_t kMaxDescription = 1000;

struct Session {
    sim::ScratchFolder folder{"vq-fuzz-width"};
    std::shared_ptr<sim::World> world = std::make_shared<sim::World>(folder.Path());
    std::shared_ptr<vqfuzz::MemoryFactory> factory = std::make_shared<vqfuzz::MemoryFactory>(world);
    vq::ScopedProduct product{factory};
    std::shared_ptr<sim::HostObject> host = std::make_shared<sim::HostObject>();
    vq::PassThroughRef history;
    std::shared_ptr<vq::Txms> txms = std::make_shared<vq::Txms>();

    Session() {
        world->RecordPuts = false;
        vqfuzz::Check(txms->Initialize(folder.Path().string(), host, history) == 3, "Initialize");
    }
    vqfuzz::MemoryService& Memory() { return factory->Memory(); }
    std::string Setting(const std::string& key) {
        return Memory().ReadSetting(world->SettingsFilePath, kSection, key, "<none>");
    }
};

/// What the load must make of the stored text: the five widths, or the failure of an entry.
struct Expected {
    float Widths[5];
    int32_t Failure = 0;
};

Expected ExpectedOf(const std::string& stored, char separator) {
    Expected expected;
    std::copy(std::begin(kInitialWidths), std::end(kInitialWidths), expected.Widths);
    std::istringstream entries(stored);
    std::string entry;
    for (int column = 0; column < 4 && std::getline(entries, entry, separator); ++column) {
        try {
            expected.Widths[column] = sim::ToInteger(vq::Value(entry));
        } catch (const vq::Failure& failure) {
            expected.Failure = failure.Code();
            break;
        }
    }
    return expected;
}

std::string WidthsText(const float (&widths)[5], const std::string& separator) {
    std::string text;
    for (const float width : widths) text += std::to_string(static_cast<int>(width)) + separator;
    return text;
}

void CheckRefused(Session& session, const vq::Failure& failure, const Expected& expected,
                  const std::string& stored, bool shown) {
    const std::string description = failure.Description();
    vqfuzz::Check(expected.Failure != 0, "a width the conversion takes was refused", description);
    vqfuzz::Check(failure.Code() == expected.Failure, "not the conversion's failure", description);
    vqfuzz::Check(!shown, "the window was shown with a width refused");
    vqfuzz::Check(description.find("\"Width\"") != std::string::npos &&
                      description.find("\"Transmitters\"") != std::string::npos,
                  "a failure that does not name the setting and its section", description);
    vqfuzz::Check(description.size() <= kMaxDescription, "an unreadably long description",
                  std::to_string(description.size()));
    vqfuzz::Check(session.Memory().Settings.size() == 1 && session.Setting("Width") == stored,
                  "a refused load wrote settings");
}

void FuzzOne(Session& session, const std::string& stored) {
    const std::string separator = session.Memory().ListSeparator();
    session.Memory().WriteSetting(session.world->SettingsFilePath, kSection, "Width", stored);
    const Expected expected = ExpectedOf(stored, separator.at(0));

    auto windows = std::make_shared<vq::ui::ScriptedHost>();
    vq::ui::ScopedWindowHost scoped{windows};
    bool shown = false;
    float widths[5] = {};
    windows->Then([&](vq::ui::User& user) {
        shown = true;
        const auto& list = user.Find<vq::ui::ListView>("lvTxms");
        for (int32_t column = 1; column <= 5; ++column)
            widths[column - 1] = list.Column(column).Width;
        user.ClickTool("atbMisc", "ID_Ok");
    });
    try {
        session.txms->ShowWizard();
    } catch (const vq::Failure& failure) {
        CheckRefused(session, failure, expected, stored, shown);
        return;
    }
    vqfuzz::Check(expected.Failure == 0, "a width the conversion refuses was taken", stored);
    vqfuzz::Check(shown, "the window was not shown");
    vqfuzz::Check(std::equal(std::begin(widths), std::end(widths), expected.Widths),
                  "the columns do not have the stored widths", stored);
    vqfuzz::Check(session.Setting("Width") == WidthsText(expected.Widths, separator),
                  "the final unload wrote other widths", session.Setting("Width"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Kept until the process ends: the per-thread product must outlive it.
    static Session& session = *new Session;
    FuzzOne(session, std::string(reinterpret_cast<const char*>(data), size));
    session.Memory().Settings.clear();
    return 0;
}
