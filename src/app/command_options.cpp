// tarvolin's command line: options, the start text, usage.
#include "app/command_options.h"

namespace tarvo::cli {
namespace {

constexpr char kIfListed[] = "--if-listed";

Options failure(std::string error) {
    Options options;
    options.action = Action::UsageError;
    options.error = std::move(error);
    return options;
}

}  // namespace

Options parse(const std::vector<std::string>& args) {
    Options options;
    bool unregister = false;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') break;
        if (arg == "--help" || arg == "-h") {
            options.action = Action::Help;
            return options;
        }
        if (arg == "--version") {
            options.action = Action::Version;
            return options;
        }
        if (arg == "--unregister-all") {
            unregister = true;
        } else if (arg == kIfListed) {
            options.ifListed = true;
            // The file follows whatever it looks like; a "--" before it is still allowed.
            if (i + 1 < args.size() && args[i + 1] == "--") ++i;
            ++i;
            break;
        } else {
            return failure("unknown option '" + arg + "'");
        }
    }
    options.files.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (unregister) {
        if (options.ifListed || !options.files.empty())
            return failure("--unregister-all takes no file");
        options.action = Action::UnregisterAll;
    } else if (options.ifListed && options.files.empty()) {
        return failure("--if-listed needs a file");
    }
    return options;
}

std::string startText(const std::vector<std::string>& files, const std::string& folder) {
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) text += ' ';
        text += files[i];
    }
    if (text.empty() || text.front() == '/') return text;
    std::string base = folder;
    if (base.empty() || base.back() != '/') base += '/';
    // The switch is known by the text as typed: a relative name that the working folder makes
    // into "/cleareg" ("cleareg" in "/") is a file, and start-up takes a text in double quotes
    // as the path inside them, never as the switch.
    const std::string path = base + text;
    return path == "/cleareg" ? "\"" + path + "\"" : path;
}

std::string usage() {
    return "Usage: tarvolin [--] FILE\n"
           "       tarvolin\n"
           "       tarvolin --unregister-all\n"
           "       tarvolin --if-listed FILE\n"
           "Run FILE with arguments typed in a small dialog.\n"
           "\n"
           "  tarvolin FILE               open the dialog on FILE: type the arguments, press\n"
           "                              Enter, and FILE runs with them in its own folder\n"
           "  tarvolin                    open the settings window: the file extensions whose\n"
           "                              right-click menus offer Tarvolin\n"
           "  --unregister-all            remove every menu entry of Tarvolin from the file\n"
           "                              managers and end, without a window; the list of\n"
           "                              extensions is kept\n"
           "  --if-listed FILE            as FILE, but ask first when the list does not name\n"
           "                              FILE's extension (the file managers' menus use it)\n"
           "  -h, --help                  print this help and end\n"
           "  --version                   print the version and end\n"
           "  --                          end the options: a FILE that begins with \"-\"\n"
           "\n"
           "Arguments after the options are one path, joined by blanks.\n"
           "See tarvolin(1) for the files it keeps and its exit codes.\n";
}

std::string versionLine(std::string_view version) {
    return "tarvolin " + std::string(version) + "\n";
}

}  // namespace tarvo::cli
