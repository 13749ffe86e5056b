#pragma once
// The COM face of one simulated component: an IDispatch whose members are registered by name
// with handlers, optionally an event source (connection point plus class information from the
// simulator's type library), and a reference to the native simulated object it stands for.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/Signal.h"
#include "win32/com/Automation.h"
#include "win32/com/ConnectionPoint.h"
#include "win32/com/Variants.h"

namespace sim::win32 {

using vq::win32::ComPtr;
using vq::win32::Variant;

/// One call as a member's handler sees it.
class Call {
  public:
    Call(WORD flags, DISPPARAMS& params, VARIANT* result);
    /// Positional arguments (without the value of a property put).
    std::size_t Count() const { return m_Count; }
    /// Argument i in declaration order; throws the wrong-number-of-arguments failure.
    VARIANT& Arg(std::size_t i);
    vq::Value ValueOf(std::size_t i) { return vq::win32::ToValue(Arg(i)); }
    std::string Text(std::size_t i) { return ValueOf(i).ToText(); }
    int32_t Long(std::size_t i) { return ValueOf(i).ToInt32(); }
    int16_t Short(std::size_t i) { return ValueOf(i).ToInt16(); }
    bool IsPut() const { return (m_Flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
    /// The assigned value of a property put.
    VARIANT& PutValue();
    void Return(Variant value);

  private:
    WORD m_Flags;
    DISPPARAMS& m_Params;
    VARIANT* m_Result;
    std::size_t m_Count;
};

using Handler = std::function<void(Call&)>;

/// What a SimObject stands for, so that arguments can be taken back to native objects.
enum class Kind { Plain, Transmitter, Server, Command, Named, Host, Attachment };

class SimObject final : public IDispatch,
                        public IConnectionPointContainer,
                        public IProvideClassInfo,
                        public vq::win32::RefCounted {
  public:
    /// A new object (one reference). coclass: its class in the simulator's type library (type
    /// information, and the event interface for objects that raise events), or null.
    static ComPtr<SimObject> Create(Kind kind, const GUID* coclass = nullptr,
                                    const IID* events = nullptr);
    /// The SimObject behind an interface pointer; null for other objects.
    static SimObject* From(IUnknown* object);

    /// A method or read-only property (answers DISPATCH_METHOD and DISPATCH_PROPERTYGET).
    void Method(const wchar_t* name, Handler handler, DISPID id = DISPID_UNKNOWN);
    /// A property with get and put (put also answers put-by-reference).
    void Property(const wchar_t* name, Handler get, Handler put, DISPID id = DISPID_UNKNOWN);
    /// Raises an event on every connected sink.
    void Fire(DISPID id, DISPPARAMS& params);
    /// Raises an event whose one argument is a text by reference; the sinks' changes come back.
    void FireText(DISPID id, std::string& text);

    Kind GetKind() const { return m_Kind; }
    /// The native object it stands for, kept alive by it.
    std::shared_ptr<void> Native;
    /// Whether IProvideClassInfo is offered (otherwise clients find the only connection point).
    bool OfferClassInfo = true;
    /// Connections to the native object's signals, ended with the object.
    std::vector<vq::Connection> Links;
    /// Called when the object dies (identity maps forget it).
    std::function<void()> OnDestroy;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argError) override;
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;

  private:
    template <class T, class... Args>
    friend ComPtr<T> vq::win32::MakeObject(Args&&... args);
    SimObject(Kind kind, const GUID* coclass, const IID* events);
    ~SimObject() override;

    struct Member {
        std::wstring Name;
        DISPID Id;
        Handler Get;
        Handler Put;
    };
    Kind m_Kind;
    GUID m_Class{};
    bool m_HasClass = false;
    std::unique_ptr<vq::win32::ConnectionPoint> m_Events;
    std::vector<Member> m_Members;
};

}  // namespace sim::win32
