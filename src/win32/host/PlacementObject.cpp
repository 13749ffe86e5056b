// The automation object through which the shared service reads and sets a window's placement.
#include "support/Failure.h"
#include "vqTransmitters32.h"
#include "win32/com/Automation.h"
#include "win32/host/Adapters.h"
#include "win32/host/Entry.h"

namespace vq::win32 {

class PlacementObject final : public DispatchFromTypeInfo<_CPlacementWindow>, public RefCounted {
  public:
    explicit PlacementObject(PlacementWindow& window) : m_Window(&window) {}
    void Detach() { m_Window = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, IID__CPlacementWindow)) {
            *object = static_cast<_CPlacementWindow*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

    HRESULT STDMETHODCALLTYPE get_Left(LONG* result) override {
        return Get("Window.Left", result, &PlacementWindow::Left);
    }
    HRESULT STDMETHODCALLTYPE put_Left(LONG twips) override {
        return Set(twips, "Window.Left =", &PlacementWindow::SetLeft);
    }
    HRESULT STDMETHODCALLTYPE get_Top(LONG* result) override {
        return Get("Window.Top", result, &PlacementWindow::Top);
    }
    HRESULT STDMETHODCALLTYPE put_Top(LONG twips) override {
        return Set(twips, "Window.Top =", &PlacementWindow::SetTop);
    }
    HRESULT STDMETHODCALLTYPE get_Width(LONG* result) override {
        return Get("Window.Width", result, &PlacementWindow::Width);
    }
    HRESULT STDMETHODCALLTYPE put_Width(LONG twips) override {
        return Set(twips, "Window.Width =", &PlacementWindow::SetWidth);
    }
    HRESULT STDMETHODCALLTYPE get_Height(LONG* result) override {
        return Get("Window.Height", result, &PlacementWindow::Height);
    }
    HRESULT STDMETHODCALLTYPE put_Height(LONG twips) override {
        return Set(twips, "Window.Height =", &PlacementWindow::SetHeight);
    }
    HRESULT STDMETHODCALLTYPE get_WindowState(LONG* result) override {
        return Get("Window.WindowState", result, &PlacementWindow::WindowState);
    }
    HRESULT STDMETHODCALLTYPE put_WindowState(LONG state) override {
        return Set(state, "Window.WindowState =", &PlacementWindow::SetWindowState);
    }
    HRESULT STDMETHODCALLTYPE get_hWnd(LONG* result) override {
        return Entry(IID__CPlacementWindow, EntryTrace("Window.hWnd"), result, [&] {
            RequireOut(result, "the window handle");
            *result = static_cast<LONG>(Window().WindowHandle());
        });
    }

  private:
    PlacementWindow& Window() {
        if (m_Window == nullptr)
            throw Failure(Codes::Unexpected, "The window whose placement was asked for is closed");
        return *m_Window;
    }
    HRESULT Get(const char* member, LONG* result, int32_t (PlacementWindow::*getter)()) {
        return Entry(IID__CPlacementWindow, EntryTrace(member), result, [&] {
            RequireOut(result, "the value");
            *result = (Window().*getter)();
        });
    }
    HRESULT Set(LONG value, const char* member, void (PlacementWindow::*setter)(int32_t)) {
        return Entry(IID__CPlacementWindow, EntryTrace(member, value), nullptr,
                     [&] { (Window().*setter)(value); });
    }

    PlacementWindow* m_Window;
};

PlacementHandle::PlacementHandle(PlacementWindow& window)
    : m_Object(MakeObject<PlacementObject>(window)) {}

PlacementHandle::~PlacementHandle() {
    m_Object->Detach();
}

Variant PlacementHandle::AsArgument() const {
    return ObjectVariant(static_cast<_CPlacementWindow*>(m_Object.Get()));
}

}  // namespace vq::win32
