// The collection as a host uses it: Add by name with by-reference arguments, Item by key and
// position and through the default member, For Each through NewEnum, Remove, the active
// transmitter, untitled names, early-bound calls through the vtable, and Save / Load.
#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

struct Collection {
    ComPtr<IDispatch> World = vqtest::World();
    ComPtr<IDispatch> Txms = NewTxms();
    Collection() { EXPECT_EQ(3, InitializeTxms(Txms.Get(), World.Get())); }
    long Count() { return GetLong(Txms.Get(), L"Count"); }
    ComPtr<IDispatch> Item(const Variant& key) {
        Var k = Var::Of(key);
        return ObjectOf(CallByName(Txms.Get(), L"Item", {k.ByRef(true)}).Result);
    }
    std::vector<std::string> NamesByForEach() {
        const Outcome e = CallById(Txms.Get(), DISPID_NEWENUM, {}, DISPATCH_PROPERTYGET);
        EXPECT_EQ(S_OK, e.Hr);
        ComPtr<IEnumVARIANT> items;
        EXPECT_EQ(VT_UNKNOWN, V_VT(&e.Result.Raw()));
        V_UNKNOWN(&e.Result.Raw())
            ->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Put()));
        std::vector<std::string> names;
        Variant item;
        ULONG fetched = 0;
        while (items && items->Next(1, &item.Raw(), &fetched) == S_OK) {
            names.push_back(GetText(ObjectOf(item).Get(), L"Name"));
            item = Variant();
        }
        return names;
    }
};

// Skip, Reset and Clone of the transmitters' enumerator (three transmitters A, B, E).
void ExpectEnumeratorMoves(IDispatch* txms) {
    const Outcome e = CallById(txms, DISPID_NEWENUM, {}, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, e.Hr);
    ComPtr<IEnumVARIANT> items;
    V_UNKNOWN(&e.Result.Raw())
        ->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Put()));
    ASSERT_TRUE(items);
    const auto next = [](IEnumVARIANT* from) {
        Variant item;
        ULONG fetched = 0;
        return from->Next(1, &item.Raw(), &fetched) == S_OK ? GetText(ObjectOf(item).Get(), L"Name")
                                                            : "end";
    };
    EXPECT_EQ(S_OK, items->Skip(1));
    EXPECT_EQ("B", next(items.Get()));
    ComPtr<IEnumVARIANT> copy;
    ASSERT_EQ(S_OK, items->Clone(copy.Put()));
    EXPECT_EQ("E", next(copy.Get()));
    EXPECT_EQ("E", next(items.Get()));
    EXPECT_EQ("end", next(items.Get()));
    EXPECT_EQ(S_FALSE, items->Skip(1));
    EXPECT_EQ(S_OK, items->Reset());
    VARIANT raw[3];
    ULONG fetched = 0;
    EXPECT_EQ(S_OK, items->Next(3, raw, &fetched));
    EXPECT_EQ(3u, fetched);
    for (VARIANT& v : raw) VariantClear(&v);
}

TEST(Collection, AddLookUpAndEnumerate) {
    Collection c;
    const ComPtr<IDispatch> a = AddSilently(c.Txms.Get(), "Alpha", 1, 11, "A");
    const ComPtr<IDispatch> b = AddSilently(c.Txms.Get(), "", 2, 12, "B");
    const ComPtr<IDispatch> e = AddSilently(c.Txms.Get(), "Ébène", 3, 13, "E");
    ASSERT_TRUE(a && b && e);
    EXPECT_EQ(3, c.Count());
    // The transmitter got its settings, its server, its position and the collection as Parent.
    EXPECT_EQ(12, GetLong(b.Get(), L"Address"));
    EXPECT_EQ(2, GetLong(b.Get(), L"Index"));
    EXPECT_EQ("Pellix", GetText(GetObject(b.Get(), L"Server").Get(), L"TypeName"));
    const ComPtr<IDispatch> parent = GetObject(a.Get(), L"Parent");
    EXPECT_EQ(c.Txms.As<IUnknown>().Get(), parent.As<IUnknown>().Get());
    EXPECT_EQ(3, GetLong(parent.Get(), L"Count"));

    // By key regardless of letter case (accents too), by position, by the default member.
    EXPECT_EQ(a.As<IUnknown>().Get(), c.Item(Str("ALPHA")).As<IUnknown>().Get());
    EXPECT_EQ(e.As<IUnknown>().Get(), c.Item(Str("éBÈNE")).As<IUnknown>().Get());
    EXPECT_EQ(b.As<IUnknown>().Get(), c.Item(I2(2)).As<IUnknown>().Get());
    EXPECT_EQ(b.As<IUnknown>().Get(), c.Item(R8(2.4)).As<IUnknown>().Get());
    Var key = Var::Of(Str("alpha"));
    const Outcome byDefault = CallById(c.Txms.Get(), DISPID_VALUE, {key.ByRef(true)});
    ASSERT_EQ(S_OK, byDefault.Hr);
    EXPECT_EQ(a.As<IUnknown>().Get(), ObjectOf(byDefault.Result).As<IUnknown>().Get());
    EXPECT_EQ((std::vector<std::string>{"A", "B", "E"}), c.NamesByForEach());
    ExpectEnumeratorMoves(c.Txms.Get());

    // Every Add makes the new transmitter the active one and tells the registry.
    EXPECT_EQ(3, GetLong(c.Txms.Get(), L"ActiveTxmIndex"));
    EXPECT_EQ(e.As<IUnknown>().Get(), GetObject(c.Txms.Get(), L"ActiveTxm").As<IUnknown>().Get());
    const std::string log = GetText(c.World.Get(), L"RegistryLog");
    EXPECT_NE(std::string::npos, log.find("TxmAdded(B)\nTxmActivated(B)\n")) << log;
}

