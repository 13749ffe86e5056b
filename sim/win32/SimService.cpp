// COM faces of the simulated shared service and its objects, the path splitter, the
// configuration chooser, the device servers and their port objects.
#include "SimClasses.h"
#include "support/Failure.h"
#include "vqSimProduct.h"
#include "win32/host/Outside.h"

namespace sim::win32 {

using vq::win32::ToValue;

namespace {

Variant Text(const std::string& text) {
    return vq::win32::ToVariant(vq::Value(text));
}
Variant Number(int64_t n) {
    return vq::win32::ToVariant(vq::Value(n));
}
ComPtr<IDispatch> AsDispatch(const ComPtr<SimObject>& o) {
    return ComPtr<IDispatch>(static_cast<IDispatch*>(o.Get()));
}

// A window handed to the placement calls, reached through its automation object.
class DispatchWindow final : public vq::PlacementWindow {
  public:
    explicit DispatchWindow(const VARIANT& window)
        : m_Window(vq::win32::ToDispatch(window, "the window"), "window") {}
    int32_t Left() override { return Get(L"Left"); }
    int32_t Top() override { return Get(L"Top"); }
    int32_t Width() override { return Get(L"Width"); }
    int32_t Height() override { return Get(L"Height"); }
    int32_t WindowState() override { return Get(L"WindowState"); }
    void SetLeft(int32_t twips) override { Set(L"Left", twips); }
    void SetTop(int32_t twips) override { Set(L"Top", twips); }
    void SetWidth(int32_t twips) override { Set(L"Width", twips); }
    void SetHeight(int32_t twips) override { Set(L"Height", twips); }
    void SetWindowState(int32_t state) override { Set(L"WindowState", state); }
    int64_t WindowHandle() override { return Get(L"hWnd"); }

