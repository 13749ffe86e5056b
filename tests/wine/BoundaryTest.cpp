// Bad calls at the boundary: wrong variant types, Null, Empty, objects, arrays, text that looks
// like a number, positions out of range, keys that name no entry, missing and extra arguments,
// unknown names and null pointers. Each is answered with a result or a precise error, never a
// crash and never an escaping exception.
#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

struct Filled {
    ComPtr<IDispatch> World = vqtest::World();
    ComPtr<IDispatch> Txms = NewTxms();
    Filled() {
        EXPECT_EQ(3, InitializeTxms(Txms.Get(), World.Get()));
        AddSilently(Txms.Get(), "one", 1, 1, "One");
        AddSilently(Txms.Get(), "2", 2, 2, "Keyed two");
        AddSilently(Txms.Get(), "", 3, 3, "Three");
    }
    Outcome Item(Variant key) {
        Var k = Var::Of(std::move(key));
        return CallByName(Txms.Get(), L"Item", {k.ByRef(true)});
    }
    Outcome Remove(Variant key) {
        Var k = Var::Of(std::move(key));
        return CallByName(Txms.Get(), L"Remove", {k.ByRef(true)});
    }
};

std::string NameOrNothing(const Outcome& outcome) {
    const ComPtr<IDispatch> txm = ObjectOf(outcome.Result);
    return txm ? GetText(txm.Get(), L"Name") : "Nothing";
}

TEST(Boundary, ItemAnswersNothingForEverythingItCannotUse) {
    Filled f;
    struct Case {
        Variant Key;
        std::string Expected;
    };
    std::vector<Case> cases;
    cases.push_back({Str("2"), "Keyed two"});  // text is a key, even when it looks like a number
    cases.push_back({Str("nobody"), "Nothing"});
    cases.push_back({I4(0), "Nothing"});
    cases.push_back({I4(4), "Nothing"});
    cases.push_back({I4(-1), "Nothing"});
    cases.push_back({R8(1e10), "Nothing"});
    cases.push_back({Bool(true), "Nothing"});  // True is -1
    cases.push_back({NullValue(), "Nothing"});
    cases.push_back({EmptyValue(), "Nothing"});
    cases.push_back({Array(), "Nothing"});
    cases.push_back({Obj(f.World.Get()), "Nothing"});
    cases.push_back({Obj(nullptr), "Nothing"});
    cases.push_back({I2(3), "Three"});
    for (Case& c : cases) {
        const Outcome outcome = f.Item(std::move(c.Key));
        EXPECT_EQ(S_OK, outcome.Hr) << c.Expected;
        EXPECT_EQ(c.Expected, NameOrNothing(outcome));
    }
}

TEST(Boundary, RemoveFailsPreciselyAndChangesNothing) {
    Filled f;
    struct Case {
        Variant Key;
        HRESULT Code;
        const char* Mentions;
    };
    std::vector<Case> cases;
    cases.push_back({Str("nobody"), static_cast<HRESULT>(0x800A0005), "nobody"});
    cases.push_back({I4(9), static_cast<HRESULT>(0x800A0009), "9"});
    cases.push_back({NullValue(), static_cast<HRESULT>(0x800A000D), "Null"});
    cases.push_back({Array(), static_cast<HRESULT>(0x800A000D), "Array"});
    cases.push_back({Obj(f.World.Get()), static_cast<HRESULT>(0x800A000D), "object"});
    for (Case& c : cases) {
        const Outcome outcome = f.Remove(std::move(c.Key));
        EXPECT_EQ(DISP_E_EXCEPTION, outcome.Hr) << c.Mentions;
        EXPECT_EQ(c.Code, outcome.Code) << c.Mentions;
        EXPECT_EQ("vqTransmitters32", outcome.Source);
        EXPECT_NE(std::string::npos, outcome.Description.find(c.Mentions)) << outcome.Description;
    }
    EXPECT_EQ(3, GetLong(f.Txms.Get(), L"Count"));
}

