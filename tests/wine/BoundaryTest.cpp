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
    Outcome ByKey(const wchar_t* member, Variant key) {
        Var k = Var{std::move(key)};
        return CallByName(Txms.Get(), member, {k.ByRef(true)});
    }
};

TEST(Boundary, ItemAnswersNothingForEverythingItCannotUse) {
    Filled f;
    std::vector<std::pair<Variant, std::string>> cases;
    cases.emplace_back(Str("2"), "Keyed two");  // text is a key, even when it looks like a number
    cases.emplace_back(I2(3), "Three");
    for (Variant key : {Str("nobody"), I4(0), I4(4), I4(-1), R8(1e10), Bool(true), NullValue(),
                        Variant(), Array(), Obj(f.World.Get()), Obj(nullptr)})
        cases.emplace_back(std::move(key), "Nothing");
    for (auto& [key, expected] : cases) {
        const Outcome outcome = f.ByKey(L"Item", std::move(key));
        EXPECT_EQ(S_OK, outcome.Hr) << expected;
        const ComPtr<IDispatch> txm = ObjectOf(outcome.Result);
        EXPECT_EQ(expected, txm ? GetText(txm.Get(), L"Name") : "Nothing");
    }
}

TEST(Boundary, RemoveFailsPreciselyAndChangesNothing) {
    Filled f;
    struct Case {
        Variant Key;
        uint32_t Code;
        const char* Mentions;
    };
    for (Case& c : std::vector<Case>{{Str("nobody"), 0x800A0005, "nobody"},
                                     {I4(9), 0x800A0009, "9"},
                                     {NullValue(), 0x800A000D, "Null"},
                                     {Array(), 0x800A000D, "Array"},
                                     {Obj(f.World.Get()), 0x800A000D, "object"}}) {
        const Outcome outcome = f.ByKey(L"Remove", std::move(c.Key));
        EXPECT_EQ(DISP_E_EXCEPTION, outcome.Hr) << c.Mentions;
        EXPECT_EQ(static_cast<HRESULT>(c.Code), outcome.Code) << c.Mentions;
        EXPECT_EQ("vqTransmitters32", outcome.Source);
        EXPECT_NE(std::string::npos, outcome.Description.find(c.Mentions)) << outcome.Description;
    }
    EXPECT_EQ(3, GetLong(f.Txms.Get(), L"Count"));
}

TEST(Boundary, ArgumentCountsTypesAndNames) {
    Filled f;
    IDispatch* txms = f.Txms.Get();
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, CallByName(txms, L"Remove").Hr);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, CallByName(txms, L"Clear", {In(I4(1))}).Hr);
    EXPECT_EQ(
        DISP_E_BADPARAMCOUNT,
        CallByName(txms, L"Save", {In(Str("a")), In(Str("b")), In(I4(1)), In(I4(2)), In(I4(3))})
            .Hr);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, PutByName(txms, L"Historian", In(Str("many"))).Hr);
    EXPECT_EQ(DISP_E_OVERFLOW, PutByName(txms, L"ActiveTxmIndex", In(I4(70000))).Hr);
    EXPECT_EQ(2, GetLong(txms, L"Historian"));
    const Outcome save =
        CallByName(txms, L"Save", {In(Str("x.ini")), In(Str("S")), In(Str("all"))});
    EXPECT_EQ(DISP_E_EXCEPTION, save.Hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A000D), save.Code);
    DISPID id = 0;
    LPOLESTR name[1] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, txms->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, CallById(txms, 0x6003FFFF).Hr);
    // Edit without a transmitter fails.
    const Outcome editNothing = CallByName(txms, L"Edit", {Var{Obj(nullptr)}.ByRef(false)});
    EXPECT_EQ(DISP_E_EXCEPTION, editNothing.Hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A01A8), editNothing.Code);
    EXPECT_EQ(3, GetLong(txms, L"Count"));
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
    Variant key;
    ComPtr<IDispatch> result;
    EXPECT_EQ(E_POINTER, txms->Add(&key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, result.Put()));
    // A null Item key and a null BSTR are taken as Missing and "".
    EXPECT_EQ(S_OK, txms->get_Item(nullptr, result.Put()));
    EXPECT_FALSE(result);
    EXPECT_EQ(S_OK, txms->put_IniFilePath(nullptr));
    EXPECT_EQ(3, GetLong(f.Txms.Get(), L"Count"));
}

TEST(Boundary, ServersCollectionChecksItsArguments) {
    Filled f;
    const ComPtr<IDispatch> servers = GetObject(f.Txms.Get(), L"Servers");
    EXPECT_EQ(DISP_E_EXCEPTION, CallById(servers.Get(), DISPID_VALUE, {In(I4(4))}).Hr);
    EXPECT_EQ(DISP_E_EXCEPTION, CallById(servers.Get(), DISPID_VALUE, {In(NullValue())}).Hr);
    EXPECT_EQ(DISP_E_EXCEPTION, CallByName(servers.Get(), L"Add", {In(Obj(nullptr))}).Hr);
    // A server added to the live list is what Add then finds for type 4.
    const ComPtr<IDispatch> first = GetObject(servers.Get(), L"Item", {In(I4(1))});
    ASSERT_EQ(S_OK, CallByName(servers.Get(), L"Add", {In(Obj(first.Get()))}).Hr);
    EXPECT_EQ(4, GetLong(servers.Get(), L"Count"));
    EXPECT_TRUE(AddSilently(f.Txms.Get(), "", 4, 9, "Four"));
    ASSERT_EQ(S_OK, CallByName(servers.Get(), L"Remove", {In(I4(4))}).Hr);
    EXPECT_EQ(3, GetLong(servers.Get(), L"Count"));
    EXPECT_FALSE(AddSilently(f.Txms.Get(), "", 4, 9, "Four again"));
}

}  // namespace
}  // namespace vqtest
