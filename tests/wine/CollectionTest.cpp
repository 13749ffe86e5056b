// The collection as a host uses it: Add by name with by-reference arguments, Item by key and
// position and through the default member, For Each through NewEnum, Remove with the
// transmitter's attachments, early-bound calls through the vtable, and Save / Load with their
// optional arguments left out.
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
        Var k = Var{key};
        return ObjectOf(CallByName(Txms.Get(), L"Item", {k.ByRef(true)}).Result);
    }
    ComPtr<IEnumVARIANT> Enumerator() {
        const Outcome e = CallById(Txms.Get(), DISPID_NEWENUM, {}, DISPATCH_PROPERTYGET);
        EXPECT_EQ(VT_UNKNOWN, V_VT(&e.Result.Raw()));
        ComPtr<IEnumVARIANT> items;
        if (e.Hr == S_OK)
            V_UNKNOWN(&e.Result.Raw())->QueryInterface(IID_IEnumVARIANT, items.PutVoid());
        return items;
    }
    std::vector<std::string> NamesByForEach() {
        std::vector<std::string> names;
        const ComPtr<IEnumVARIANT> items = Enumerator();
        for (std::string name; (name = Next(items.Get())) != "end";) names.push_back(name);
        return names;
    }
    // The name of the next transmitter of an enumerator, "end" after the last.
    static std::string Next(IEnumVARIANT* items) {
        Variant item;
        ULONG fetched = 0;
        return items && items->Next(1, &item, &fetched) == S_OK
                   ? GetText(ObjectOf(item).Get(), L"Name")
                   : "end";
    }
};

TEST(Collection, AddLookUpAndEnumerate) {
    Collection c;
    const ComPtr<IDispatch> a = AddSilently(c.Txms.Get(), "Alpha", 1, 11, "A");
    const ComPtr<IDispatch> b = AddSilently(c.Txms.Get(), "", 2, 12, "B");
    const ComPtr<IDispatch> e = AddSilently(c.Txms.Get(), "Ébène", 3, 13, "E");
    ASSERT_TRUE(a && b && e);
    // The transmitter got its settings, its server, its position and the collection as Parent.
    EXPECT_EQ(12, GetLong(b.Get(), L"Address"));
    EXPECT_EQ(2, GetLong(b.Get(), L"Index"));
    EXPECT_EQ("Pellix", GetText(GetObject(b.Get(), L"Server").Get(), L"TypeName"));
    EXPECT_EQ(Identity(c.Txms), Identity(GetObject(a.Get(), L"Parent")));
    // By key regardless of letter case (accents too), by position, by the default member.
    EXPECT_EQ(Identity(a), Identity(c.Item(Str("ALPHA"))));
    EXPECT_EQ(Identity(e), Identity(c.Item(Str("éBÈNE"))));
    EXPECT_EQ(Identity(b), Identity(c.Item(I2(2))));
    EXPECT_EQ(Identity(b), Identity(c.Item(R8(2.4))));
    Var key = Var{Str("alpha")};
    EXPECT_EQ(Identity(a),
              Identity(ObjectOf(CallById(c.Txms.Get(), DISPID_VALUE, {key.ByRef(true)}).Result)));
    EXPECT_EQ(Identity(e), Identity(GetObject(c.Txms.Get(), L"ActiveTxm")));
    EXPECT_EQ((std::vector<std::string>{"A", "B", "E"}), c.NamesByForEach());

    // Skip, Clone (which copies the position), Reset, and Next of several.
    const ComPtr<IEnumVARIANT> items = c.Enumerator();
    EXPECT_EQ(S_OK, items->Skip(1));
    EXPECT_EQ("B", Collection::Next(items.Get()));
    ComPtr<IEnumVARIANT> copy;
    ASSERT_EQ(S_OK, items->Clone(copy.Put()));
    EXPECT_EQ("E", Collection::Next(copy.Get()));
    EXPECT_EQ("E", Collection::Next(items.Get()));
    EXPECT_EQ("end", Collection::Next(items.Get()));
    EXPECT_EQ(S_FALSE, items->Skip(1));
    EXPECT_EQ(S_OK, items->Reset());
    Variant three[3];
    ULONG fetched = 0;
    EXPECT_EQ(S_OK, items->Next(3, &three[0], &fetched));
    EXPECT_EQ(3u, fetched);
    EXPECT_EQ(Identity(e), Identity(ObjectOf(three[2])));
}

