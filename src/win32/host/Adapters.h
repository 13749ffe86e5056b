#pragma once
// The host product's components (support/Product.h) implemented over IDispatch, and the
// conversions between the core's references and the automation objects behind them.

#include <memory>

#include "support/Product.h"
#include "win32/host/Outside.h"

namespace vq::win32 {

/// The transmitter adapter for an automation object; the same adapter while one is alive for
/// the same object on this thread, so that the core can compare transmitters. Null for null.
TransmitterRef WrapTransmitter(const ComPtr<IDispatch>& object);
/// The device-server adapter for an automation object, with the same identity rule.
DeviceServerRef WrapServer(const ComPtr<IDispatch>& object);

/// The command-object adapter for an automation object; null for null.
CommandRef WrapCommand(const ComPtr<IDispatch>& object);

/// The automation object behind an adapter; null for null. Throws Failure for objects that
/// were not made by these adapters.
ComPtr<IDispatch> DispatchOf(const TransmitterRef& txm);
ComPtr<IDispatch> DispatchOf(const DeviceServerRef& server);

/// The number of references a transmitter took on its collection's own object when that
/// object was given to it as Parent (see TxmsObject.h); 0 for other transmitters.
long ParentGrant(const TransmitterRef& txm);

/// Raises a signal with an event's first argument, a text by reference or by value, and
/// writes a text the handlers changed back to a by-reference argument.
void RaiseWithText(Signal<std::string&>& signal, DISPPARAMS& params);

/// The host object given to Initialize.
std::shared_ptr<HostObject> WrapHost(const ComPtr<IDispatch>& host);

/// The thread's factory of the host product's components, created by their ProgIDs.
std::shared_ptr<ProductFactory> CreateComProduct();

class PlacementObject;

/// An automation object over a window of the core, for the shared service's placement calls;
/// it stops answering (failing every call) when detached. Implemented in PlacementObject.cpp.
class PlacementHandle {
  public:
    explicit PlacementHandle(PlacementWindow& window);
    PlacementHandle(const PlacementHandle&) = delete;
    PlacementHandle& operator=(const PlacementHandle&) = delete;
    ~PlacementHandle();  // detaches and releases the object
    Variant AsArgument() const;

  private:
    ComPtr<PlacementObject> m_Object;
};

}  // namespace vq::win32
