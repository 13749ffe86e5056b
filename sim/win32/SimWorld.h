#pragma once
// The simulated world of the calling thread, and the COM classes the simulator DLL exports.

#include "SimClasses.h"
#include "sim/Factory.h"

namespace sim::win32 {

/// This thread's world (created on first use in a scratch folder, kept for the thread's life).
World& ThisWorld();
/// This thread's factory over that world.
sim::Factory& ThisFactory();
/// Whether the collections the simulated objects hand out lack _NewEnum (set by a test).
bool ListsWithoutEnum();

/// A new object of an exported class (the product's classes by family of ProgID, and the
/// control object "vqSim.World" through which tests set up and inspect the world).
enum class SimClass {
    Txm,
    Service,
    PathSplitter,
    ConfigChooser,
    Command,
    Server1,
    Server2,
    Server3,
    World
};
ComPtr<IDispatch> CreateSimObject(SimClass kind);

}  // namespace sim::win32
