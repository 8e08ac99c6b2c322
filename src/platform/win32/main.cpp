// Tarvo.exe: program start on Windows. Builds the argument dialog, hands the command line to
// start-up, and runs the message loop.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include <memory>

#include "app/startup.h"
#include "dialog/form1.h"
#include "platform/win32/dpi.h"
#include "platform/win32/form1_window.h"
#include "platform/win32/host_win32.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/pickers_win32.h"
#include "platform/win32/shell_win32.h"

namespace tarvo::win {
namespace {

class Program {
  public:
    Program()
        : host_(WinHost::Windows{[this] { unloadDialog(); }, [this] { showSettings(); },
                                 [this] { unloadSettings(); }}) {}

    int run(const wchar_t* commandLine) {
        dialog_ =
            std::make_unique<Form1Window>(Form1Services{host_, shell_, filePicker_, folderPicker_});
        const std::string text = commandLineArguments(
            std::u16string_view(reinterpret_cast<const char16_t*>(commandLine)));
        // The settings window's engine removes the associations; until it is wired in, there
        // is nothing recorded to remove.
        const StartMode mode = Form_Initialize(dialog_->form1(), host_, text, [] {});
        if (mode == StartMode::ClearRegistry) return 0;
        if (mode == StartMode::Dialog) dialog_->native().show();
        return runMessageLoop();
    }

  private:
    // The dialog stays in memory until the program ends: an unload may come from inside one of
    // its own handlers, so it is hidden here and ends with the loop.
    void unloadDialog() {
        dialogLoaded_ = false;
        if (dialog_) dialog_->native().hide();
        if (!settingsLoaded_) PostQuitMessage(0);
    }

    // The settings window is not built yet: say so, then leave it as its closing would, back
    // to the dialog or, when there is no target, out of the program.
    void showSettings() {
        settingsLoaded_ = true;
        MessageBoxW(dialog_ ? dialog_->hwnd() : nullptr,
                    L"The settings window is not available in this build.", L"Tarvolin",
                    MB_OK | MB_ICONINFORMATION);
        unloadSettings();
    }

    void unloadSettings() {
        settingsLoaded_ = false;
        if (!dialog_ || dialog_->form1().CheckEx == "6" || !dialogLoaded_) {
            PostQuitMessage(0);
            return;
        }
        dialog_->native().show();
    }

    WinHost host_;
    WinShell shell_;
    WinFilePicker filePicker_;
    WinFolderPicker folderPicker_;
    std::unique_ptr<Form1Window> dialog_;
    bool dialogLoaded_ = true;
    bool settingsLoaded_ = false;
};

}  // namespace
}  // namespace tarvo::win

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The manifest asks for per-monitor DPI awareness too; this covers systems that read only
    // one of the two.
    tarvo::win::enablePerMonitorDpiAwareness();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    // Apartment-threaded COM and OLE, as the shell's execute request and the folder picker
    // expect.
    const HRESULT ole = OleInitialize(nullptr);
    int code = 0;
    {
        tarvo::win::Program program;
        code = program.run(GetCommandLineW());
    }
    if (SUCCEEDED(ole)) OleUninitialize();
    return code;
}
