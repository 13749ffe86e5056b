#pragma once
// The person at a save dialog that a scripted user's click opened (User::ClickTool with a
// dialog script): types a file name and presses Save, answers the question whether an
// existing file is to be replaced, or cancels - as at the system's save dialog, which asks
// that question itself when the dialog's flags say so.

#include <string>
#include <vector>

#include "CommonDialog.h"

namespace vq::ui {

class FileDialogUser {
  public:
    explicit FileDialogUser(CommonDialog& dialog) : m_Dialog(dialog) {}

    /// The dialog as the window set it up.
    const CommonDialog& Dialog() const { return m_Dialog; }

    /// Types a file name and presses Save. A relative name is taken in the dialog's initial
    /// folder, and a name without extension gets the default extension. When that file exists
    /// and the dialog asks before overwriting, the question opens; otherwise the dialog closes
    /// with the file's full path.
    void Choose(const std::string& name);
    /// Answers the open overwrite question: yes closes the dialog with the file, no returns to
    /// the dialog.
    void AnswerOverwrite(bool replace);
    void Cancel();

    /// The files the overwrite question named, in order.
    const std::vector<std::string>& Questions() const { return m_Questions; }
    /// True once the dialog has been answered.
    bool Closed() const { return m_Closed; }

  private:
    void RequireOpen(bool questionOpen) const;
    std::string FullPath(const std::string& name) const;

    CommonDialog& m_Dialog;
    std::string m_Asking;
    bool m_Closed = false;
    std::vector<std::string> m_Questions;
};

}  // namespace vq::ui
