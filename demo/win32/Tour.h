#pragma once
// The demo's short tour of the Transmitter Wizard, run by a second thread while the host's
// thread waits in ShowWizard: it acts as a user would (WindowUser) and asks for a screenshot
// at each step.

#include <windows.h>

#include <string>
#include <thread>

namespace demo {

/// The captions the tour looks for, in the host's language.
struct TourTexts {
    std::wstring Wizard, AddTool, ConnectTool, SaveTool, ConnectAll, Connected, SaveTitle;
    std::wstring AddDialog, TypeLabel, PortLabel, AutoConnect, AddButton;
};

class Tour {
  public:
    /// Starts the tour on its own thread; it acts on the windows of this thread. shots is
    /// the folder of the screenshot requests, saveAs the file the tour saves to.
    Tour(TourTexts texts, std::string shots, std::string saveAs);
    ~Tour();
    Tour(const Tour&) = delete;
    Tour& operator=(const Tour&) = delete;
    /// Waits for the tour to end; what went wrong ("" when nothing did).
    std::string Finish();

  private:
    void Walk();
    /// Says what the step showed, then has the window's screenshot taken.
    void Shot(HWND window, const char* name, const std::string& what);

    TourTexts m_Texts;
    std::string m_Shots;
    std::string m_SaveAs;
    DWORD m_UiThread;
    std::string m_Failure;
    std::thread m_Thread;
};

}  // namespace demo
