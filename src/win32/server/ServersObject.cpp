// The Servers collection object: the live device-server list of one CTxms.
#include "support/Failure.h"
#include "win32/com/Enumerator.h"
#include "win32/host/Adapters.h"
#include "win32/host/Entry.h"
#include "win32/server/TxmsObject.h"

namespace vq::win32 {

namespace {

class ServersObject final : public DispatchFromTypeInfo<_CServers>,
                            public ISupportErrorInfo,
                            public RefCounted {
  public:
    explicit ServersObject(TxmsObject& owner) : m_Owner(owner) { m_Owner.AddRef(); }
    ~ServersObject() override {
        m_Owner.ServersObjectGone();
        m_Owner.Release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, IID__CServers))
            *object = static_cast<_CServers*>(this);
        else if (IsEqualIID(riid, IID_ISupportErrorInfo))
            *object = static_cast<ISupportErrorInfo*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, IID__CServers) ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Add(IDispatch* Item, VARIANT Key) override {
        return Entry(IID__CServers, EntryTrace("Servers.Add", Item, Key), nullptr, [&] {
            const DeviceServerRef server = WrapServer(ComPtr<IDispatch>(Item));
            if (!server)
                throw Failure(Codes::ObjectRequired,
                              "Object required: Servers.Add needs a device server");
            const Value key = ToValue(Key);
            if (key.IsMissing() || key.IsEmpty())
                List().Add(server);
            else
                List().Add(server, key.ToText());
        });
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* Result) override {
        return Entry(IID__CServers, EntryTrace("Servers.Count"), Result, [&] {
            RequireOut(Result, "the count");
            *Result = List().Count();
        });
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT Index, IDispatch** Result) override {
        return Entry(IID__CServers, EntryTrace("Servers.Item", Index), Result, [&] {
            RequireOut(Result, "the server");
            *Result = nullptr;
            *Result = DispatchOf(Find(ToValue(Index))).Detach();
        });
    }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT Index) override {
        return Entry(IID__CServers, EntryTrace("Servers.Remove", Index), nullptr, [&] {
            const Value index = ToValue(Index);
            if (index.IsText())
                List().Remove(index.Text());
            else
                List().RemoveAt(Position(index));
        });
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** Result) override {
        return Entry(IID__CServers, EntryTrace("Servers._NewEnum"), Result, [&] {
            RequireOut(Result, "the enumerator");
            *Result = nullptr;
            VariantEnumerator::Snapshot items;
            for (const auto& entry : List())
                items.push_back(ObjectVariant(DispatchOf(entry.Item).Get()));
            *Result = VariantEnumerator::Create(std::move(items), "Servers enumerator").Detach();
        });
    }

  private:
    OrderedCollection<DeviceServerRef>& List() { return m_Owner.Core().Servers(); }
    static int32_t Position(const Value& index) {
        if (!index.IsNumber())
            throw Failure(Codes::TypeMismatch,
                          "Type mismatch: " + index.Describe() + " is not a position");
        return index.ToInt32();
    }
    const DeviceServerRef& Find(const Value& index) {
        if (index.IsText()) return List().At(index.Text());
        return List().At(Position(index));
    }

    TxmsObject& m_Owner;
};

}  // namespace

ComPtr<IDispatch> CreateServersObject(TxmsObject& owner) {
    const ComPtr<ServersObject> made = MakeObject<ServersObject>(owner);
    return ComPtr<IDispatch>(static_cast<_CServers*>(made.Get()));
}

}  // namespace vq::win32
