// Unusual VARIANTs a host can pass at the boundary - Empty, Null, Missing, arrays, an object
// without IDispatch, each of them also by reference, text with embedded NULs, and the
// extreme 32-bit positions - and what each member answers: a result the members that absorb
// failures give, or DISP_E_EXCEPTION with a description; never a crash, a leaked or
// over-released reference, or a change where a failure was answered.
#include "Host.h"

namespace vqtest {
namespace {

// An object that offers IUnknown only; it counts its references.
class PlainUnknown final : public IUnknown {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_Refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_Refs; }
    ULONG Refs() const { return m_Refs; }

  private:
    ULONG m_Refs = 1;
};

Variant Missing() {
    Variant v;
    V_VT(&v.Raw()) = VT_ERROR;
    V_ERROR(&v.Raw()) = DISP_E_PARAMNOTFOUND;
    return v;
}

Variant Unknown(IUnknown* object) {
    Variant v;
    V_VT(&v.Raw()) = VT_UNKNOWN;
    V_UNKNOWN(&v.Raw()) = object;
    object->AddRef();
    return v;
}

// One unusual argument, and whether a typed reference to it (VT_BYREF | its type) is legal.
struct Kind {
    const char* Name;
    Variant (*Make)(IUnknown* plain);
    bool TypedRef;
};

const Kind kKinds[] = {
    {"Empty", [](IUnknown*) { return Variant(); }, false},
    {"Null", [](IUnknown*) { return NullValue(); }, false},
    {"Missing", [](IUnknown*) { return Missing(); }, true},
    {"Array", [](IUnknown*) { return Array(); }, true},
    {"IUnknown only", [](IUnknown* plain) { return Unknown(plain); }, true},
    {"text with NULs", [](IUnknown*) { return Str(std::string("on\0e", 4)); }, true},
    {"2^31 - 1", [](IUnknown*) { return I4(INT32_MAX); }, true},
    {"-2^31", [](IUnknown*) { return I4(INT32_MIN); }, true},
};

enum class Passing { Value, VariantRef, TypedRef };

struct Filled {
    ComPtr<IDispatch> World = vqtest::World();
    ComPtr<IDispatch> Txms = NewTxms();
    PlainUnknown Plain;
    Filled() {
        EXPECT_EQ(3, InitializeTxms(Txms.Get(), World.Get()));
        AddSilently(Txms.Get(), "one", 1, 1, "One");
        AddSilently(Txms.Get(), "", 2, 2, "Two");
    }
    long Count() { return GetLong(Txms.Get(), L"Count"); }
    /// Calls a member with the kind as its argument at position at, others as given.
    Outcome Call(const wchar_t* member, const Kind& kind, Passing passing,
                 std::vector<Variant> others = {}, std::size_t at = 0) {
        Var arg = Var{kind.Make(&Plain)};
        std::vector<VARIANT> args;
        for (const Variant& other : others) args.push_back(In(other));
        const VARIANT unusual =
            passing == Passing::Value ? In(arg.Value) : arg.ByRef(passing == Passing::VariantRef);
        args.insert(args.begin() + static_cast<std::ptrdiff_t>(at), unusual);
        return CallByName(Txms.Get(), member, args);
    }
};

std::vector<Passing> Passings(const Kind& kind) {
    std::vector<Passing> passings{Passing::Value, Passing::VariantRef};
    if (kind.TypedRef) passings.push_back(Passing::TypedRef);
    return passings;
}

std::string Label(const Kind& kind, Passing passing) {
    static const char* const names[] = {"by value", "by Variant reference", "by typed reference"};
    return std::string(kind.Name) + " " + names[static_cast<int>(passing)];
}

// A failure as the boundary must give it: DISP_E_EXCEPTION from this component, with a code
// and a description.
void ExpectClearFailure(const Outcome& outcome, const std::string& label) {
    EXPECT_EQ(DISP_E_EXCEPTION, outcome.Hr) << label;
    EXPECT_EQ("vqTransmitters32", outcome.Source) << label;
    EXPECT_TRUE(FAILED(outcome.Code)) << label;
    EXPECT_FALSE(outcome.Description.empty()) << label;
}

TEST(BadInput, ItemAnswersNothingAndRemoveFailsForEveryUnusualKey) {
    Filled f;
    for (const Kind& kind : kKinds) {
        for (const Passing passing : Passings(kind)) {
            const std::string label = Label(kind, passing);
            const Outcome item = f.Call(L"Item", kind, passing);
            EXPECT_EQ(S_OK, item.Hr) << label << ": " << item.Description;
            EXPECT_FALSE(ObjectOf(item.Result)) << label;
            ExpectClearFailure(f.Call(L"Remove", kind, passing), label);
            EXPECT_EQ(2, f.Count()) << label;
        }
    }
    EXPECT_EQ(1u, f.Plain.Refs()) << "every reference taken was given back";
}

TEST(BadInput, AddTakesEmptyAndTextAsKeysAndRefusesTheRest) {
    Filled f;
    const std::vector<Variant> rest = {
        I4(1),       I2(7),     I2(1), Str("4800,n,8,1"), I4(1), Str(std::string("Na\0me", 5)),
        Bool(false), Bool(true)};
    long expected = 2;
    bool keyTaken = false;
    for (const Kind& kind : kKinds) {
        for (const Passing passing : Passings(kind)) {
            const std::string label = Label(kind, passing);
            const Outcome added = f.Call(L"Add", kind, passing, rest);
            EXPECT_EQ(S_OK, added.Hr) << label << ": " << added.Description;
            const bool key = std::string(kind.Name) == "text with NULs";
            // Empty means no key; the text with NULs is a key the first time only.
            const bool takes = std::string(kind.Name) == "Empty" || (key && !keyTaken);
            EXPECT_EQ(takes, static_cast<bool>(ObjectOf(added.Result))) << label;
            if (takes) ++expected;
            keyTaken = keyTaken || key;
            EXPECT_EQ(expected, f.Count()) << label;
        }
    }
    // The key and the name keep what follows their NULs.
    const ComPtr<IDispatch> keyed = ObjectOf(f.Call(L"Item", kKinds[5], Passing::Value).Result);
    ASSERT_TRUE(keyed);
    EXPECT_EQ(std::string("Na\0me", 5), GetText(keyed.Get(), L"Name"));
    EXPECT_FALSE(ObjectOf(CallByName(f.Txms.Get(), L"Item", {In(Str("on"))}).Result));
    EXPECT_EQ(1u, f.Plain.Refs());
}

TEST(BadInput, SaveAndLoadIndexKeysAndExtremePositions) {
    Filled f;
    const Variant file = Str(TextOf(Get(f.World.Get(), L"Folder")) + "\\bad.txm");
    const Variant section = Str("TxmConfiguration");
    for (const Kind& kind : kKinds) {
        for (const Passing passing : Passings(kind)) {
            const std::string label = Label(kind, passing);
            const Outcome saved = f.Call(L"Save", kind, passing, {file, section}, 2);
            const std::string name = kind.Name;
            if (name == "Array" || name == "IUnknown only" || name == "text with NULs") {
                ExpectClearFailure(saved, label);
                EXPECT_EQ(static_cast<HRESULT>(0x800A000D), saved.Code) << label;
            } else {
                EXPECT_EQ(S_OK, saved.Hr) << label << ": " << saved.Description;
            }
            // Load ignores its index key, whatever it is.
            const Outcome loaded = f.Call(L"Load", kind, passing, {file, section}, 2);
            EXPECT_EQ(S_OK, loaded.Hr) << label << ": " << loaded.Description;
        }
    }
    // The extreme positions do not fit ActiveTxmIndex: the put is refused, nothing changes.
    const long active = GetLong(f.Txms.Get(), L"ActiveTxmIndex");
    for (const int32_t position : {INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(DISP_E_OVERFLOW, PutByName(f.Txms.Get(), L"ActiveTxmIndex", In(I4(position))).Hr);
        EXPECT_EQ(active, GetLong(f.Txms.Get(), L"ActiveTxmIndex"));
    }
    EXPECT_EQ(1u, f.Plain.Refs());
}

TEST(BadInput, ObjectsWithoutIDispatchWhereObjectsAreNeeded) {
    Filled f;
    PlainUnknown plain;
    // Initialize reads the host object's members: an object it cannot call fails clearly.
    const ComPtr<IDispatch> other = NewTxms();
    Var history = Var{Obj(nullptr)};
    const Outcome init = CallByName(other.Get(), L"Initialize",
                                    {In(Str("C:\\")), In(Unknown(&plain)), history.ByRef(false)});
    // The type library declares the host an object: the dispatch layer asks the object for
    // IDispatch and answers E_NOINTERFACE before the call reaches the component; a call that
    // got through would fail with "Object required".
    EXPECT_TRUE(init.Hr == E_NOINTERFACE ||
                (init.Hr == DISP_E_EXCEPTION && init.Code == static_cast<HRESULT>(0x800A01A8)))
        << std::hex << init.Hr << " " << init.Description;
    // Edit needs a transmitter.
    Var txm = Var{Unknown(&plain)};
    const Outcome edit = CallByName(f.Txms.Get(), L"Edit", {txm.ByRef(true)});
    EXPECT_NE(S_OK, edit.Hr);
    EXPECT_EQ(2, f.Count());
    txm = Var();
    EXPECT_EQ(1u, plain.Refs()) << "every reference taken was given back";
}

}  // namespace
}  // namespace vqtest
