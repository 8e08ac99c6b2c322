// tarvolin: program start on Linux. Builds the windows, hands the command line to start-up
// and runs Qt's event loop.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>
#include <string>

#include "common/system_style.h"
#include "frontend/qt/qt_controls.h"
#include "frontend/qt/qt_host.h"
#include "frontend/qt/qt_program.h"
#include "platform/linux/menu_registry.h"
#include "platform/linux/shell_linux.h"
#include "settings/associations.h"

int main(int argc, char** argv) {
    tarvo::setSystemStyle(tarvo::SystemStyle::Linux);
    char cwd[4096];
    const std::string folder = ::getcwd(cwd, sizeof cwd) ? cwd : "";
    const std::string text = tarvo::qt::startText(argc, argv, folder);

    tarvo::ListOnlyMenuAssociations menus;
    tarvo::linux_desktop::MenuRegistry registry(menus);
    // Removing every association shows no window, so it needs no display either (a package's
    // removal script may run it without one).
    if (text == "/cleareg") {
        char exe[4096];
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::string programFolder = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : "";
        programFolder = programFolder.substr(0, programFolder.rfind('/') + 1);
        if (!programFolder.empty()) programFolder.pop_back();
        tarvo::RemoveAllAssociations(registry, programFolder);
        return 0;
    }

    // Qt reads only the program's name: a file called "-style" is the user's, not Qt's.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvolin"));
    QApplication::setDesktopFileName(QStringLiteral("tarvolin"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvolin/tarvo.ico")));

    tarvo::qt::QtHost host;
    tarvo::linux_desktop::LinuxShell shell(host);
    tarvo::qt::QtFilePicker filePicker;
    tarvo::qt::QtFolderPicker folderPicker;
    tarvo::qt::QtProgram program({host, shell, filePicker, folderPicker, registry});
    host.setActions({[&] { program.unloadDialog(); }, [&] { program.showSettings(); },
                     [&] { program.unloadSettings(); },
                     [] {
                         // At once, as on Windows: the history is committed and the program
                         // started before this is called.
                         std::fflush(nullptr);
                         ::_exit(0);
                     }});
    program.onFinished = [] { QCoreApplication::quit(); };
    program.start(text);
    return QApplication::exec();
}
