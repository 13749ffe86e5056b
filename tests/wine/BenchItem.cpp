// Measures a late-bound Item by key (IDispatch::Invoke of DISPID 0 with a by-reference key, as a
// Visual Basic host calls it) on a CTxms holding 10 000 transmitters of the simulated product.
// Not a test: prints the time per call. Run under Wine by scripts/bench-windows.sh.
#include <chrono>
#include <cstdio>

#include "Host.h"
#include "vqTransmitters32.h"

using namespace vqtest;

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    if (CallExport(L"vqSimProduct.dll", "DllRegisterServer") != S_OK ||
        CallExport(L"vqTransmitters32.dll", "DllRegisterServer") != S_OK)
        return 2;
    constexpr int kTransmitters = 10000;
    constexpr int kCalls = 200000;
    {
        ComPtr<IDispatch> world = World();
        ComPtr<IDispatch> txms = NewTxms();
        if (InitializeTxms(txms.Get(), world.Get()) != 3) return 3;
        const ComPtr<_CTxms> early = txms.As<_CTxms>();
        const auto fillStart = std::chrono::steady_clock::now();
        for (int i = 0; i < kTransmitters; ++i) {
            Variant key = Str("Txm" + std::to_string(i));
            LONG type = 1 + i % 3, protocol = 1;
            SHORT address = static_cast<SHORT>(i % 1000), port = 1;
            Bstr settings("4800,n,8,1"), name("Transmitter " + std::to_string(i));
            BSTR s = settings.Get(), n = name.Get();
            VARIANT_BOOL autoConnect = VARIANT_FALSE, silent = VARIANT_TRUE;
            ComPtr<IDispatch> added;
            early->Add(&key.Raw(), &type, &address, &port, &s, &protocol, &n, &autoConnect, &silent, added.Put());
            if (!added) return 4;
        }
        const double fillSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - fillStart).count();

        DISPID item = DISPID_UNKNOWN;
        LPOLESTR itemName[1] = {const_cast<LPOLESTR>(L"Item")};
        txms->GetIDsOfNames(IID_NULL, itemName, 1, LOCALE_USER_DEFAULT, &item);
        std::vector<Variant> keys;
        for (int i = 0; i < 1000; ++i) keys.push_back(Str("TXM" + std::to_string((i * 7919) % kTransmitters)));
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCalls; ++i) {
            VARIANT ref;
            V_VT(&ref) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&ref) = &keys[static_cast<std::size_t>(i % 1000)].Raw();
            DISPPARAMS params{&ref, nullptr, 1, 0};
            VARIANT result;
            VariantInit(&result);
            if (FAILED(txms->Invoke(item, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                                    &params, &result, nullptr, nullptr)) ||
                V_VT(&result) != VT_DISPATCH || V_DISPATCH(&result) == nullptr)
                return 5;
            VariantClear(&result);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("filled %d transmitters in %.2f s\n", kTransmitters, fillSeconds);
        std::printf("late-bound Item by key: %.3f us per call (%d calls)\n", seconds * 1e6 / kCalls, kCalls);
    }
    CoUninitialize();
    return 0;
}