TEST(Collection, RefusedAdditionsReturnNothing) {
    Collection c;
    ASSERT_TRUE(AddSilently(c.Txms.Get(), "k", 1, 1, "A"));
    EXPECT_FALSE(AddSilently(c.Txms.Get(), "K", 1, 2, "Duplicate"));
    EXPECT_FALSE(AddSilently(c.Txms.Get(), "", 0, 3, "No type 0"));
    EXPECT_FALSE(AddSilently(c.Txms.Get(), "", 4, 3, "No server 4"));
    EXPECT_EQ(1, c.Count());
}

TEST(Collection, RemoveRenumbersAndMovesTheActiveTransmitter) {
    Collection c;
    std::vector<ComPtr<IDispatch>> txms;
    for (int i = 1; i <= 4; ++i)
        txms.push_back(
            AddSilently(c.Txms.Get(), "T" + std::to_string(i), 1, i, "N" + std::to_string(i)));
    const ComPtr<IDispatch> attachment =
        GetObject(c.World.Get(), L"Attach", {In(Obj(txms[1].Get()))});
    Var position = Var::Of(I2(2));
    ASSERT_EQ(S_OK, CallByName(c.Txms.Get(), L"Remove", {position.ByRef(true)}).Hr);
    EXPECT_EQ(1, GetLong(attachment.Get(), L"DetachCount"));
    EXPECT_EQ(3, c.Count());
    EXPECT_EQ((std::vector<std::string>{"N1", "N3", "N4"}), c.NamesByForEach());
    for (long i = 1; i <= 3; ++i) EXPECT_EQ(i, GetLong(c.Item(I4(i)).Get(), L"Index"));
    EXPECT_EQ(1, GetLong(c.Txms.Get(), L"ActiveTxmIndex"));
    Var key = Var::Of(Str("t4"));
    ASSERT_EQ(S_OK, CallByName(c.Txms.Get(), L"Remove", {key.ByRef(true)}).Hr);
    EXPECT_EQ((std::vector<std::string>{"N1", "N3"}), c.NamesByForEach());

    // ActiveTxmIndex outside 1..Count becomes 1; Clear leaves it and ActiveTxm is Nothing.
    ASSERT_EQ(S_OK, PutByName(c.Txms.Get(), L"ActiveTxmIndex", In(I2(7))).Hr);
    EXPECT_EQ(1, GetLong(c.Txms.Get(), L"ActiveTxmIndex"));
    ASSERT_EQ(S_OK, PutByName(c.Txms.Get(), L"ActiveTxmIndex", In(Str("2"))).Hr);
    EXPECT_EQ(2, GetLong(c.Txms.Get(), L"ActiveTxmIndex"));
    ASSERT_EQ(S_OK, CallByName(c.Txms.Get(), L"Clear").Hr);
    EXPECT_EQ(0, c.Count());
    EXPECT_EQ(2, GetLong(c.Txms.Get(), L"ActiveTxmIndex"));
    EXPECT_FALSE(GetObject(c.Txms.Get(), L"ActiveTxm"));
}

TEST(Collection, UntitledNamesCountUp) {
    const ComPtr<IDispatch> txms = NewTxms();
    const std::string first = GetText(txms.Get(), L"GetNextTxmName");
    ASSERT_EQ(0u, first.find("Untitled"));
    const long n = std::stol(first.substr(8));
    EXPECT_EQ("Untitled" + std::to_string(n + 1), GetText(txms.Get(), L"GetNextTxmName"));
    EXPECT_EQ("Untitled" + std::to_string(n + 2), GetText(NewTxms().Get(), L"GetNextTxmName"));
}

