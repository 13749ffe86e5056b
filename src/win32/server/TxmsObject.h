#pragma once
// CTxms, the component's one creatable class: a COM object over the core's transmitter
// collection (vq::Txms). It answers _CTxms both through its vtable and through IDispatch (the
// embedded type library), raises __CTxms through its connection point, and describes itself
// through IProvideClassInfo2 and ISupportErrorInfo.
//
// Lifetime. Transmitters receive this object as their Parent, so each transmitter in the list
// holds a reference to it while the list holds the transmitter. Those references are counted
// when they are taken (the change of the reference count across the Parent assignment), and
// the count for the transmitters currently in the list is kept in m_Owned. When a Release
// leaves no references but those (count == m_Owned), nobody outside can reach the collection
// any more: it is torn down as if destroyed (the core collection and its transmitters,
// device servers and event sources are released), which drops the transmitters' references
// and, unless a host still holds one of the transmitters, brings the count to zero. A
// transmitter the host still holds keeps a torn-down object alive that fails every call.
// While a call changes the list (Add, Remove, Clear, Load, the windows) the check is off:
// transmitters leaving the list give their references back before m_Owned is recounted, and
// the caller holds a reference of its own anyway. The count assumes that a transmitter keeps
// its Parent reference while it is in the list.

#include <memory>

#include "collection/Txms.h"
#include "support/Signal.h"
#include "vqTransmitters32.h"
#include "win32/com/Automation.h"
#include "win32/com/ConnectionPoint.h"

namespace vq::win32 {

class TxmsObject final : public DispatchFromTypeInfo<_CTxms>,
                         public IConnectionPointContainer,
                         public IProvideClassInfo2,
                         public ISupportErrorInfo,
                         public ModuleObject {
  public:
    /// Creates a CTxms and returns the requested interface (class factory).
    static HRESULT Create(REFIID riid, void** object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // _CTxms, in vtable order.
    HRESULT STDMETHODCALLTYPE Add(VARIANT* IndexKey, LONG* TxmType, SHORT* Address, SHORT* ComPort,
                                  BSTR* ComSettings, LONG* Protocol, BSTR* Name,
                                  VARIANT_BOOL* AutoConnect, VARIANT_BOOL* Silent,
                                  IDispatch** Result) override;
    HRESULT STDMETHODCALLTYPE ActiveTxm(IDispatch** Result) override;
    HRESULT STDMETHODCALLTYPE put_ActiveTxmIndex(SHORT vData) override;
    HRESULT STDMETHODCALLTYPE get_ActiveTxmIndex(SHORT* Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT* vntIndexKey, IDispatch** Result) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE Remove(VARIANT* vntIndexKey) override;
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown** Result) override;
    HRESULT STDMETHODCALLTYPE Initialize(BSTR Path, IDispatch* Host, IDispatch** ComHistory,
                                         SHORT* Result) override;
    HRESULT STDMETHODCALLTYPE get_Servers(IDispatch** Result) override;
    HRESULT STDMETHODCALLTYPE ComponentVersion(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE ShowWizard(SHORT* Result) override;
    HRESULT STDMETHODCALLTYPE Edit(IDispatch** Txm, VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE Save(BSTR FileName, BSTR Section, VARIANT IndexKey,
                                   VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE Load(BSTR FileName, BSTR Section, VARIANT IndexKey,
                                   VARIANT_BOOL AutoConnect, SHORT* Result) override;
    HRESULT STDMETHODCALLTYPE GetNextTxmName(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE get_IniFilePath(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE put_IniFilePath(BSTR NewIniFilePath) override;
    HRESULT STDMETHODCALLTYPE get_OffLine(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE put_OffLine(VARIANT_BOOL NewOffLine) override;
    HRESULT STDMETHODCALLTYPE get_Historian(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE put_Historian(LONG NewHistorian) override;
    HRESULT STDMETHODCALLTYPE Clear() override;

    // IConnectionPointContainer.
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
    // IProvideClassInfo2.
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;
    // ISupportErrorInfo.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    /// The core collection; throws Failure once the object has been torn down.
    Txms& Core();
    /// Called by the Servers object when it dies.
    void ServersObjectGone();

  private:
    class Identity;
    template <class T, class... Args>
    friend ComPtr<T> MakeObject(Args&&... args);
    TxmsObject();
    ~TxmsObject() override;

    /// Marks a change of the list until the returned guard ends; recount: recompute m_Owned.
    auto ListChange(bool recount);
    void FireOnTxmSync(std::string& info);
    /// Releases the core collection; the reference count afterwards.
    ULONG TearDown();
    /// Recomputes m_Owned from the transmitters now in the list.
    void CountOwned();

    std::atomic<ULONG> m_Refs{1};
    std::unique_ptr<Txms> m_Txms;
    std::shared_ptr<Identity> m_Identity;
    ConnectionPoint m_Events;
    Connection m_SyncRelay;
    long m_Owned = 0;
    IDispatch* m_ServersObject =
        nullptr;     // not owned: it holds this object, and tells it when it dies
    int m_Busy = 0;  // > 0 while the list changes or the object is torn down
};

/// A new Servers collection object of a CTxms (ServersObject.cpp).
ComPtr<IDispatch> CreateServersObject(TxmsObject& owner);

}  // namespace vq::win32
