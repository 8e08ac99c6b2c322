// tarvolin: program start on Linux. Builds the windows, hands the command line to start-up
// and runs Qt's event loop.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_options.h"
#include "common/system_style.h"
#include "frontend/qt/qt_controls.h"
#include "frontend/qt/qt_host.h"
#include "frontend/qt/qt_program.h"
#include "platform/linux/menu_registry.h"
#include "platform/linux/shell_linux.h"
#include "settings/associations.h"
#include "settings/linux_associations.h"
#include "storage/data_location.h"
#include "storage/mru_layout.h"

namespace {

// The folder of the running program, without a trailing slash.
std::string programFolder() {
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string folder = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : "";
    folder = folder.substr(0, folder.rfind('/') + 1);
    if (!folder.empty()) folder.pop_back();
    return folder;
}

// The program as the file managers' menus start it: by its name when the search path finds
// this very program there (an installed package), else by its own path (a build tree).
std::string menuProgram() {
    char self[PATH_MAX];
    if (::realpath("/proc/self/exe", self) == nullptr) return "tarvolin";
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
        char found[PATH_MAX];
        if (!dir.empty() && ::realpath((dir + "/tarvolin").c_str(), found) != nullptr)
            return std::strcmp(found, self) == 0 ? "tarvolin" : self;
    }
    return self;
}

}  // namespace

int main(int argc, char** argv) {
    tarvo::setSystemStyle(tarvo::SystemStyle::Linux);
    char cwd[4096];
    const std::string folder = ::getcwd(cwd, sizeof cwd) ? cwd : "";
    std::vector<std::string> args(argv + 1, argv + argc);
    const tarvo::cli::Options options = tarvo::cli::parse(args);
    // Help, version and usage errors need no display and show no window.
    switch (options.action) {
        case tarvo::cli::Action::Help:
            std::fputs(tarvo::cli::usage().c_str(), stdout);
            return 0;
        case tarvo::cli::Action::Version:
            std::fputs(tarvo::cli::versionLine(TARVO_VERSION).c_str(), stdout);
            return 0;
        case tarvo::cli::Action::UsageError:
            std::fprintf(stderr, "tarvolin: %s\n", options.error.c_str());
            std::fputs(tarvo::cli::usage().c_str(), stderr);
            return tarvo::cli::kUsageExitCode;
        case tarvo::cli::Action::UnregisterAll:
        case tarvo::cli::Action::Start:
            break;
    }
    // Dolphin's menu starts "tarvolin --if-listed FILE": Dolphin matches the list's MIME types
    // and every type derived from them, so the file's extension is looked at again below.
    const bool ifListed = options.ifListed;
    const std::string text = options.action == tarvo::cli::Action::UnregisterAll
                                 ? std::string("/cleareg")
                                 : tarvo::cli::startText(options.files, folder);

    const std::string settingsFile =
        tarvo::dataFile(programFolder(), tarvo::mru::kSettingsFileName);
    tarvo::qt::QtHost* noticeHost = nullptr;
    tarvo::menus::LinuxAssociations menus(
        settingsFile, menuProgram(), tarvo::menus::menuFolders(),
        [&noticeHost](const std::string& notice, bool warning) {
            // Told while the list file is locked: shown once the lock is released.
            if (noticeHost == nullptr) return;
            noticeHost->noticeLater(notice,
                                    warning ? tarvo::MsgIcon::Exclamation : tarvo::MsgIcon::None);
        });
    tarvo::linux_desktop::MenuRegistry registry(menus);
    // Removing every association shows no window, so it needs no display either (a package's
    // removal script may run it without one). Every menu of the program goes, those of
    // extensions a hand-edited list no longer names too; the list is kept, as on Windows.
    // Whatever could not be removed is named on standard error, and the exit code says so.
    if (text == "/cleareg") {
        const std::string report = menus.unregisterReport(menus.removeAll());
        std::fputs(report.c_str(), stderr);
        return report.empty() ? 0 : 1;
    }

    // Without a display Qt would abort with a note about platform plugins; say what is
    // missing instead, and end as a failed start does.
    const auto unset = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr || *value == '\0';
    };
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
        std::fputs("tarvolin: no display to show its window on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set)\n",
                   stderr);
        return 1;
    }

    // Qt reads only the program's name: a file called "-style" is the user's, not Qt's.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvolin"));
    QApplication::setDesktopFileName(QStringLiteral("tarvolin"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvolin/tarvo.ico")));

    tarvo::qt::QtHost host;
    noticeHost = &host;
    if (ifListed &&
        !tarvo::menus::extensionListed(text, tarvo::readAssociationList(settingsFile)) &&
        host.messageBox(nullptr, tarvo::menus::notListedQuestion(text), "Tarvolin",
                        tarvo::MsgButtons::YesNo,
                        tarvo::MsgIcon::Question) != tarvo::MsgResult::Yes)
        return 0;
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
    // The settings window is where the list is managed: the menus are brought in line with it
    // there, so they follow a new version of the program or a list edited by hand. After
    // "--unregister-all" they stay out until the list changes or the user puts them back.
    if (text.empty() && !menus.entriesOff()) {
        menus.refresh();
    } else if (text.empty() && !tarvo::readAssociationList(settingsFile).empty() &&
               host.messageBox(nullptr, tarvo::menus::kEntriesOffQuestion, "Tarvolin",
                               tarvo::MsgButtons::YesNo,
                               tarvo::MsgIcon::Question) == tarvo::MsgResult::Yes) {
        menus.restore();
    }
    return QApplication::exec();
}
