// Picture boxes used as containers: a plain child window that is the parent of the controls
// it holds (a toolbar docked in it). What those controls tell their parent (WM_COMMAND,
// WM_NOTIFY) goes on to the form's window, which hands it to the control's binding.
#include "win32/windows/BinderRegistry.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

namespace {

class PictureBoxBinding final : public ControlBinding {
  public:
    using ControlBinding::ControlBinding;
    bool HoldsChildren() const override { return true; }

  private:
    Shape Describe() const override { return {L"STATIC", WS_CLIPCHILDREN}; }
    void PushState() override {}

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == WM_ERASEBKGND) {
            // The class has no brush of its own; a flat toolbar inside shows this background.
            RECT area{};
            GetClientRect(Handle(), &area);
            FillRect(reinterpret_cast<HDC>(wParam), &area, GetSysColorBrush(COLOR_BTNFACE));
            result = 1;
            return true;
        }
        if (msg != WM_COMMAND && msg != WM_NOTIFY) return false;
        result = SendMessageW(Form().Handle(), msg, wParam, lParam);
        return true;
    }
};

}  // namespace

std::unique_ptr<ControlBinding> BindPictureBox(FormWindow& form, ui::Control& model) {
    return std::make_unique<PictureBoxBinding>(form, model);
}

}  // namespace vq::win32::windows
