# Reads the context menu that is open on the screen through the accessibility bus (AT-SPI) and
# prints the names of its items, one a line; with a name, activates the first item of that
# name instead and exits 1 when the menu has none. With --in SUBMENU, the items of the submenu
# of that name (none when there is no such submenu).
#
# GTK 3 shows an open popup menu, its submenus included, in the application's tree. Qt leaves
# popup menus out of the tree, but reports every item that takes the keyboard focus: there
# the menu is walked with the Down key (and Right into a submenu) and Return picks the item.
# Usage: menu_walk.py [--in SUBMENU] [NAME]   (with the system's python3, which has pyatspi)
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

args = sys.argv[1:]
submenu = None
if args[:1] == ["--in"]:
    submenu, args = args[1], args[2:]
pick = args[0] if args else None
ITEMS = {pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM,
         pyatspi.ROLE_MENU}


def children(acc):
    for i in range(acc.childCount):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            yield child


def popup_items():
    """The items of every open popup menu in the tree, submenus' items after their menu."""
    found = []

    def items_of(menu, out):
        for child in children(menu):
            try:
                role = child.getRole()
                visible = child.getState().contains(pyatspi.STATE_VISIBLE)
            except Exception:
                continue
            if not visible:  # kept in the menu, but hidden for this file
                continue
            if role in ITEMS:
                out.append(child)
            if role == pyatspi.ROLE_MENU:
                items_of(child, out)

    def search(acc, depth):
        try:
            role = acc.getRole()
            showing = acc.getState().contains(pyatspi.STATE_SHOWING)
        except Exception:
            return
        if role == pyatspi.ROLE_MENU_BAR or (depth > 1 and not showing):
            return
        if role == pyatspi.ROLE_MENU and depth <= 2:  # a popup: a window of its own
            items_of(acc, found)
            return
        if depth < 30:
            for child in children(acc):
                search(child, depth + 1)

    for app in pyatspi.Registry.getDesktop(0):
        if app is not None:
            search(app, 0)
    return found


def state_of(acc, state):
    try:
        return acc.getState().contains(state)
    except Exception:
        return False


def inside(menus):
    """The visible items anywhere below the given menus (GTK 4 nests a submenu's page in
    more than one object of the submenu's name)."""
    out = []

    def collect(acc, depth):
        for child in children(acc):
            try:
                role = child.getRole()
            except Exception:
                continue
            if role in ITEMS and state_of(child, pyatspi.STATE_VISIBLE):
                out.append(child)
            if depth < 10:
                collect(child, depth + 1)

    for menu in menus:
        collect(menu, 0)
    return out


def from_tree(items):
    menus = []
    if submenu is not None:
        menus = [i for i in items if i.getRole() in ITEMS and i.name == submenu]
        if not menus:
            return 0 if pick is None else 1
        items = inside(menus)
    if pick is None:
        seen = []
        for item in items:
            if item.name not in seen:
                seen.append(item.name)
                print(item.name)
        return 0
    matches = [i for i in items if i.name == pick]
    if not matches:
        return 1
    showing = [i for i in matches if state_of(i, pyatspi.STATE_SHOWING)]
    if not showing and menus:
        # A submenu that is not open: open it first, then take the item it shows.
        menus[0].queryAction().doAction(0)
        time.sleep(0.8)
        showing = [i for i in inside(menus) if i.name == pick and
                   state_of(i, pyatspi.STATE_SHOWING)]
    (showing or matches)[0].queryAction().doAction(0)
    return 0


def by_focus():
    names = []
    state = {"steps": 0, "done": False, "picked": False, "inside": submenu is None}

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
        if not state["inside"]:
            if name == submenu:
                subprocess.run(["xdotool", "key", "Right"], check=False)
                state["inside"] = True
                state["pause"] = 5  # a submenu slides in (GTK 4) before it takes keys
                names.clear()
            return
        if pick is not None and name == pick:
            subprocess.run(["xdotool", "key", "Return"], check=False)
            state["done"] = state["picked"] = True

    def step():
        if state["done"] or state["steps"] >= 40:
            pyatspi.Registry.stop()
            return False
        if state.get("pause", 0) > 0:
            state["pause"] -= 1
            return True
        state["steps"] += 1
        subprocess.run(["xdotool", "key", "Down"], check=False)
        return True

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.timeout_add(150, step)
    pyatspi.Registry.start()
    if state["inside"]:
        for name in names:
            if pick is None:
                print(name)
    return 0 if pick is None or state["picked"] else 1


items = popup_items()
sys.exit(from_tree(items) if items else by_focus())
