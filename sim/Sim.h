#pragma once
// The simulated host product, the one include for its users.
//
//   sim::ScratchFolder folder;
//   auto world = std::make_shared<sim::World>(folder.Path());
//   vq::ScopedProduct product(std::make_shared<sim::Factory>(world));
//   world->Bus.push_back({/*ComPort*/ 1, /*Address*/ 5, "4800,n,8,1", /*TxmType*/ 0, "TAG-5"});
//   ... use the core; then check world->RegistryLog(), world->Messages, files in the folder.
//
// World.h: the state tests set up and the records they check. Objects.h: the simulated
// components. Factory.h: what the core creates through. IniStore.h and Conversion.h: the
// settings files and the integer conversion behind the shared service.

#include "sim/Conversion.h"
#include "sim/Factory.h"
#include "sim/IniStore.h"
#include "sim/Objects.h"
#include "sim/World.h"
#include "support/ThreadContext.h"
