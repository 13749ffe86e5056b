// Timings of the collection operations on the simulated host product, with real settings
// files. Prints, for each operation and size, the median of several runs: the time of the
// whole batch and the time per element, so linear and quadratic growth can be told apart.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "collection/Txms.h"
#include "sim/Sim.h"

namespace {

using bench::Median;
using bench::Report;

struct Session {
    sim::ScratchFolder folder{"vq-bench"};
    std::shared_ptr<sim::World> world = std::make_shared<sim::World>(folder.Path());
    vq::ScopedProduct product{std::make_shared<sim::Factory>(world)};
    std::shared_ptr<sim::HostObject> host = std::make_shared<sim::HostObject>();
    vq::PassThroughRef history;

    std::unique_ptr<vq::Txms> NewCollection() {
        auto txms = std::make_unique<vq::Txms>();
        txms->Initialize(folder.Path().string(), host, history);
        return txms;
    }
    void Fill(vq::Txms& txms, int n, bool keyed) {
        for (int i = 1; i <= n; ++i) {
            txms.Add(vq::Value(keyed ? "Key " + std::to_string(i) : std::string()), 1 + i % 3,
                     static_cast<int16_t>(i % 69), static_cast<int16_t>(1 + i % 9), "4800,n,8,1", 1,
                     "Transmitter " + std::to_string(i), vq::VbFalse, vq::VbTrue);
        }
        world->RegistryCalls.clear();  // the record would otherwise grow without end
    }
};

void BenchCollection(Session& session, int n) {
    std::unique_ptr<vq::Txms> txms;
    const auto fresh = [&] { txms = session.NewCollection(); };
    Report("Add (silent, keyed)", n, Median(5, fresh, [&] { session.Fill(*txms, n, true); }));

    fresh();
    session.Fill(*txms, n, true);
    std::vector<vq::Value> keys, positions;
    for (int i = 1; i <= n; ++i) {
        keys.emplace_back("KEY " + std::to_string(i));
        positions.emplace_back(i);
    }
    const auto lookUp = [&](const std::vector<vq::Value>& indexes) {
        for (const vq::Value& index : indexes)
            if (!txms->Item(index)) std::abort();
    };
    Report("Item by key", n,
           Median(
               5, [] {}, [&] { lookUp(keys); }));
    Report("Item by position", n,
           Median(
               5, [] {}, [&] { lookUp(positions); }));

    const int removals = std::min(n, 1000);
    const double removeTime = Median(
        3,
        [&] {
            fresh();
            session.Fill(*txms, n, true);
        },
        [&] {
            for (int i = 0; i < removals; ++i) txms->Remove(vq::Value(1));
        });
    std::printf("%-34s n=%6d  %d removals: total %8.3f ms  per removal %9.3f us\n",
                "Remove(1) from the front", n, removals, removeTime * 1e3,
                removeTime * 1e6 / removals);
}

void BenchPersistence(Session& session, int n) {
    const std::string file =
        (session.folder.Path() / ("bench-" + std::to_string(n) + ".txm")).string();
    std::unique_ptr<vq::Txms> source = session.NewCollection();
    session.Fill(*source, n, false);
    std::unique_ptr<vq::Txms> target;

    const double save = Median(
        5, [] {},
        [&] {
            if (!source->Save(file, "TxmConfiguration", vq::Value(-1)).IsTrue()) std::abort();
        });
    const double load = Median(
        5, [&] { target = session.NewCollection(); },
        [&] {
            target->Load(file, "TxmConfiguration");
            if (target->Count() != n) std::abort();
            session.world->RegistryCalls.clear();
        });
    Report("Save (all, real file)", n, save);
    Report("Load (real file)", n, load);
    std::printf("%-34s n=%6d  total %10.3f ms\n", "Save + Load", n, (save + load) * 1e3);
}

}  // namespace

int main() {
    Session session;
    // The simulated transmitters would otherwise keep a record of every property put, which
    // the renumbering of Remove fills quickly and which is not the collection's cost.
    session.world->RecordPuts = false;
    std::printf("Collection operations on the simulated host product (median of runs)\n");
    for (int n : {1000, 10000}) BenchCollection(session, n);
    std::printf("\nSave and Load through the simulated shared service on real files\n");
    for (int n : {100, 1000, 10000}) BenchPersistence(session, n);
    return 0;
}
