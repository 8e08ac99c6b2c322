// GNOME Files' entries: its Python extension or a script in its Scripts submenu.
#include "settings/linux/nautilus.h"

#include "settings/linux/entry_text.h"

namespace tarvo::menus {
namespace {

constexpr char kScriptHead[] = "#!/bin/sh\n";

// A Python bytes literal: printable ASCII as it is, everything else as \xNN, so any program
// path or extension comes through whatever its bytes.
std::string pythonBytes(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "b'";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out + "'";
}

// A word for /bin/sh: single quotes where needed (a script's text is not a desktop entry's,
// so % stays as it is).
std::string shellWord(const std::string& text) {
    if (plainProgram(text)) return text;
    std::string word = "'";
    for (char c : text) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    return word + "'";
}

bool scriptOurs(std::string_view bytes) {
    return bytes.starts_with(std::string(kScriptHead) + kMadeByLine);
}

void offered(const MenuPlan& plan, MenuUpdate& update) {
    for (const auto& listed : plan.extensions) update.offeredBy[listed.ext].push_back("GNOME Files");
}

}  // namespace

std::string nautilusExtension(const std::string& program, const std::vector<std::string>& exts) {
    std::string list;
    for (const auto& ext : exts) list += pythonBytes(asciiLower(ext)) + ", ";
    std::string text = std::string(kMadeByLine) + "\n";
    text +=
        "# GNOME Files' context menu entry for the file types in Tarvolin's list; GNOME Files\n"
        "# loads it at its start with python3-nautilus.\n"
        "import ast\n"
        "import os\n"
        "import subprocess\n"
        "\n"
        "from gi.repository import GObject, Nautilus\n"
        "\n"
        "PROGRAM = " + pythonBytes(program) + "\n"
        "# The listed extensions, in lower case.\n"
        "EXTENSIONS = (" + list + ")\n"
        "\n"
        "_LOWER = bytes.maketrans(b'ABCDEFGHIJKLMNOPQRSTUVWXYZ', b'abcdefghijklmnopqrstuvwxyz')\n"
        "_list = {'stamp': None, 'program': PROGRAM, 'extensions': EXTENSIONS}\n"
        "\n"
        "\n"
        "def _current():\n"
        "    # Tarvolin rewrites this file as its list changes and deletes it with the list's\n"
        "    # last extension, while GNOME Files keeps what it loaded: the list is read from the\n"
        "    # file again whenever the file changed, and nothing is offered once it is gone.\n"
        "    try:\n"
        "        info = os.stat(__file__)\n"
        "        stamp = (info.st_ino, info.st_mtime_ns)\n"
        "        if stamp != _list['stamp']:\n"
        "            with open(__file__, 'rb') as source:\n"
        "                for line in source:\n"
        "                    if line.startswith(b'PROGRAM = '):\n"
        "                        _list['program'] = ast.literal_eval(line[10:].decode())\n"
        "                    elif line.startswith(b'EXTENSIONS = '):\n"
        "                        _list['extensions'] = ast.literal_eval(line[13:].decode())\n"
        "            _list['stamp'] = stamp\n"
        "    except (OSError, ValueError, SyntaxError):\n"
        "        return None, ()\n"
        "    return _list['program'], _list['extensions']\n"
        "\n"
        "\n"
        "def _listed(name, extensions):\n"
        "    name = name.translate(_LOWER)\n"
        "    return any(len(name) > len(ext) + 1 and name.endswith(b'.' + ext)\n"
        "               for ext in extensions)\n"
        "\n"
        "\n"
        "class TarvolinMenu(GObject.GObject, Nautilus.MenuProvider):\n"
        "    def get_file_items(self, *args):  # (files); (window, files) before GNOME Files 43\n"
        "        files = args[-1]\n"
        "        if len(files) != 1 or files[0].is_directory():\n"
        "            return []\n"
        "        location = files[0].get_location()\n"
        "        path = location.get_path() if location is not None else None\n"
        "        program, extensions = _current()\n"
        "        if path is None or program is None:\n"
        "            return []\n"
        "        path = os.fsencode(path)\n"
        "        if not _listed(os.path.basename(path), extensions):\n"
        "            return []\n"
        "        item = Nautilus.MenuItem(name='Tarvolin::open', label='Tarvolin',\n"
        "                                 tip='Run the file with arguments', icon='tarvolin')\n"
        "        item.connect('activate', self._open, program, path)\n"
        "        return [item]\n"
        "\n"
        "    def _open(self, item, program, path):\n"
        "        subprocess.Popen([program, path], start_new_session=True,\n"
        "                         stdin=subprocess.DEVNULL)\n";
    return text;
}

std::string nautilusScript(const std::string& program) {
    std::string text = std::string(kScriptHead) + kMadeByLine + "\n";
    text +=
        "# GNOME Files offers its scripts for every file: Tarvolin asks before it opens a file\n"
        "# whose extension is not in its list. GNOME Files starts a script in the folder it\n"
        "# shows, with the chosen files' names; Tarvolin opens the first.\n"
        "[ $# -ge 1 ] || exit 0\n"
        "case $1 in\n"
        "/*) file=$1 ;;\n"
        "*) file=$PWD/$1 ;;\n"
        "esac\n"
        "exec " + shellWord(program) + " " + kIfListedSwitch + " \"$file\"\n";
    return text;
}

void updateNautilus(const MenuPlan& plan, MenuUpdate& update) {
    const MenuFolders& folders = plan.folders;
    const bool any = !plan.extensions.empty();
    const bool extension = any && folders.nautilusPython;
    const bool script = any && !folders.nautilusPython;
    if (!folders.nautilusExtensions.empty()) {
        if (extension) {
            std::vector<std::string> exts;
            for (const auto& listed : plan.extensions) exts.push_back(listed.ext);
            if (putFile(update, folders.nautilusExtensions, kNautilusExtensionName,
                        nautilusExtension(plan.program, exts), fs::FileMode::Keep))
                offered(plan, update);
        } else {
            dropIfOurs(update, folders.nautilusExtensions + "/" + kNautilusExtensionName);
        }
    }
    if (!folders.nautilusScripts.empty()) {
        if (script) {
            if (putFile(update, folders.nautilusScripts, kNautilusScriptName,
                        nautilusScript(plan.program), fs::FileMode::Executable, scriptOurs))
                offered(plan, update);
        } else {
            dropIfOurs(update, folders.nautilusScripts + "/" + kNautilusScriptName, scriptOurs);
        }
    }
}

}  // namespace tarvo::menus
