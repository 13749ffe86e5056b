#pragma once
// The connection point of an event interface, embedded in the object that raises the events.
// It shares its owner's reference count. Cookies are slot + 1 and are checked on Unadvise.

#include <string>
#include <vector>

#include "support/Trace.h"
#include "win32/com/Com.h"

namespace vq::win32 {

class ConnectionPoint final : public IConnectionPoint {
  public:
    /// owner is the containing object (reference count and container); iid the event interface;
    /// name what trace lines call the owner (null: connections and events are not traced).
    ConnectionPoint(IConnectionPointContainer& owner, const IID& iid, const char* name = nullptr)
        : m_Owner(owner), m_Iid(iid), m_Name(name) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return m_Owner.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_Owner.Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    const IID& Iid() const { return m_Iid; }
    /// Calls the event with the given arguments on every connected sink, in connection order.
    /// A sink's failure does not stop the others and is not reported.
    void Fire(DISPID id, DISPPARAMS& params);
    /// Fires an event whose one argument is a text passed by reference; what the sinks leave
    /// in it comes back in text.
    void FireText(DISPID id, std::string& text);
    /// Releases every sink (the owner is going away).
    void DisconnectAll();

  private:
    bool Traced() const { return m_Name != nullptr && TraceOn(); }

    IConnectionPointContainer& m_Owner;
    IID m_Iid;
    const char* m_Name;                      // a literal
    std::vector<ComPtr<IDispatch>> m_Sinks;  // null slots are free
};

}  // namespace vq::win32
