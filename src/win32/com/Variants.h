#pragma once
// The one place where automation VARIANTs and the core's values meet: Value <-> VARIANT, and
// outside objects that the core only hands on (PassThrough) <-> VARIANT.

#include "support/Product.h"
#include "support/Value.h"
#include "win32/com/Com.h"

namespace vq::win32 {

/// An outside value the core only hands on: usually an object, but any VARIANT is kept as is.
class ComPassThrough final : public PassThrough {
  public:
    explicit ComPassThrough(Variant value) : m_Value(std::move(value)) {}
    const VARIANT& Get() const { return m_Value.Raw(); }

  private:
    Variant m_Value;
};

/// Names an automation object without owning a reference to it. The collection gives its own
/// object to its transmitters as Parent this way (see TxmsObject.h), so that the reference the
/// transmitter takes is one the collection can account for.
class CollectionParent : public PassThrough {
  public:
    /// The object; valid while the object lives.
    virtual IDispatch* Dispatch() const = 0;
    /// The object's current reference count.
    virtual ULONG References() const = 0;
};

/// The value a VARIANT holds, following by-reference variants. Arrays, records and other
/// types the core cannot use become Value::Unsupported; DISP_E_PARAMNOTFOUND becomes Missing.
Value ToValue(const VARIANT& v);

/// A VARIANT for a value. Objects become VT_DISPATCH (or the kept VARIANT of a pass-through);
/// Missing becomes DISP_E_PARAMNOTFOUND. Throws Failure for Unsupported values.
Variant ToVariant(const Value& value);

/// The pass-through for a VARIANT: null for Empty and Nothing, else a ComPassThrough.
PassThroughRef ToPassThrough(const VARIANT& v);
/// The VARIANT for a pass-through: Nothing (VT_DISPATCH null) for null.
Variant ToVariant(const PassThroughRef& object);

/// The IDispatch a VARIANT holds (VT_DISPATCH, VT_UNKNOWN answering IDispatch, by reference
/// too); null for Empty, Nothing and a missing argument. Throws Failure for anything else.
ComPtr<IDispatch> ToDispatch(const VARIANT& v, const char* what);

/// The IDispatch behind a pass-through (ComPassThrough or CollectionParent); null for null.
/// Throws Failure when the pass-through holds no object.
ComPtr<IDispatch> ToDispatch(const PassThroughRef& object, const char* what);

/// A VARIANT holding an object reference (AddRef'd); Nothing for null.
Variant ObjectVariant(IDispatch* object);

}  // namespace vq::win32