  private:
    int32_t Get(const wchar_t* name) { return vq::win32::AsLong(m_Window.Call(name)); }
    void Set(const wchar_t* name, int32_t value) { m_Window.Put(name, vq::win32::Long(value)); }
    vq::win32::Outside m_Window;
};

ComPtr<IDispatch> WrapRegistry(World& world) {
    ComPtr<SimObject> o =
        SimObject::Create(Kind::Plain, &CLSID_SimRegistry, &DIID__SimRegistryEvents);
    sim::Registry& r = world.Registry();
    o->Method(L"TypeInstalled", [&r](Call& c) { r.TypeInstalled(c.Text(0)); });
    o->Method(L"TxmAdded", [&r](Call& c) { r.TxmAdded(NativeTransmitter(c.Arg(0))); });
    o->Method(L"TxmRemoved", [&r](Call& c) { r.TxmRemoved(c.Short(0)); });
    o->Method(L"TxmActivated", [&r](Call& c) { r.TxmActivated(NativeTransmitter(c.Arg(0))); });
    SimObject* self = o.Get();
    o->Links.push_back(
        r.AutoConnet().Connect([self](std::string& settings) { self->FireText(1, settings); }));
    o->Links.push_back(r.TimeOut().Connect([self] {
        DISPPARAMS params{nullptr, nullptr, 0, 0};
        self->Fire(2, params);
    }));
    o->Links.push_back(r.TxmConnected().Connect([self](vq::TransmitterRef& txm) {
        ComPtr<IDispatch> object = WrapTransmitter(txm);
        VARIANT arg;
        V_VT(&arg) = VT_DISPATCH | VT_BYREF;
        V_DISPATCHREF(&arg) = object.InOut();
        DISPPARAMS params{&arg, nullptr, 1, 0};
        self->Fire(3, params);
        txm = NativeTransmitter(arg);
    }));
    return AsDispatch(o);
}

ComPtr<IDispatch> WrapLanguage(World& world) {
    // No IProvideClassInfo: clients find its events through its only connection point.
    ComPtr<SimObject> o =
        SimObject::Create(Kind::Plain, &CLSID_SimLanguage, &DIID__SimLanguageEvents);
    o->OfferClassInfo = false;
    sim::Language& l = world.Language();
    o->Property(
        L"LanguageIndex", [&l](Call& c) { c.Return(Number(l.LanguageIndex())); },
        [&l](Call& c) { l.SetLanguageIndex(ToValue(c.PutValue()).ToInt32()); });
    o->Method(L"Resources",
              [&l](Call& c) { c.Return(ObjectResult(MakeTextEntry(L"Text", l.ResourcesText()))); });
    SimObject* self = o.Get();
    o->Links.push_back(l.OnLanguageChange().Connect([self](int32_t index) {
        VARIANT arg;
        V_VT(&arg) = VT_I4;
        V_I4(&arg) = index;
        DISPPARAMS params{&arg, nullptr, 1, 0};
        self->Fire(1, params);
    }));
    return AsDispatch(o);
}

ComPtr<IDispatch> WrapPort(const std::shared_ptr<vq::PortObject>& port) {
    if (!port) return nullptr;
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    o->Native = port;
    o->Property(
        L"PortNumber", [port](Call& c) { c.Return(Number(port->PortNumber())); },
        [port](Call& c) { port->SetPortNumber(ToValue(c.PutValue()).ToInt16()); }, 4);
    o->Property(
        L"PortOpen", [port](Call& c) { c.Return(vq::win32::ToVariant(vq::Value(port->Open()))); },
        [port](Call& c) { port->SetOpen(vq::VbBool(ToValue(c.PutValue()).ToInt16())); }, 20);
    o->Property(
        L"CommPort", [port](Call& c) { c.Return(Number(port->HartPortNumber())); },
        [port](Call& c) { port->SetHartPortNumber(ToValue(c.PutValue()).ToInt16()); }, 1);
    o->Method(
        L"CommError", [port](Call& c) { c.Return(Number(port->ErrorValue())); }, 2);
    return AsDispatch(o);
}

// InstallComm with the port history as its last, by-reference argument.
void InstallComm(const std::shared_ptr<vq::DeviceServer>& s, Call& c) {
    if (c.Count() < 2)
        throw vq::Failure(static_cast<int32_t>(0x800A01C2), "InstallComm takes 2 or 3 arguments");
    VARIANT& slot = c.Arg(c.Count() - 1);
    vq::PassThroughRef history = ToNative(slot);
    const vq::PassThroughRef given = history;
    const vq::Value answer = c.Count() == 3
                                 ? s->InstallComm(ToNative(c.Arg(0)), ToNative(c.Arg(1)), history)
                                 : s->InstallComm(ToNative(c.Arg(0)), history);
    if (history != given && V_VT(&slot) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(&slot))
        vq::win32::AssignInOut(V_DISPATCHREF(&slot),
                               vq::win32::ToDispatch(FromNative(history).Raw(), "the history"));
    c.Return(vq::win32::ToVariant(answer));
}

}  // namespace

ComPtr<IDispatch> WrapServer(const vq::DeviceServerRef& server) {
    if (!server) return nullptr;
    return Identity(server.get(), [&] {
        ComPtr<SimObject> o =
            SimObject::Create(Kind::Server, &CLSID_SimServer, &DIID__SimServerEvents);
        o->Native = server;
        const std::shared_ptr<vq::DeviceServer> s = server;
        o->Method(L"TypeName", [s](Call& c) { c.Return(Text(s->TypeName())); });
        o->Method(L"LoadSettings",
                  [s](Call& c) { c.Return(vq::win32::ToVariant(s->LoadSettings(c.Text(0)))); });
        o->Method(L"InstallComm", [s](Call& c) { InstallComm(s, c); });
        o->Method(L"Protocols", [s](Call& c) {
            std::vector<ComPtr<IDispatch>> entries;
            for (const std::string& text : s->Protocols())
                entries.push_back(MakeTextEntry(L"ProtocolText", text));
            c.Return(ObjectResult(MakeList(std::move(entries))));
        });
        o->Method(L"GetComObject",
                  [s](Call& c) { c.Return(ObjectResult(WrapPort(s->GetComObject()))); });
        SimObject* self = o.Get();
        o->Links.push_back(
            s->OnUnitSychronized().Connect([self](std::string& info) { self->FireText(1, info); }));
        return o;
    });
}

ComPtr<IDispatch> WrapSplitter(const std::shared_ptr<vq::PathSplitter>& p) {
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    o->Native = p;
    o->Property(
        L"FullName", [p](Call& c) { c.Return(Text(p->FullName())); },
        [p](Call& c) { p->SetFullName(ToValue(c.PutValue()).ToText()); });
    o->Property(
        L"Folder", [p](Call& c) { c.Return(Text(p->Folder())); },
        [p](Call& c) { p->SetFolder(ToValue(c.PutValue()).ToText()); });
    o->Property(L"SubFolder", {},
                [p](Call& c) { p->SetSubFolder(ToValue(c.PutValue()).ToText()); });
    o->Property(
        L"FileName", [p](Call& c) { c.Return(Text(p->FileName())); },
        [p](Call& c) { p->SetFileName(ToValue(c.PutValue()).ToText()); });
    return AsDispatch(o);
}

ComPtr<IDispatch> WrapChooser(const std::shared_ptr<vq::ConfigChooser>& ch) {
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    o->Native = ch;
    o->Property(L"Txm", {}, [ch](Call& c) { ch->SetTxm(NativeTransmitter(c.PutValue())); });
    o->Method(L"Run", [ch](Call& c) {
        VARIANT& slot = c.Arg(1);
        std::string name = ToValue(slot).ToText();
        ch->Run(c.Long(0), name, c.Long(2), c.Long(3));
        if (V_VT(&slot) == (VT_BSTR | VT_BYREF) && V_BSTRREF(&slot))
            vq::win32::AssignInOut(V_BSTRREF(&slot), name);
    });
    o->Method(L"FileName", [ch](Call& c) { c.Return(Text(ch->FileName())); });
    o->Property(L"Finished", {},
                [ch](Call& c) { ch->SetFinished(vq::VbBool(ToValue(c.PutValue()).ToInt16())); });
    o->Method(L"Answer", [ch](Call& c) { c.Return(vq::win32::ToVariant(ch->Answer())); });
    return AsDispatch(o);
}

ComPtr<IDispatch> WrapService(World& world) {
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    const std::shared_ptr<sim::Service> s = world.Service();
    o->Native = s;
    o->Method(L"SettingsFilePath", [s](Call& c) { c.Return(Text(s->SettingsFilePath())); });
    o->Method(L"ReadSetting", [s](Call& c) {
        c.Return(Text(s->ReadSetting(c.Text(0), c.Text(1), c.Text(2), c.Text(3))));
    });
    o->Method(L"WriteSetting", [s](Call& c) {
        c.Return(vq::win32::ToVariant(
            vq::Value(s->WriteSetting(c.Text(0), c.Text(1), c.Text(2), c.Text(3)))));
    });
    o->Method(L"ClearSection", [s](Call& c) { s->ClearSection(c.Text(0), c.Text(1)); });
    o->Method(L"ListSeparator", [s](Call& c) { c.Return(Text(s->ListSeparator())); });
    o->Method(L"ToInteger", [s](Call& c) { c.Return(Number(s->ToInteger(c.ValueOf(0)))); });
    o->Method(L"RestorePlacement", [s](Call& c) {
        DispatchWindow window(c.Arg(0));
        c.Return(
            vq::win32::ToVariant(s->RestorePlacement(window, c.Text(1), c.Text(2), c.Text(3))));
    });
    o->Method(L"SavePlacement", [s](Call& c) {
        DispatchWindow window(c.Arg(0));
        c.Return(vq::win32::ToVariant(s->SavePlacement(window, c.Text(1), c.Text(2), c.Text(3))));
    });
    o->Method(L"ShowMessage", [s](Call& c) {
        c.Return(
            Number(s->ShowMessage(c.Text(0), c.Long(1), c.Long(2), c.Text(3), ToNative(c.Arg(4)))));
    });
    o->Method(L"GetString", [s](Call& c) { c.Return(Text(s->GetString(c.Long(0)))); });
    o->Method(L"DefaultFolder", [s](Call& c) { c.Return(Text(s->DefaultFolder())); });
    o->Method(L"ServerSettingName",
              [s](Call& c) { c.Return(Text(s->ServerSettingName(c.Long(0)))); });
    // The same sub-objects on every request.
    const ComPtr<IDispatch> language = WrapLanguage(world);
    const ComPtr<IDispatch> registry = WrapRegistry(world);
    const ComPtr<IDispatch> splitter = WrapSplitter(s->PathSplitter());
    o->Method(L"Language", [language](Call& c) { c.Return(ObjectResult(language)); });
    o->Method(L"Registry", [registry](Call& c) { c.Return(ObjectResult(registry)); });
    o->Method(L"PathSplitter", [splitter](Call& c) { c.Return(ObjectResult(splitter)); });
    return AsDispatch(o);
}

}  // namespace sim::win32
