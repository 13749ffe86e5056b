#include "Windows.h"

#include "support/Failure.h"

namespace vq {

namespace {
std::shared_ptr<WindowOpener>& ThreadOpener() {
    thread_local std::shared_ptr<WindowOpener> opener;
    return opener;
}

WindowOpener& Opener() {
    WindowOpener* opener = ThreadOpener().get();
    if (opener == nullptr)
        throw Failure(Codes::Unexpected, "No window can be opened on this thread");
    return *opener;
}
}  // namespace

std::shared_ptr<WindowOpener> SetWindowOpener(std::shared_ptr<WindowOpener> opener) {
    std::swap(ThreadOpener(), opener);
    return opener;
}

VbBool ShowTxmDialog(const TransmitterRef& txm, TransmitterCollection* txms, VbBool editMode) {
    return Opener().ShowTxmDialog(txm, txms, editMode);
}

int16_t ShowTxmsDialog(TransmitterCollection* txms) { return Opener().ShowTxmsDialog(txms); }

}  // namespace vq
