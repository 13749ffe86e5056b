#include "ScriptedFileDialog.h"

#include <filesystem>

#include "support/Failure.h"

namespace fs = std::filesystem;

namespace vq::ui {

namespace {
Failure Refused(const std::string& what) {
    return Failure(Codes::InvalidProcedureCall, "The scripted user cannot " + what);
}
}  // namespace

void FileDialogUser::RequireOpen(bool questionOpen) const {
    if (m_Closed) throw Refused("act on the save dialog: it is closed");
    if (questionOpen && m_Asking.empty()) throw Refused("answer a question nobody asked");
    if (!questionOpen && !m_Asking.empty())
        throw Refused("use the save dialog while it asks whether to replace " + m_Asking);
}

std::string FileDialogUser::FullPath(const std::string& name) const {
    fs::path path(name);
    if (path.is_relative() && !m_Dialog.InitDir().empty())
        path = fs::path(m_Dialog.InitDir()) / path;
    const std::string& defaultExt = m_Dialog.DefaultExt();
    const std::size_t dot = defaultExt.find_last_of('.');
    const std::string extension =
        dot == std::string::npos ? defaultExt : defaultExt.substr(dot + 1);
    if (!path.has_extension() && !extension.empty()) path += "." + extension;
    return path.string();
}

void FileDialogUser::Choose(const std::string& name) {
    RequireOpen(false);
    if (name.empty()) throw Refused("save under an empty name");
    const std::string path = FullPath(name);
    if ((m_Dialog.Flags() & FileDialogFlags::OverwritePrompt) != 0 && fs::exists(path)) {
        m_Asking = path;
        m_Questions.push_back(path);
        return;
    }
    m_Closed = true;
    m_Dialog.Accept(path);
}

void FileDialogUser::AnswerOverwrite(bool replace) {
    RequireOpen(true);
    const std::string path = std::move(m_Asking);
    m_Asking.clear();
    if (!replace) return;
    m_Closed = true;
    m_Dialog.Accept(path);
}

void FileDialogUser::Cancel() {
    RequireOpen(false);
    m_Closed = true;
    m_Dialog.Cancel();
}

}  // namespace vq::ui
