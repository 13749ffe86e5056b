#include "win32/com/ConnectionPoint.h"

#include "win32/com/Enumerator.h"

namespace vq::win32 {

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = m_Iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    ComPtr<IConnectionPointContainer>(&m_Owner).CopyTo(container);
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie) *cookie = 0;
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(m_Iid, dispatch.PutVoid())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, dispatch.PutVoid())))
        return CONNECT_E_CANNOTCONNECT;
    try {
        std::size_t slot = 0;
        while (slot < m_Sinks.size() && m_Sinks[slot]) ++slot;
        if (slot == m_Sinks.size()) m_Sinks.emplace_back();
        m_Sinks[slot] = std::move(dispatch);
        *cookie = static_cast<DWORD>(slot + 1);
        if (Traced())
            TraceLine("call in: " + std::string(m_Name) + " events.Advise(Object) -> cookie " +
                      std::to_string(*cookie));
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    const bool known = cookie != 0 && cookie <= m_Sinks.size() && m_Sinks[cookie - 1];
    if (Traced())
        TraceLine("call in: " + std::string(m_Name) + " events.Unadvise(" + std::to_string(cookie) +
                  ") -> " + (known ? "ok" : "failed " + TraceCode(CONNECT_E_NOCONNECTION)));
    if (!known) return CONNECT_E_NOCONNECTION;
    const ComPtr<IDispatch> released = std::move(m_Sinks[cookie - 1]);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections == nullptr) return E_POINTER;
    *connections = nullptr;
    try {
        ConnectionEnumerator::Snapshot snapshot;
        for (std::size_t i = 0; i < m_Sinks.size(); ++i) {
            if (m_Sinks[i])
                snapshot.push_back({m_Sinks[i].As<IUnknown>(), static_cast<DWORD>(i + 1)});
        }
        *connections = ConnectionEnumerator::Create(std::move(snapshot)).Detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

void ConnectionPoint::Fire(DISPID id, DISPPARAMS& params) {
    const std::vector<ComPtr<IDispatch>> sinks = m_Sinks;  // sinks may unadvise while called
    for (const ComPtr<IDispatch>& sink : sinks) {
        if (!sink) continue;
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
    }
}

void ConnectionPoint::FireText(DISPID id, std::string& text) {
    Bstr value(text);
    VARIANT argument;
    V_VT(&argument) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&argument) = value.InOut();
    DISPPARAMS params{&argument, nullptr, 1, 0};
    Fire(id, params);
    text = value.Text();
}

void ConnectionPoint::DisconnectAll() {
    std::vector<ComPtr<IDispatch>> released;
    released.swap(m_Sinks);
}

}  // namespace vq::win32
