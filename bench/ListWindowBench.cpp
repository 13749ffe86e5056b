// Timings of the transmitter list window's model on the simulated host product: the load of a
// window on 100, 1 000 and 10 000 transmitters (settings read, toolbar arranged, captions and
// every row filled), a refill alone, and one connect-all with its refill. Prints the median of
// several runs with the time per row.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "BenchTiming.h"
#include "collection/Txms.h"
#include "listwindow/frmTxms.h"
#include "sim/Sim.h"
#include "ui/Controls.h"
#include "ui/ListView.h"
#include "ui/Toolbar.h"

namespace {

using bench::Median;
using bench::Report;

struct Session {
    sim::ScratchFolder folder{"vq-bench-list"};
    std::shared_ptr<sim::World> world = std::make_shared<sim::World>(folder.Path());
    vq::ScopedProduct product{std::make_shared<sim::Factory>(world)};
    std::shared_ptr<sim::HostObject> host = std::make_shared<sim::HostObject>();
    vq::PassThroughRef history;
    vq::Txms txms;

    /// n transmitters of the three families. Every other one of the first 100 has an
    /// instrument on the bus: the simulated bus is searched from end to end at every attempt,
    /// so a bus growing with n would time the simulator rather than the window.
    explicit Session(int n) {
        world->RecordPuts = false;
        txms.Initialize(folder.Path().string(), host, history);
        for (int i = 1; i <= n; ++i) {
            const auto address = static_cast<int16_t>(i % 30000);
            const auto port = static_cast<int16_t>(1 + i % 8);
            txms.Add(vq::Value(""), 1 + i % 3, address, port, "4800,n,8,1", 1,
                     "Transmitter " + std::to_string(i), vq::VbFalse, vq::VbTrue);
            if (i % 2 == 0 && i <= 100) world->Bus.push_back({port, address, "4800,n,8,1", 0, ""});
        }
        world->RegistryCalls.clear();
    }
};

template <class T>
T& Control(vq::frmTxms& window, const char* name) {
    return dynamic_cast<T&>(*window.Form().Find(name));
}

void BenchWindow(int n) {
    Session session(n);
    std::optional<vq::frmTxms> window;
    const auto fresh = [&] {
        window.reset();
        window.emplace(vq::ui::WindowContext::OfThisThread());
        window->Install(&session.txms);
    };
    Report("Window load", n, Median(5, fresh, [&] { window->Form().Load(); }));
    if (Control<vq::ui::ListView>(*window, "lvTxms").Count() != n) std::abort();

    // Connect with nothing selected and the box clear connects nothing: the refill alone.
    auto& toolbar = Control<vq::ui::Toolbar>(*window, "atbMisc");
    auto& list = Control<vq::ui::ListView>(*window, "lvTxms");
    list.Select(0);
    Report("Refill (connect, nothing chosen)", n,
           Median(
               5, [] {}, [&] { toolbar.ClickTool("ID_Connect"); }));

    Control<vq::ui::CheckBox>(*window, "chkAllTxm").SetValue(vq::ui::CheckBox::Checked);
    const double connectAll = Median(
        3, [&] { session.world->RegistryEvents.clear(); },
        [&] { toolbar.ClickTool("ID_Connect"); });
    Report("Connect all + refill", n, connectAll);
    if (list.SubItem(2, 4) != "Connected" || list.SubItem(1, 4) != "Not connected") std::abort();
}

}  // namespace

int main() {
    std::printf("List window model on the simulated host product (median of runs)\n");
    for (int n : {100, 1000, 10000}) BenchWindow(n);
    return 0;
}
