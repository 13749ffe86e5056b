// Every member of _CTxms but ShowWizard (its list window has tests of its own) called
// through the vtable, as an early-bound host calls it, with what
// a late-bound call of the same member sees before or after it. The i686 build runs this where
// its calling convention, its structure layouts and its type library's offsets differ from the
// x86_64 build's.
#include "Host.h"
#include "WindowUser.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

struct Early {
    ComPtr<IDispatch> World = vqtest::World();
    ComPtr<IDispatch> Late = NewTxms();
    ComPtr<_CTxms> Txms = Late.As<_CTxms>();

    ComPtr<IDispatch> Add(const char* key, SHORT address, const char* name) {
        Variant k = Str(key);
        LONG type = 2, protocol = 1;
        SHORT port = 3;
        Bstr settings("1200,n,8,1"), text(name);
        VARIANT_BOOL autoConnect = VARIANT_FALSE, silent = VARIANT_TRUE;
        ComPtr<IDispatch> added;
        EXPECT_EQ(S_OK, Txms->Add(&k.Raw(), &type, &address, &port, settings.InOut(), &protocol,
                                  text.InOut(), &autoConnect, &silent, added.Put()));
        return added;
    }
    LONG Count() {
        LONG count = -1;
        EXPECT_EQ(S_OK, Txms->get_Count(&count));
        EXPECT_EQ(count, GetLong(Late.Get(), L"Count"));
        return count;
    }
};

