#pragma once
// The simulated components as COM objects, and the way back from COM arguments to the native
// simulated objects. Each native object has at most one COM object at a time (per thread), so
// identities survive a round trip through a client.

#include "SimObject.h"
#include "sim/Objects.h"

namespace sim::win32 {

/// The COM object of a native object while it lives (per thread), or a new one made by build.
ComPtr<IDispatch> Identity(const void* native, const std::function<ComPtr<SimObject>()>& build);

ComPtr<IDispatch> WrapTransmitter(const vq::TransmitterRef& txm);
ComPtr<IDispatch> WrapServer(const vq::DeviceServerRef& server);
ComPtr<IDispatch> WrapCommand(const vq::CommandRef& command);
ComPtr<IDispatch> WrapHost(const std::shared_ptr<sim::HostObject>& host);
ComPtr<IDispatch> WrapAttachment(const std::shared_ptr<sim::Attachment>& attachment);
ComPtr<IDispatch> WrapSplitter(const std::shared_ptr<vq::PathSplitter>& splitter);
ComPtr<IDispatch> WrapChooser(const std::shared_ptr<vq::ConfigChooser>& chooser);
/// The shared service of a world (one COM object per world).
ComPtr<IDispatch> WrapService(World& world);

/// A read-only collection (Count, Item(i) 1-based, _NewEnum) of objects.
ComPtr<IDispatch> MakeList(std::vector<ComPtr<IDispatch>> items);
/// An object with one text property (VersionText, ProtocolText, Text, Name, ...).
ComPtr<IDispatch> MakeTextEntry(const wchar_t* member, std::string text);

/// Pass-through values: named stand-ins become their COM objects and back; other objects are
/// kept as the client gave them.
Variant FromNative(const vq::PassThroughRef& object);
vq::PassThroughRef ToNative(const VARIANT& value);

/// The native object behind an argument; null for Nothing. Throws for other objects.
vq::TransmitterRef NativeTransmitter(const VARIANT& value);
vq::DeviceServerRef NativeServer(const VARIANT& value);
vq::CommandRef NativeCommand(const VARIANT& value);

/// A VARIANT holding an object reference.
Variant ObjectResult(const ComPtr<IDispatch>& object);

}  // namespace sim::win32
