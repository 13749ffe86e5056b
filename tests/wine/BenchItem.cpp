// Measures a late-bound Item by key (IDispatch::Invoke of DISPID 0 with a by-reference key, as a
// Visual Basic host calls it) on a CTxms holding 10 000 transmitters of the simulated product.
// Not a test: prints the time per call. Run under Wine by scripts/bench-windows.sh.
#include <chrono>
#include <cstdio>

#include "Host.h"
#include "vqTransmitters32.h"

using namespace vqtest;

namespace {

constexpr int kTransmitters = 10000;
constexpr int kCalls = 200000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Adds the transmitters early-bound, keyed Txm0 .. Txm9999; false when one is refused.
bool Fill(IDispatch* txms) {
    const ComPtr<_CTxms> early = ComPtr<IDispatch>(txms).As<_CTxms>();
    LONG protocol = 1;
    SHORT port = 1;
    VARIANT_BOOL autoConnect = VARIANT_FALSE, silent = VARIANT_TRUE;
    Bstr settings("4800,n,8,1");
    for (int i = 0; i < kTransmitters; ++i) {
        Variant key = Str("Txm" + std::to_string(i));
        LONG type = 1 + i % 3;
        SHORT address = static_cast<SHORT>(i % 1000);
        Bstr name("Transmitter " + std::to_string(i));
        ComPtr<IDispatch> added;
        early->Add(&key.Raw(), &type, &address, &port, settings.InOut(), &protocol, name.InOut(),
                   &autoConnect, &silent, added.Put());
        if (!added) return false;
    }
    return true;
}

// Seconds for kCalls late-bound Item calls by key (keys in another letter case); < 0 on failure.
double TimeItemByKey(IDispatch* txms) {
    DISPID item = DISPID_UNKNOWN;
    LPOLESTR itemName[1] = {const_cast<LPOLESTR>(L"Item")};
    if (FAILED(txms->GetIDsOfNames(IID_NULL, itemName, 1, LOCALE_USER_DEFAULT, &item))) return -1;
    std::vector<Variant> keys;
    for (int i = 0; i < 1000; ++i)
        keys.push_back(Str("TXM" + std::to_string((i * 7919) % kTransmitters)));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) {
        VARIANT ref;
        V_VT(&ref) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&ref) = &keys[static_cast<std::size_t>(i % 1000)].Raw();
        DISPPARAMS params{&ref, nullptr, 1, 0};
        Variant result;
        if (FAILED(txms->Invoke(item, IID_NULL, LOCALE_USER_DEFAULT,
                                DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, &result, nullptr,
                                nullptr)) ||
            V_VT(&result.Raw()) != VT_DISPATCH || V_DISPATCH(&result.Raw()) == nullptr)
            return -1;
    }
    return SecondsSince(start);
}

}  // namespace

int main() {
    if (!StartHostProgram()) return 2;
    int status = 0;
    {
        const ComPtr<IDispatch> world = World();
        const ComPtr<IDispatch> txms = NewTxms();
        const auto fillStart = std::chrono::steady_clock::now();
        if (InitializeTxms(txms.Get(), world.Get()) != 3 || !Fill(txms.Get())) {
            status = 3;
        } else {
            std::printf("filled %d transmitters in %.2f s\n", kTransmitters,
                        SecondsSince(fillStart));
            const double seconds = TimeItemByKey(txms.Get());
            if (seconds < 0)
                status = 4;
            else
                std::printf("late-bound Item by key: %.3f us per call (%d calls)\n",
                            seconds * 1e6 / kCalls, kCalls);
        }
    }
    CoUninitialize();
    return status;
}