TEST(EveryMember, InitializeAddItemActiveAndEnumerate) {
    Early e;
    const ComPtr<IDispatch> host = GetObject(e.World.Get(), L"CreateHost");
    Bstr folder(GetText(e.World.Get(), L"Folder"));
    ComPtr<IDispatch> history;
    SHORT families = 0;
    ASSERT_EQ(S_OK, e.Txms->Initialize(folder.Get(), host.Get(), history.Put(), &families));
    EXPECT_EQ(3, families);
    ComPtr<IDispatch> servers;
    ASSERT_EQ(S_OK, e.Txms->get_Servers(servers.Put()));
    EXPECT_EQ(3, GetLong(servers.Get(), L"Count"));

    const ComPtr<IDispatch> first = e.Add("one", 7, "First");
    const ComPtr<IDispatch> second = AddSilently(e.Late.Get(), "two", 1, 8, "Second");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(2, e.Count());
    Variant key = Str("two");
    ComPtr<IDispatch> found, active;
    ASSERT_EQ(S_OK, e.Txms->get_Item(&key.Raw(), found.Put()));
    EXPECT_EQ(Identity(second), Identity(found));
    EXPECT_EQ(7, GetLong(first.Get(), L"Address"));

    SHORT index = 0;
    ASSERT_EQ(S_OK, e.Txms->put_ActiveTxmIndex(1));
    EXPECT_EQ(1, GetLong(e.Late.Get(), L"ActiveTxmIndex"));
    ASSERT_EQ(S_OK, PutByName(e.Late.Get(), L"ActiveTxmIndex", In(I2(2))).Hr);
    ASSERT_EQ(S_OK, e.Txms->get_ActiveTxmIndex(&index));
    EXPECT_EQ(2, index);
    ASSERT_EQ(S_OK, e.Txms->ActiveTxm(active.Put()));
    EXPECT_EQ(Identity(second), Identity(active));

    ComPtr<IUnknown> enumerator;
    ASSERT_EQ(S_OK, e.Txms->get_NewEnum(enumerator.Put()));
    const auto items = enumerator.As<IEnumVARIANT>();
    ASSERT_TRUE(items);
    VARIANT got[3];
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, items->Next(3, got, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(Identity(first), Identity(ObjectOf(Variant::Copy(got[0]))));
    EXPECT_EQ(Identity(second), Identity(ObjectOf(Variant::Copy(got[1]))));
    for (ULONG i = 0; i < fetched; ++i) VariantClear(&got[i]);

    Variant position = I4(1);
    ASSERT_EQ(S_OK, e.Txms->Remove(&position.Raw()));
    EXPECT_EQ(1, e.Count());
    ASSERT_EQ(S_OK, e.Txms->Clear());
    EXPECT_EQ(0, e.Count());
}

TEST(EveryMember, PropertiesTextsAndFiles) {
    Early e;
    EXPECT_EQ(3, InitializeTxms(e.Late.Get(), e.World.Get()));
    Bstr version, name, path;
    ASSERT_EQ(S_OK, e.Txms->ComponentVersion(version.Put()));
    EXPECT_EQ(GetText(e.Late.Get(), L"ComponentVersion"), version.Text());
    ASSERT_EQ(S_OK, e.Txms->GetNextTxmName(name.Put()));
    EXPECT_EQ(0u, name.Text().find("Untitled"));

    const std::string file = GetText(e.World.Get(), L"Folder") + "\\early.ini";
    ASSERT_EQ(S_OK, e.Txms->put_IniFilePath(Bstr(file).Get()));
    EXPECT_EQ(file, GetText(e.Late.Get(), L"IniFilePath"));
    ASSERT_EQ(S_OK, PutByName(e.Late.Get(), L"IniFilePath", In(Str(file + "2"))).Hr);
    ASSERT_EQ(S_OK, e.Txms->get_IniFilePath(path.Put()));
    EXPECT_EQ(file + "2", path.Text());

    VARIANT_BOOL offLine = VARIANT_FALSE;
    LONG historian = 0;
    ASSERT_EQ(S_OK, e.Txms->put_OffLine(VARIANT_TRUE));
    EXPECT_EQ(-1, GetLong(e.Late.Get(), L"OffLine"));
    ASSERT_EQ(S_OK, PutByName(e.Late.Get(), L"OffLine", In(Bool(false))).Hr);
    ASSERT_EQ(S_OK, e.Txms->get_OffLine(&offLine));
    EXPECT_EQ(VARIANT_FALSE, offLine);
    ASSERT_EQ(S_OK, e.Txms->put_Historian(5));
    EXPECT_EQ(5, GetLong(e.Late.Get(), L"Historian"));
    ASSERT_EQ(S_OK, PutByName(e.Late.Get(), L"Historian", In(I4(9))).Hr);
    ASSERT_EQ(S_OK, e.Txms->get_Historian(&historian));
    EXPECT_EQ(9, historian);

    e.Add("", 4, "Saved");
    const std::string saved = GetText(e.World.Get(), L"Folder") + "\\early.txm";
    Variant missing;
    V_VT(&missing.Raw()) = VT_ERROR;
    V_ERROR(&missing.Raw()) = DISP_E_PARAMNOTFOUND;
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(S_OK, e.Txms->Save(Bstr(saved).Get(), Bstr("Early").Get(), missing.Raw(), &ok));
    EXPECT_EQ(VARIANT_TRUE, ok);
    Early other;
    EXPECT_EQ(3, InitializeTxms(other.Late.Get(), other.World.Get()));
    SHORT connected = -1;
    ASSERT_EQ(S_OK, other.Txms->Load(Bstr(saved).Get(), Bstr("Early").Get(), missing.Raw(),
                                     VARIANT_FALSE, &connected));
    EXPECT_EQ(0, connected);
    ASSERT_EQ(1, other.Count());
    EXPECT_EQ("Saved", GetText(GetObject(other.Late.Get(), L"Item", {In(I4(1))}).Get(), L"Name"));
}

TEST(EveryMember, EditOpensAndClosesThroughTheVtable) {
    Early e;
    EXPECT_EQ(3, InitializeTxms(e.Late.Get(), e.World.Get()));
    ComPtr<IDispatch> txm = e.Add("", 5, "Shown");
    UserThread user([](WindowUser& u) {
        u.WaitForWindow(L"Transmitter properties");
        u.CloseBox();
        u.WaitUntilClosed();
    });
    VARIANT_BOOL edited = VARIANT_TRUE;
    EXPECT_EQ(S_OK, e.Txms->Edit(txm.InOut(), &edited));
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(VARIANT_FALSE, edited);
    EXPECT_EQ("Shown", GetText(txm.Get(), L"Name"));
    EXPECT_EQ(1, e.Count());
}

}  // namespace
}  // namespace vqtest
