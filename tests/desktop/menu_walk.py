# Walks the context menu that is open on the screen with the Down key and prints, one a line,
# the name of every item that takes the keyboard focus, as the accessibility bus (AT-SPI)
# reports it. With a name, presses Return on the first item of that name instead and exits 1
# when the menu has none. Works the same for GTK and Qt menus, which AT-SPI shows differently
# in its tree (Qt leaves popup menus out of it) but whose focus changes it always reports.
# Usage: menu_walk.py [NAME]   (run with the system's python3, which has pyatspi)
import subprocess
import sys

import pyatspi
from gi.repository import GLib

pick = sys.argv[1] if len(sys.argv) > 1 else None
names = []
state = {"steps": 0, "done": False, "picked": False}
ITEMS = {pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM,
         pyatspi.ROLE_MENU}


def on_focus(event):
    if not event.detail1 or state["done"]:
        return
    try:
        if event.source.getRole() not in ITEMS:
            return
        name = event.source.name
    except Exception:  # the item went away while we asked
        return
    if len(names) > 1 and name == names[0]:  # round the menu once
        state["done"] = True
        return
    names.append(name)
    if pick is not None and name == pick:
        subprocess.run(["xdotool", "key", "Return"], check=False)
        state["done"] = state["picked"] = True


def step():
    if state["done"] or state["steps"] >= 40:
        pyatspi.Registry.stop()
        return False
    state["steps"] += 1
    subprocess.run(["xdotool", "key", "Down"], check=False)
    return True


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
GLib.timeout_add(150, step)
pyatspi.Registry.start()
for name in names:
    print(name)
sys.exit(0 if pick is None or state["picked"] else 1)
