// Labels (static text) and frames (group boxes): they only show a caption. An '&' in the
// caption underlines the access key that passes the focus to the next control.
#include "ui/Controls.h"
#include "win32/windows/BinderRegistry.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

namespace {

class CaptionBinding final : public ControlBinding {
  public:
    CaptionBinding(FormWindow& form, ui::Control& model, const wchar_t* className, DWORD style)
        : ControlBinding(form, model),
          m_Caption(static_cast<ui::CaptionedControl&>(model)),
          m_Shape{className, style} {}

  private:
    Shape Describe() const override { return m_Shape; }
    void PushState() override { ShowText(m_Caption.Caption()); }

    // A group box paints only its line and caption, and the window does not paint under its
    // children: the frame fills its inside with the window's colour itself.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (msg != WM_ERASEBKGND || m_Caption.Kind() != ui::ControlKind::Frame) return false;
        RECT inside{};
        GetClientRect(Handle(), &inside);
        FillRect(reinterpret_cast<HDC>(wParam), &inside, Form().Brush(ui::SystemColor::ButtonFace));
        result = TRUE;
        return true;
    }

    ui::CaptionedControl& m_Caption;
    Shape m_Shape;
};

}  // namespace

std::unique_ptr<ControlBinding> BindLabel(FormWindow& form, ui::Control& model) {
    return std::make_unique<CaptionBinding>(form, model, L"STATIC", SS_LEFT);
}

std::unique_ptr<ControlBinding> BindFrame(FormWindow& form, ui::Control& model) {
    return std::make_unique<CaptionBinding>(form, model, L"BUTTON", BS_GROUPBOX);
}

}  // namespace vq::win32::windows
