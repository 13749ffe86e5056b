#include "win32/com/Variants.h"

#include "support/Failure.h"

namespace vq::win32 {

namespace {

const VARIANT& Dereferenced(const VARIANT& v) {
    const VARIANT* current = &v;
    while (V_VT(current) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(current) != nullptr)
        current = V_VARIANTREF(current);
    return *current;
}

// Scalars held directly or by reference.
template <class T>
T Scalar(const VARIANT& v, T direct, T* byRef) {
    return (V_VT(&v) & VT_BYREF) ? (byRef ? *byRef : T{}) : direct;
}

const char* TypeName(VARTYPE type) {
    if (type & VT_ARRAY) return "Array";
    switch (type & VT_TYPEMASK) {
        case VT_RECORD:
            return "Record";
        case VT_ERROR:
            return "Error";
        case VT_DATE:
            return "Date";
        default:
            return "unknown";
    }
}

}  // namespace

Value ToValue(const VARIANT& original) {
    const VARIANT& v = Dereferenced(original);
    const VARTYPE type = V_VT(&v);
    if (type & VT_ARRAY) return Value::Unsupported("Array");
    switch (type & VT_TYPEMASK) {
        case VT_EMPTY:
            return Value();
        case VT_NULL:
            return Value::Null();
        case VT_BOOL:
            return Value(VbBool(Scalar(v, V_BOOL(&v), V_BOOLREF(&v))));
        case VT_I1:
            return Value(Scalar(v, V_I1(&v), V_I1REF(&v)));
        case VT_UI1:
            return Value(Scalar(v, V_UI1(&v), V_UI1REF(&v)));
        case VT_I2:
            return Value(Scalar(v, V_I2(&v), V_I2REF(&v)));
        case VT_UI2:
            return Value(Scalar(v, V_UI2(&v), V_UI2REF(&v)));
        case VT_I4:
            return Value(Scalar(v, V_I4(&v), V_I4REF(&v)));
        case VT_UI4:
            return Value(Scalar(v, V_UI4(&v), V_UI4REF(&v)));
        case VT_INT:
            return Value(Scalar(v, V_INT(&v), V_INTREF(&v)));
        case VT_UINT:
            return Value(Scalar(v, V_UINT(&v), V_UINTREF(&v)));
        case VT_I8:
            return Value(Scalar(v, V_I8(&v), V_I8REF(&v)));
        case VT_UI8:
            return Value(static_cast<double>(Scalar(v, V_UI8(&v), V_UI8REF(&v))));
        case VT_R4:
            return Value(Scalar(v, V_R4(&v), V_R4REF(&v)));
        case VT_R8:
            return Value(Scalar(v, V_R8(&v), V_R8REF(&v)));
        case VT_CY: {
            const CY cy = Scalar(v, V_CY(&v), V_CYREF(&v));
            return Value(static_cast<double>(cy.int64) / 10000.0);
        }
        case VT_DECIMAL: {
            double d = 0;
            const DECIMAL* dec = (type & VT_BYREF) ? V_DECIMALREF(&v) : &V_DECIMAL(&v);
            if (dec == nullptr || FAILED(VarR8FromDec(const_cast<DECIMAL*>(dec), &d)))
                return Value::Unsupported("Decimal");
            return Value(d);
        }
        case VT_BSTR:
            return Value(FromBstr(Scalar(v, V_BSTR(&v), V_BSTRREF(&v))));
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return Value::Object(ToPassThrough(v));
        case VT_ERROR:
            if (Scalar(v, V_ERROR(&v), V_ERRORREF(&v)) == DISP_E_PARAMNOTFOUND)
                return Value::Missing();
            return Value::Unsupported("Error");
        default:
            return Value::Unsupported(TypeName(type));
    }
}

Variant ToVariant(const Value& value) {
    Variant result;
    VARIANT& v = result.Raw();
    switch (value.GetKind()) {
        case Value::Kind::Empty:
            break;
        case Value::Kind::Null:
            V_VT(&v) = VT_NULL;
            break;
        case Value::Kind::Missing:
            V_VT(&v) = VT_ERROR;
            V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
            break;
        case Value::Kind::Boolean:
            V_VT(&v) = VT_BOOL;
            V_BOOL(&v) = value.Boolean().Value;
            break;
        case Value::Kind::Integer:
            if (value.Integer() >= INT32_MIN && value.Integer() <= INT32_MAX) {
                V_VT(&v) = VT_I4;
                V_I4(&v) = static_cast<LONG>(value.Integer());
            } else {
                V_VT(&v) = VT_R8;
                V_R8(&v) = static_cast<double>(value.Integer());
            }
            break;
        case Value::Kind::Real:
            V_VT(&v) = VT_R8;
            V_R8(&v) = value.Real();
            break;
        case Value::Kind::Text:
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = ToBstr(value.Text());
            break;
        case Value::Kind::Object:
            return ToVariant(value.ObjectRef());
        case Value::Kind::Unsupported:
            throw Failure(Codes::TypeMismatch,
                          "Type mismatch: " + value.Describe() + " cannot be passed on");
    }
    return result;
}

PassThroughRef ToPassThrough(const VARIANT& original) {
    const VARIANT& v = Dereferenced(original);
    const VARTYPE type = V_VT(&v) & ~VT_BYREF;
    if (type == VT_EMPTY) return nullptr;
    if ((type == VT_DISPATCH || type == VT_UNKNOWN)) {
        IUnknown* object = (V_VT(&v) & VT_BYREF) ? (V_UNKNOWNREF(&v) ? *V_UNKNOWNREF(&v) : nullptr)
                                                 : V_UNKNOWN(&v);
        if (object == nullptr) return nullptr;
        Variant kept;
        V_VT(&kept.Raw()) = type;
        V_UNKNOWN(&kept.Raw()) = ComPtr<IUnknown>(object).Detach();
        return std::make_shared<ComPassThrough>(std::move(kept));
    }
    Variant kept;
    if (FAILED(VariantCopyInd(&kept.Raw(), const_cast<VARIANT*>(&v))))
        throw Failure(Codes::TypeMismatch, "Type mismatch: the value cannot be kept");
    return std::make_shared<ComPassThrough>(std::move(kept));
}

Variant ObjectVariant(IDispatch* object) {
    Variant result;
    V_VT(&result.Raw()) = VT_DISPATCH;
    V_DISPATCH(&result.Raw()) = ComPtr<IDispatch>(object).Detach();
    return result;
}

Variant ToVariant(const PassThroughRef& object) {
    if (!object) return ObjectVariant(nullptr);
    if (const auto* kept = dynamic_cast<const ComPassThrough*>(object.get()))
        return Variant::Copy(kept->Get());
    if (const auto* parent = dynamic_cast<const CollectionParent*>(object.get()))
        return ObjectVariant(parent->Dispatch());
    throw Failure(Codes::TypeMismatch, "Type mismatch: the object cannot be passed to a component");
}

ComPtr<IDispatch> ToDispatch(const VARIANT& original, const char* what) {
    const VARIANT& v = Dereferenced(original);
    const VARTYPE type = V_VT(&v) & ~VT_BYREF;
    if (type == VT_EMPTY) return nullptr;
    if (type == VT_ERROR && ToValue(v).IsMissing()) return nullptr;
    if (type == VT_DISPATCH || type == VT_UNKNOWN) {
        IUnknown* object = (V_VT(&v) & VT_BYREF) ? (V_UNKNOWNREF(&v) ? *V_UNKNOWNREF(&v) : nullptr)
                                                 : V_UNKNOWN(&v);
        if (object == nullptr) return nullptr;
        ComPtr<IDispatch> dispatch;
        if (SUCCEEDED(object->QueryInterface(IID_IDispatch, dispatch.PutVoid()))) return dispatch;
    }
    throw Failure(Codes::ObjectRequired,
                  std::string("Object required: ") + what + " is " + ToValue(v).Describe());
}

ComPtr<IDispatch> ToDispatch(const PassThroughRef& object, const char* what) {
    if (!object) return nullptr;
    if (const auto* parent = dynamic_cast<const CollectionParent*>(object.get()))
        return ComPtr<IDispatch>(parent->Dispatch());
    if (const auto* kept = dynamic_cast<const ComPassThrough*>(object.get()))
        return ToDispatch(kept->Get(), what);
    throw Failure(Codes::ObjectRequired, std::string("Object required: ") + what);
}

}  // namespace vq::win32
