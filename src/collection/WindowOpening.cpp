#include "WindowOpening.h"

#include "dialog/frmNewTxm.h"
#include "listwindow/frmTxms.h"
#include "support/ThreadContext.h"
#include "ui/WindowContext.h"
#include "ui/WindowHost.h"

namespace vq {

std::shared_ptr<WindowOpener> SetWindowOpener(std::shared_ptr<WindowOpener> opener) {
    std::swap(ThisThread().Opener, opener);
    return opener;
}

VbBool ShowTxmDialog(const TransmitterRef& txm, TransmitterCollection* txms, VbBool editMode) {
    if (WindowOpener* opener = ThisThread().Opener.get())
        return opener->ShowTxmDialog(txm, txms, editMode);

    frmNewTxm dialog(ui::WindowContext::OfThisThread());
    if (!dialog.Install(txm, txms, editMode).IsNonZero()) return VbFalse;
    ui::CurrentWindowHost().ShowModal(dialog.Form());
    const VbBool result = dialog.RetVal();
    dialog.SetCloseMe(VbTrue);
    dialog.Form().Unload();
    return result;
}

int16_t ShowTxmsDialog(TransmitterCollection* txms) {
    if (WindowOpener* opener = ThisThread().Opener.get()) return opener->ShowTxmsDialog(txms);

    frmTxms window(ui::WindowContext::OfThisThread());
    window.Install(txms);
    ui::CurrentWindowHost().ShowModal(window.Form());
    const int16_t result = window.RetVal();
    window.SetCloseMe(VbTrue);
    window.Form().Unload();
    return result;
}

}  // namespace vq