TEST(Collection, EarlyBoundThroughTheVtable) {
    Collection c;
    const ComPtr<_CTxms> txms = c.Txms.As<_CTxms>();
    ASSERT_TRUE(txms);
    VARIANT key;
    VariantInit(&key);
    LONG type = 2, protocol = 1;
    SHORT address = 40, port = 3;
    BSTR settings = SysAllocString(L"1200,n,8,1"), name = SysAllocString(L"Early");
    VARIANT_BOOL autoConnect = VARIANT_FALSE, silent = VARIANT_TRUE;
    ComPtr<IDispatch> added;
    ASSERT_EQ(S_OK, txms->Add(&key, &type, &address, &port, &settings, &protocol, &name,
                              &autoConnect, &silent, added.Put()));
    ASSERT_TRUE(added);
    LONG count = 0;
    ASSERT_EQ(S_OK, txms->get_Count(&count));
    EXPECT_EQ(1, count);
    VARIANT position;
    V_VT(&position) = VT_I4;
    V_I4(&position) = 1;
    ComPtr<IDispatch> found;
    ASSERT_EQ(S_OK, txms->get_Item(&position, found.Put()));
    EXPECT_EQ(added.As<IUnknown>().Get(), found.As<IUnknown>().Get());
    EXPECT_EQ("1200,n,8,1", GetText(found.Get(), L"ComSettings"));
    SHORT active = 0;
    txms->get_ActiveTxmIndex(&active);
    EXPECT_EQ(1, active);
    // A failure through the vtable: its code plus the error information.
    VARIANT missing;
    V_VT(&missing) = VT_BSTR;
    V_BSTR(&missing) = SysAllocString(L"nobody");
    const HRESULT hr = txms->Remove(&missing);
    EXPECT_EQ(static_cast<HRESULT>(0x800A0005), hr);
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(S_OK, GetErrorInfo(0, error.Put()));
    BSTR description = nullptr, source = nullptr;
    error->GetDescription(&description);
    error->GetSource(&source);
    EXPECT_EQ("vqTransmitters32", vq::win32::FromBstr(source));
    EXPECT_NE(std::string::npos, vq::win32::FromBstr(description).find("nobody"));
    SysFreeString(description);
    SysFreeString(source);
    VariantClear(&missing);
    SysFreeString(settings);
    SysFreeString(name);
}

TEST(Collection, SaveAndLoadRoundTrip) {
    Collection c;
    AddSilently(c.Txms.Get(), "a", 1, 5, "First", 2);
    AddSilently(c.Txms.Get(), "", 3, -7, "Second", 9);
    const std::string file = GetText(c.World.Get(), L"Folder") + "\\plant.txm";
    Outcome saved =
        CallByName(c.Txms.Get(), L"Save", {In(Str(file)), In(Str("TxmConfiguration")), In(I4(-1))});
    ASSERT_EQ(S_OK, saved.Hr) << saved.Description;
    EXPECT_EQ(-1, LongOf(saved.Result));

    const ComPtr<IDispatch> other = NewTxms();
    ASSERT_EQ(3, InitializeTxms(other.Get(), c.World.Get()));
    AddSilently(other.Get(), "", 2, 1, "Already");
    // IndexKey and AutoConnect left out.
    const Outcome loaded =
        CallByName(other.Get(), L"Load", {In(Str(file)), In(Str("TxmConfiguration"))});
    ASSERT_EQ(S_OK, loaded.Hr) << loaded.Description;
    EXPECT_EQ(0, LongOf(loaded.Result));
    ASSERT_EQ(3, GetLong(other.Get(), L"Count"));
    Var third = Var::Of(I4(3));
    const ComPtr<IDispatch> second =
        ObjectOf(CallByName(other.Get(), L"Item", {third.ByRef(true)}).Result);
    EXPECT_EQ("Second", GetText(second.Get(), L"Name"));
    EXPECT_EQ(-7, GetLong(second.Get(), L"Address"));
    EXPECT_EQ(3, GetLong(second.Get(), L"TxmType"));
    EXPECT_EQ(9, GetLong(second.Get(), L"ComPort"));
    EXPECT_EQ(3, GetLong(other.Get(), L"ActiveTxmIndex"));

    // Connecting while loading counts the instruments that answered.
    ASSERT_EQ(S_OK, CallByName(c.World.Get(), L"AddInstrument",
                               {In(I2(2)), In(I2(5)), In(Str("4800,n,8,1")), In(I4(0))})
                        .Hr);
    const ComPtr<IDispatch> third2 = NewTxms();
    ASSERT_EQ(3, InitializeTxms(third2.Get(), c.World.Get()));
    const Outcome connected =
        CallByName(third2.Get(), L"Load",
                   {In(Str(file)), In(Str("TxmConfiguration")), In(EmptyValue()), In(Bool(true))});
    ASSERT_EQ(S_OK, connected.Hr) << connected.Description;
    EXPECT_EQ(1, LongOf(connected.Result));

    // A file or section without entries loads nothing.
    const Outcome missing =
        CallByName(third2.Get(), L"Load", {In(Str(file + ".none")), In(Str("Nothing"))});
    EXPECT_EQ(S_OK, missing.Hr);
    EXPECT_EQ(0, LongOf(missing.Result));
}

}  // namespace
}  // namespace vqtest
