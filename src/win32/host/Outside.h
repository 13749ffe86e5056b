#pragma once
// Calls on the host product's components through IDispatch: by name, with each name's dispatch
// id looked up once per object type (the type's GUID from its type information, or the single
// object when it has none), or by fixed dispatch id. A failed call throws Failure with the
// component's own code and description, prefixed with what was called.

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "win32/com/Variants.h"

namespace vq::win32 {

/// Argument builders for calls.
Variant Text(const std::string& utf8);
Variant Long(int32_t n);
Variant Short(int16_t n);
Variant Bool(VbBool b);
/// By-reference arguments point at the caller's storage, which must outlive the call.
Variant RefText(BSTR* text);
Variant RefObject(IDispatch** object);

class Outside {
  public:
    Outside() = default;
    /// role names the component in failure descriptions ("transmitter", "device server", ...).
    Outside(ComPtr<IDispatch> object, const char* role);

    IDispatch* Get() const { return m_Object.Get(); }
    const ComPtr<IDispatch>& Ptr() const { return m_Object; }
    const char* Role() const { return m_Role; }

    /// A method call or property get by name; args in declaration order.
    Variant Call(const wchar_t* name, std::vector<Variant> args = {});
    /// Property put / put-by-reference by name.
    void Put(const wchar_t* name, Variant value);
    void PutRef(const wchar_t* name, Variant value);
    /// Property get and put by fixed dispatch id.
    Variant GetById(DISPID id);
    void PutById(DISPID id, Variant value);

    /// The dispatch id of a name (cached per object type).
    DISPID IdOf(const wchar_t* name);

  private:
    struct NameTable {
        std::unordered_map<std::wstring, DISPID> Ids;
    };
    Variant Invoke(DISPID id, WORD flags, std::vector<Variant>& args, const std::wstring& what);
    std::shared_ptr<NameTable>& Names();

    ComPtr<IDispatch> m_Object;
    const char* m_Role = "component";
    std::shared_ptr<NameTable> m_Names;
};

/// Result conversions.
std::string AsText(const Variant& v);
int16_t AsShort(const Variant& v);
int32_t AsLong(const Variant& v);
VbBool AsBool(const Variant& v);
/// The object a result holds; null for Nothing. Throws Failure for a non-object.
ComPtr<IDispatch> AsObject(const Variant& v, const char* what);

/// The elements of an outside collection: through _NewEnum (IEnumVARIANT) when it has one,
/// else through Count and Item(i), 1-based.
std::vector<Variant> Elements(Outside& collection);

class EventSink;

/// Receives the events of an outside object for the core's handlers. The source interface is
/// the default source of the object's class (IProvideClassInfo), or else the only connection
/// point of the object; incoming dispatch ids are mapped to event names through that
/// interface's type information.
///
/// A subscription lasts while core handlers listen: once listening() says none does, it is
/// ended (the outside connection point lets go of the component's sink) when the call into
/// the component in which the last handler disconnected returns.
class EventSubscription {
  public:
    using Handler = std::function<void(const std::wstring& name, DISPPARAMS& params)>;
    EventSubscription();
    EventSubscription(const EventSubscription&) = delete;
    EventSubscription& operator=(const EventSubscription&) = delete;
    ~EventSubscription();

    /// Connects the handler to the object's events; false (and nothing connected) when the
    /// object has no usable event source.
    bool Connect(const Outside& source, Handler handler, std::function<bool()> listening);
    void Disconnect();
    bool Connected() const { return m_Cookie != 0; }

  private:
    friend void DropIdleSubscriptions() noexcept;

    ComPtr<IConnectionPoint> m_Point;
    ComPtr<EventSink> m_Sink;
    DWORD m_Cookie = 0;
    std::function<bool()> m_Listening;
    // This thread's connected subscriptions form a list (not owning).
    EventSubscription* m_Previous = nullptr;
    EventSubscription* m_Next = nullptr;
};

/// Ends this thread's subscriptions that no core handler listens to any more.
void DropIdleSubscriptions() noexcept;

/// Marks a call into the component (a member of its objects, an event it receives) for its
/// scope; when the outermost one on the thread ends, idle subscriptions are dropped.
class ComponentCall {
  public:
    ComponentCall();
    ComponentCall(const ComponentCall&) = delete;
    ComponentCall& operator=(const ComponentCall&) = delete;
    ~ComponentCall();
};

}  // namespace vq::win32
