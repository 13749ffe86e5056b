// COM faces of the simulated transmitter and of what hangs off it: command objects, device
// descriptions, attachments, named stand-ins, the host object, and plain lists.
#include <unordered_map>

#include "SimClasses.h"
#include "SimWorld.h"
#include "support/Failure.h"
#include "win32/com/Enumerator.h"

namespace sim::win32 {

using vq::win32::ToValue;

namespace {

// One COM object per native object while it lives. Not owning: an object removes its own entry
// when it dies (OnDestroy).
std::unordered_map<const void*, SimObject*>& Identities() {
    thread_local std::unordered_map<const void*, SimObject*> map;
    return map;
}

template <class T>
std::shared_ptr<T> NativeOf(const VARIANT& value, Kind kind, const char* what) {
    const ComPtr<IDispatch> object = vq::win32::ToDispatch(value, what);
    if (!object) return nullptr;
    SimObject* sim = SimObject::From(object.Get());
    if (sim == nullptr || sim->GetKind() != kind)
        throw vq::Failure(vq::Codes::TypeMismatch,
                          std::string("Type mismatch: ") + what + " is not a simulated one");
    return std::static_pointer_cast<T>(sim->Native);
}

Variant Text(const std::string& text) {
    return vq::win32::ToVariant(vq::Value(text));
}
Variant Number(int64_t n) {
    return vq::win32::ToVariant(vq::Value(n));
}
Variant Boolean(vq::VbBool b) {
    return vq::win32::ToVariant(vq::Value(b));
}

void AddTransmitterSettings(SimObject& o, const std::shared_ptr<sim::Transmitter>& t) {
    o.Property(
        L"TxmType", [t](Call& c) { c.Return(Number(t->TxmType())); },
        [t](Call& c) { t->SetTxmType(ToValue(c.PutValue()).ToInt32()); });
    o.Property(
        L"Address", [t](Call& c) { c.Return(Number(t->Address())); },
        [t](Call& c) { t->SetAddress(ToValue(c.PutValue()).ToInt16()); });
    o.Property(
        L"ComPort", [t](Call& c) { c.Return(Number(t->ComPort())); },
        [t](Call& c) { t->SetComPort(ToValue(c.PutValue()).ToInt16()); });
    o.Property(
        L"ComSettings", [t](Call& c) { c.Return(Text(t->ComSettings())); },
        [t](Call& c) { t->SetComSettings(ToValue(c.PutValue()).ToText()); });
    o.Property(
        L"Protocol", [t](Call& c) { c.Return(Number(t->Protocol())); },
        [t](Call& c) { t->SetProtocol(ToValue(c.PutValue()).ToInt32()); });
    o.Property(
        L"Name", [t](Call& c) { c.Return(Text(t->Name())); },
        [t](Call& c) { t->SetName(ToValue(c.PutValue()).ToText()); });
    o.Property(
        L"Version", [t](Call& c) { c.Return(Text(t->Version())); },
        [t](Call& c) { t->SetVersion(ToValue(c.PutValue()).ToText()); });
    o.Property(
        L"Index", [t](Call& c) { c.Return(Number(t->Index())); },
        [t](Call& c) { t->SetIndex(ToValue(c.PutValue()).ToInt16()); });
    o.Property(
        L"OffLine", [t](Call& c) { c.Return(Boolean(t->OffLine())); },
        [t](Call& c) { t->SetOffLine(vq::VbBool(ToValue(c.PutValue()).ToInt16())); });
    o.Property(
        L"Historian", [t](Call& c) { c.Return(Number(t->Historian())); },
        [t](Call& c) { t->SetHistorian(ToValue(c.PutValue()).ToInt32()); });
    o.Property(
        L"Connected", [t](Call& c) { c.Return(Boolean(t->Connected())); },
        [t](Call& c) { t->SetConnected(vq::VbBool(ToValue(c.PutValue()).ToInt16())); });
}

ComPtr<IDispatch> WrapDeviceInfo(const std::shared_ptr<vq::DeviceInfo>& info) {
    if (!info) return nullptr;
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    o->Native = info;
    o->Method(L"Versions", [info](Call& c) {
        std::vector<ComPtr<IDispatch>> entries;
        for (const std::string& text : info->Versions())
            entries.push_back(MakeTextEntry(L"VersionText", text));
        c.Return(ObjectResult(MakeList(std::move(entries))));
    });
    o->Method(L"GetCommand", [info](Call& c) {
        std::shared_ptr<vq::CommandDefinition> definition = info->GetCommand(c.Text(0));
        if (!definition) return c.Return(ObjectResult(nullptr));
        ComPtr<SimObject> d = SimObject::Create(Kind::Plain);
        d->Native = definition;
        d->Method(L"PrepareCommand", [definition](Call& p) {
            VARIANT& slot = p.Arg(0);
            vq::CommandRef command = NativeCommand(slot);
            definition->PrepareCommand(command);
            if (V_VT(&slot) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(&slot))
                vq::win32::AssignInOut(V_DISPATCHREF(&slot), WrapCommand(command));
        });
        c.Return(ObjectResult(ComPtr<IDispatch>(static_cast<IDispatch*>(d.Get()))));
    });
    return ComPtr<IDispatch>(static_cast<IDispatch*>(o.Get()));
}

void AddTransmitterLinks(SimObject& o, const std::shared_ptr<sim::Transmitter>& t) {
    o.Method(L"TypeText", [t](Call& c) { c.Return(Text(t->TypeText())); });
    o.Property(
        L"Server", [t](Call& c) { c.Return(ObjectResult(WrapServer(t->Server()))); },
        [t](Call& c) { t->SetServer(NativeServer(c.PutValue())); });
    o.Property(
        L"Parent", [t](Call& c) { c.Return(FromNative(t->Parent())); },
        [t](Call& c) { t->SetParent(ToNative(c.PutValue())); });
    o.Method(L"Connect", [t](Call& c) { c.Return(Boolean(t->Connect(vq::VbBool(c.Short(0))))); });
    o.Method(L"Describe", [t](Call& c) { c.Return(Text(t->Describe(c.Long(0)))); });
    o.Method(L"DeviceInfo",
             [t](Call& c) { c.Return(ObjectResult(WrapDeviceInfo(t->DeviceInfo()))); });
    o.Method(L"SendCommand", [t](Call& c) {
        c.Return(Boolean(t->SendCommand(NativeCommand(c.Arg(0)), c.Long(1), c.Long(2))));
    });
    o.Method(L"Attachments", [t](Call& c) {
        std::vector<ComPtr<IDispatch>> items;
        for (const auto& attachment : t->Attachments())
            items.push_back(WrapAttachment(std::dynamic_pointer_cast<sim::Attachment>(attachment)));
        c.Return(ObjectResult(MakeList(std::move(items))));
    });
}

}  // namespace

ComPtr<IDispatch> Identity(const void* native, const std::function<ComPtr<SimObject>()>& build) {
    if (native == nullptr) return nullptr;
    const auto found = Identities().find(native);
    if (found != Identities().end())
        return ComPtr<IDispatch>(static_cast<IDispatch*>(found->second));
    ComPtr<SimObject> object = build();
    Identities()[native] = object.Get();
    object->OnDestroy = [native] { Identities().erase(native); };
    return ComPtr<IDispatch>(static_cast<IDispatch*>(object.Get()));
}

Variant ObjectResult(const ComPtr<IDispatch>& object) {
    return vq::win32::ObjectVariant(object.Get());
}

ComPtr<IDispatch> WrapTransmitter(const vq::TransmitterRef& txm) {
    return Identity(txm.get(), [&] {
        const auto t = std::dynamic_pointer_cast<sim::Transmitter>(txm);
        if (!t) throw vq::Failure(vq::Codes::TypeMismatch, "Not a simulated transmitter");
        ComPtr<SimObject> o = SimObject::Create(Kind::Transmitter);
        o->Native = txm;
        AddTransmitterSettings(*o, t);
        AddTransmitterLinks(*o, t);
        return o;
    });
}

ComPtr<IDispatch> WrapCommand(const vq::CommandRef& command) {
    return Identity(command.get(), [&] {
        ComPtr<SimObject> o = SimObject::Create(Kind::Command);
        o->Native = command;
        o->Method(L"ReplyValue", [command](Call& c) {
            c.Return(vq::win32::ToVariant(command->ReplyValue(c.Long(0))));
        });
        return o;
    });
}

ComPtr<IDispatch> WrapAttachment(const std::shared_ptr<sim::Attachment>& attachment) {
    return Identity(attachment.get(), [&] {
        ComPtr<SimObject> o = SimObject::Create(Kind::Attachment);
        o->Native = attachment;
        o->Method(L"Detach", [attachment](Call&) { attachment->Detach(); });
        o->Method(L"DetachCount",
                  [attachment](Call& c) { c.Return(Number(attachment->DetachCount)); });
        return o;
    });
}

ComPtr<IDispatch> WrapHost(const std::shared_ptr<sim::HostObject>& host) {
    return Identity(host.get(), [&] {
        ComPtr<SimObject> o = SimObject::Create(Kind::Host);
        o->Native = host;
        o->Method(L"comMisc", [host](Call& c) { c.Return(FromNative(host->ComMisc())); });
        o->Method(L"comModem", [host](Call& c) { c.Return(FromNative(host->ComModem())); });
        o->Method(L"ActiveHART1", [host](Call& c) { c.Return(FromNative(host->ActiveHART1())); });
        return o;
    });
}

ComPtr<IDispatch> MakeTextEntry(const wchar_t* member, std::string text) {
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    o->Method(member, [text](Call& c) { c.Return(Text(text)); });
    return ComPtr<IDispatch>(static_cast<IDispatch*>(o.Get()));
}

ComPtr<IDispatch> MakeList(std::vector<ComPtr<IDispatch>> items) {
    auto shared = std::make_shared<std::vector<ComPtr<IDispatch>>>(std::move(items));
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    o->Native = shared;
    o->Method(L"Count",
              [shared](Call& c) { c.Return(Number(static_cast<int64_t>(shared->size()))); });
    o->Method(
        L"Item",
        [shared](Call& c) {
            const int32_t i = c.Long(0);
            if (i < 1 || i > static_cast<int32_t>(shared->size()))
                throw vq::Failure(vq::Codes::SubscriptOutOfRange, "Subscript out of range");
            c.Return(ObjectResult((*shared)[static_cast<std::size_t>(i - 1)]));
        },
        DISPID_VALUE);
    if (ListsWithoutEnum()) return ComPtr<IDispatch>(static_cast<IDispatch*>(o.Get()));
    o->Method(
        L"_NewEnum",
        [shared](Call& c) {
            vq::win32::VariantEnumerator::Snapshot snapshot;
            for (const auto& item : *shared) snapshot.push_back(ObjectResult(item));
            Variant result;
            V_VT(&result.Raw()) = VT_UNKNOWN;
            V_UNKNOWN(&result.Raw()) =
                vq::win32::VariantEnumerator::Create(std::move(snapshot)).Detach();
            c.Return(std::move(result));
        },
        DISPID_NEWENUM);
    return ComPtr<IDispatch>(static_cast<IDispatch*>(o.Get()));
}

Variant FromNative(const vq::PassThroughRef& object) {
    if (!object) return ObjectResult(nullptr);
    if (const auto named = std::dynamic_pointer_cast<sim::NamedObject>(object)) {
        return ObjectResult(Identity(named.get(), [&] {
            ComPtr<SimObject> o = SimObject::Create(Kind::Named);
            o->Native = named;
            o->Method(L"Name", [named](Call& c) { c.Return(Text(named->Name)); });
            return o;
        }));
    }
    return vq::win32::ToVariant(object);
}

vq::PassThroughRef ToNative(const VARIANT& value) {
    const vq::Value v = ToValue(value);
    if (v.IsObject() && v.ObjectRef()) {
        const ComPtr<IDispatch> object = vq::win32::ToDispatch(value, "the object");
        SimObject* sim = object ? SimObject::From(object.Get()) : nullptr;
        if (sim && sim->GetKind() == Kind::Named)
            return std::static_pointer_cast<sim::NamedObject>(sim->Native);
    }
    return vq::win32::ToPassThrough(value);
}

vq::TransmitterRef NativeTransmitter(const VARIANT& value) {
    return NativeOf<vq::Transmitter>(value, Kind::Transmitter, "the transmitter");
}
vq::DeviceServerRef NativeServer(const VARIANT& value) {
    return NativeOf<vq::DeviceServer>(value, Kind::Server, "the device server");
}
vq::CommandRef NativeCommand(const VARIANT& value) {
    return NativeOf<vq::Command>(value, Kind::Command, "the command object");
}

}  // namespace sim::win32