TEST(Boundary, ArgumentCountsTypesAndNames) {
    Filled f;
    // Missing required and extra arguments.
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, CallByName(f.Txms.Get(), L"Remove").Hr);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, CallByName(f.Txms.Get(), L"Clear", {In(I4(1))}).Hr);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              CallByName(f.Txms.Get(), L"Save",
                         {In(Str("a")), In(Str("b")), In(I4(1)), In(I4(2)), In(I4(3))})
                  .Hr);
    // Types the parameter cannot take.
    const Outcome text = PutByName(f.Txms.Get(), L"Historian", In(Str("many")));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, text.Hr);
    EXPECT_EQ(DISP_E_OVERFLOW, PutByName(f.Txms.Get(), L"ActiveTxmIndex", In(I4(70000))).Hr);
    EXPECT_NE(S_OK, PutByName(f.Txms.Get(), L"IniFilePath", In(Array())).Hr);
    EXPECT_EQ(2, GetLong(f.Txms.Get(), L"Historian"));
    // Save with an index key that is neither -1 nor a position.
    const Outcome save =
        CallByName(f.Txms.Get(), L"Save", {In(Str("x.ini")), In(Str("S")), In(Str("all"))});
    EXPECT_EQ(DISP_E_EXCEPTION, save.Hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A000D), save.Code);
    // Unknown names and interfaces.
    DISPID id = 0;
    LPOLESTR name[1] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME,
              f.Txms->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, CallById(f.Txms.Get(), 0x6003FFFF).Hr);
    // Edit without a transmitter fails; the list window cannot open yet.
    const Outcome editNothing =
        CallByName(f.Txms.Get(), L"Edit", {Var::Of(Obj(nullptr)).ByRef(false)});
    EXPECT_EQ(DISP_E_EXCEPTION, editNothing.Hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A01A8), editNothing.Code);
    EXPECT_EQ(DISP_E_EXCEPTION, CallByName(f.Txms.Get(), L"ShowWizard").Hr);
    EXPECT_EQ(3, GetLong(f.Txms.Get(), L"Count"));
}

TEST(Boundary, NullPointersThroughTheVtable) {
    Filled f;
    const ComPtr<_CTxms> txms = f.Txms.As<_CTxms>();
    EXPECT_EQ(E_POINTER, txms->get_Count(nullptr));
    EXPECT_EQ(E_POINTER, txms->get_Item(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, txms->Remove(nullptr));
    EXPECT_EQ(E_POINTER, txms->ComponentVersion(nullptr));
    EXPECT_EQ(E_POINTER, txms->get_NewEnum(nullptr));
    EXPECT_EQ(E_POINTER, txms->Initialize(nullptr, nullptr, nullptr, nullptr));
    VARIANT key;
    VariantInit(&key);
    ComPtr<IDispatch> result;
    EXPECT_EQ(E_POINTER, txms->Add(&key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, result.Put()));
    // A null Item key and a null BSTR are taken as Missing and "".
    ComPtr<IDispatch> none;
    EXPECT_EQ(S_OK, txms->get_Item(nullptr, none.Put()));
    EXPECT_FALSE(none);
    EXPECT_EQ(S_OK, txms->put_IniFilePath(nullptr));
    EXPECT_EQ(3, GetLong(f.Txms.Get(), L"Count"));
    // A host object lacking the members Initialize reads.
    const ComPtr<IDispatch> other = NewTxms();
    Var history = Var::Of(Obj(nullptr));
    const Outcome noHost =
        CallByName(other.Get(), L"Initialize",
                   {In(Str("C:\\")), In(Obj(f.World.Get())), history.ByRef(false)});
    EXPECT_EQ(DISP_E_EXCEPTION, noHost.Hr);
    EXPECT_NE(std::string::npos, noHost.Description.find("comMisc")) << noHost.Description;
}

TEST(Boundary, ServersCollectionChecksItsArguments) {
    Filled f;
    const ComPtr<IDispatch> servers = GetObject(f.Txms.Get(), L"Servers");
    EXPECT_EQ(DISP_E_EXCEPTION, CallById(servers.Get(), DISPID_VALUE, {In(I4(4))}).Hr);
    EXPECT_EQ(DISP_E_EXCEPTION, CallById(servers.Get(), DISPID_VALUE, {In(NullValue())}).Hr);
    EXPECT_EQ(DISP_E_EXCEPTION, CallByName(servers.Get(), L"Add", {In(Obj(nullptr))}).Hr);
    // A server added to the live list is what Add then finds for type 4.
    const ComPtr<IDispatch> first =
        ObjectOf(CallById(servers.Get(), DISPID_VALUE, {In(I4(1))}).Result);
    ASSERT_EQ(S_OK, CallByName(servers.Get(), L"Add", {In(Obj(first.Get()))}).Hr);
    EXPECT_EQ(4, GetLong(servers.Get(), L"Count"));
    EXPECT_TRUE(AddSilently(f.Txms.Get(), "", 4, 9, "Four"));
    ASSERT_EQ(S_OK, CallByName(servers.Get(), L"Remove", {In(I4(4))}).Hr);
    EXPECT_EQ(3, GetLong(servers.Get(), L"Count"));
    EXPECT_FALSE(AddSilently(f.Txms.Get(), "", 4, 9, "Four again"));
}

}  // namespace
}  // namespace vqtest
