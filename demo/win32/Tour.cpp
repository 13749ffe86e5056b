#include "demo/win32/Tour.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "tests/wine/WindowUser.h"
#include "win32/com/Com.h"

namespace demo {

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesW(vq::win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

Tour::Tour(TourTexts texts, std::string shots, std::string saveAs)
    : m_Texts(std::move(texts)),
      m_Shots(std::move(shots)),
      m_SaveAs(std::move(saveAs)),
      m_UiThread(GetCurrentThreadId()) {
    m_Thread = std::thread([this] {
        try {
            Walk();
        } catch (const std::exception& e) {
            m_Failure = e.what();
            vqtest::WindowUser(m_UiThread).CloseAll();
        }
    });
}

Tour::~Tour() {
    Finish();
}

std::string Tour::Finish() {
    if (m_Thread.joinable()) m_Thread.join();
    return m_Failure;
}

void Tour::Shot(HWND window, const char* name, const std::string& what) {
    std::printf("%s\n", what.c_str());
    std::fflush(stdout);
    Sleep(400);  // painted
    RECT place{};
    GetWindowRect(window, &place);
    const std::string request = m_Shots + "\\shot.request";
    if (FILE* file = std::fopen(request.c_str(), "w")) {
        std::fprintf(file, "%s %ld %ld %ld %ld\n", name, place.left, place.top,
                     place.right - place.left, place.bottom - place.top);
        std::fclose(file);
    }
    vqtest::WindowUser waiting(m_UiThread);
    waiting.WaitUntil([&] { return !Exists(request); }, std::string("the screenshot ") + name);
}

void Tour::Walk() {
    const TourTexts& t = m_Texts;
    vqtest::WindowUser u(m_UiThread);
    HWND wizard = u.WaitForWindow(t.Wizard);
    HWND list = u.FirstOfClass(L"SysListView32");
    HWND bar = u.FirstOfClass(L"ToolbarWindow32");
    const int rows = vqtest::WindowUser::RowCount(list);
    u.ClickRow(list, 1);
    Shot(wizard, "1-list",
         "the Transmitter Wizard lists the " + std::to_string(rows) +
             " transmitters of the sample configuration");

    u.ClickTool(bar, t.AddTool);
    HWND dialog = u.WaitForWindow(t.AddDialog);
    u.Type(L"Stack analyser");
    u.Enter();
    u.Choose(u.Field(t.TypeLabel), 2);  // the third family, on the port-sharing application
    Shot(dialog, "2-add-dialog", "Add: a transmitter named \"Stack analyser\" of the third type");
    u.Click(u.Button(t.AutoConnect));
    u.WaitUntil([&] { return vqtest::WindowUser::Chosen(u.Field(t.PortLabel)) == L"COM4"; },
                "the client port of the port-sharing application");
    Shot(dialog, "3-auto-connect",
         "Auto Connect: the simulated port-sharing application added the client and assigned COM4");
    u.Click(u.Button(t.AddButton));
    u.WaitForWindow(t.Wizard);
    u.WaitUntil([&] { return vqtest::WindowUser::RowCount(list) == rows + 1; }, "the new row");

    u.Click(u.Button(t.ConnectAll));
    u.ClickTool(bar, t.ConnectTool);
    u.WaitUntil(
        [&] {
            for (int row = 1; row <= rows + 1; ++row)
                if (vqtest::WindowUser::Cell(list, row, 5) != t.Connected) return false;
            return true;
        },
        "every row to show connected");
    Shot(wizard, "4-connected",
         "Connect all: every one of the " + std::to_string(rows + 1) + " transmitters answered");

    u.ClickTool(bar, t.SaveTool);
    HWND save = u.WaitForDialog(t.SaveTitle);
    Shot(save, "5-save-dialog", "Save configuration: the save dialog");
    u.SaveAs(save, vq::win32::Widen(m_SaveAs));
    u.WaitUntil([&] { return Exists(m_SaveAs); }, "the saved configuration");
    u.WaitForWindow(t.Wizard);
    Shot(wizard, "6-saved", "saved as " + m_SaveAs);
    u.ClickTool(bar, L"OK");
}

}  // namespace demo
