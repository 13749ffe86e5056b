#include "CommonDialog.h"

#include "support/Failure.h"

namespace vq::ui {

CommonDialog::CommonDialog(Form& form, std::string name, int16_t index)
    : Control(form, ControlKind::CommonDialog, std::move(name), index, nullptr, {}, -1) {}

void CommonDialog::ShowSave() {
    m_Answer = Answer::None;
    m_OnShowSaveRequested.Raise(*this);
    switch (m_Answer) {
        case Answer::None:
            throw Failure(Codes::Unexpected,
                          "No window host answered the save dialog of " + DisplayName());
        case Answer::Cancelled:
            if (m_CancelError) throw Failure(kCancelSelected, "Cancel was selected.");
            return;
        case Answer::Accepted:
            m_FileName = m_Chosen;
            return;
    }
}

void CommonDialog::Accept(const std::string& path) {
    m_Answer = Answer::Accepted;
    m_Chosen = path;
}

void CommonDialog::Cancel() {
    m_Answer = Answer::Cancelled;
}

}  // namespace vq::ui