TEST(Collection, RemoveDetachesAttachmentsAlsoFromListsWithoutAnEnumerator) {
    for (const bool withoutEnum : {false, true}) {
        Collection c;
        if (withoutEnum) Get(c.World.Get(), L"ListsWithoutEnum");
        std::vector<ComPtr<IDispatch>> txms;
        for (short i = 1; i <= 3; ++i)
            txms.push_back(AddSilently(c.Txms.Get(), "T" + std::to_string(i), 1, i, "N"));
        std::vector<ComPtr<IDispatch>> attached;
        for (int i = 0; i < 2; ++i)
            attached.push_back(GetObject(c.World.Get(), L"Attach", {In(Obj(txms[1].Get()))}));
        Var position = Var{I2(2)};
        ASSERT_EQ(S_OK, CallByName(c.Txms.Get(), L"Remove", {position.ByRef(true)}).Hr);
        for (const ComPtr<IDispatch>& attachment : attached)
            EXPECT_EQ(1, GetLong(attachment.Get(), L"DetachCount")) << withoutEnum;
        EXPECT_EQ(2, c.Count());
        EXPECT_EQ(2, GetLong(c.Item(Str("t3")).Get(), L"Index"));
    }
}

TEST(Collection, EarlyBoundThroughTheVtable) {
    Collection c;
    const ComPtr<_CTxms> txms = c.Txms.As<_CTxms>();
    ASSERT_TRUE(txms);
    Variant key;
    LONG type = 2, protocol = 1, count = 0;
    SHORT address = 40, port = 3, active = 0;
    Bstr settings("1200,n,8,1"), name("Early");
    VARIANT_BOOL autoConnect = VARIANT_FALSE, silent = VARIANT_TRUE;
    ComPtr<IDispatch> added, found;
    ASSERT_EQ(S_OK, txms->Add(&key, &type, &address, &port, settings.InOut(), &protocol,
                              name.InOut(), &autoConnect, &silent, added.Put()));
    ASSERT_EQ(S_OK, txms->get_Count(&count));
    EXPECT_EQ(1, count);
    Variant position = I4(1);
    ASSERT_EQ(S_OK, txms->get_Item(&position.Raw(), found.Put()));
    EXPECT_EQ(Identity(added), Identity(found));
    EXPECT_EQ("1200,n,8,1", GetText(found.Get(), L"ComSettings"));
    ASSERT_EQ(S_OK, txms->get_ActiveTxmIndex(&active));
    EXPECT_EQ(1, active);
    // A failure through the vtable: its code plus the error information.
    Variant missing = Str("nobody");
    EXPECT_EQ(static_cast<HRESULT>(0x800A0005), txms->Remove(&missing.Raw()));
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(S_OK, GetErrorInfo(0, error.Put()));
    Bstr description, source;
    error->GetDescription(&description);
    error->GetSource(&source);
    EXPECT_EQ("vqTransmitters32", source.Text());
    EXPECT_NE(std::string::npos, description.Text().find("nobody"));
}

TEST(Collection, SaveAndLoadWithOptionalArgumentsLeftOut) {
    Collection c;
    AddSilently(c.Txms.Get(), "a", 1, 5, "First", 2);
    AddSilently(c.Txms.Get(), "", 3, -7, "Second", 9);
    const std::string file = GetText(c.World.Get(), L"Folder") + "\\plant.txm";
    const Outcome saved =
        CallByName(c.Txms.Get(), L"Save", {In(Str(file)), In(Str("TxmConfiguration")), In(I4(-1))});
    ASSERT_EQ(S_OK, saved.Hr) << saved.Description;
    EXPECT_EQ(VT_BOOL, V_VT(&saved.Result.Raw()));
    EXPECT_EQ(-1, LongOf(saved.Result));

    Collection other;
    const Outcome loaded =
        CallByName(other.Txms.Get(), L"Load", {In(Str(file)), In(Str("TxmConfiguration"))});
    ASSERT_EQ(S_OK, loaded.Hr) << loaded.Description;
    EXPECT_EQ(0, LongOf(loaded.Result));  // nothing connected: AutoConnect is False when left out
    ASSERT_EQ(2, other.Count());
    const ComPtr<IDispatch> second = other.Item(I4(2));
    EXPECT_EQ("Second", GetText(second.Get(), L"Name"));
    EXPECT_EQ(-7, GetLong(second.Get(), L"Address"));
    EXPECT_EQ(9, GetLong(second.Get(), L"ComPort"));

    Collection third;  // with an instrument that answers the first transmitter
    Get(c.World.Get(), L"AddInstrument", {In(I2(2)), In(I2(5)), In(Str("4800,n,8,1")), In(I4(0))});
    const Outcome connected =
        CallByName(third.Txms.Get(), L"Load",
                   {In(Str(file)), In(Str("TxmConfiguration")), In(Variant()), In(Bool(true))});
    ASSERT_EQ(S_OK, connected.Hr) << connected.Description;
    EXPECT_EQ(1, LongOf(connected.Result));
}

}  // namespace
}  // namespace vqtest
