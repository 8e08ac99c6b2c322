#!/usr/bin/python3
# tarvolin as a screen reader meets it: reads the argument dialog, the Browse menu, the
# settings window, the input box and a message box over the accessibility bus (AT-SPI), checks
# every focusable object's role and name, and walks every window with Tab as a keyboard user
# would. Run by a11y.sh, which gives it an X server, a session bus and the program.
# Usage: a11y_e2e.py PATH/TO/tarvolin WORK_FOLDER
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

tarvolin, work = sys.argv[1], sys.argv[2]
failures = 0

# Objects that took the focus, as the bus announced them: a popup menu is no child of the
# application's tree (Qt lists only its windows), so a screen reader meets it by these events.
focus_events = []


def on_focus(event):
    """Keeps (role, name, object) of what took the focus, read when it happened."""
    if event.detail1 != 1:
        return
    try:
        focus_events.append((event.source.getRoleName(), event.source.name, event.source))
    except Exception:  # gone already
        pass


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def check(what, expected, actual):
    global failures
    if expected == actual:
        print(f"ok: {what}")
    else:
        failures += 1
        print(f"FAILED: {what}\n  expected: {expected!r}\n  actual:   {actual!r}")


def wait_for(seconds, probe):
    """The first true answer of probe within the time, else None."""
    end = time.monotonic() + seconds
    while True:
        pump()
        try:
            found = probe()
        except Exception:  # an object that went away while it was read
            found = None
        if found or time.monotonic() > end:
            return found
        time.sleep(0.1)


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True)
    time.sleep(0.3)


def states(obj):
    return obj.getState()


def has(obj, state):
    return states(obj).contains(state)


def walk(obj):
    yield obj
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "tarvolin":
            return app
    return None


def showing_windows():
    app = application()
    if app is None:
        return []
    return [w for w in (app.getChildAtIndex(i) for i in range(app.childCount))
            if w is not None and has(w, pyatspi.STATE_SHOWING)]


def window_with(role_name, name):
    """The showing window that holds an object of that role and name."""
    for w in showing_windows():
        for o in walk(w):
            if o.getRoleName() == role_name and o.name == name:
                return w
    return None


def focusables(window):
    """(role, name) of every focusable object, sorted, with whether it is enabled."""
    found = []
    for o in walk(window):
        if has(o, pyatspi.STATE_FOCUSABLE):
            found.append((o.getRoleName(), o.name, has(o, pyatspi.STATE_ENABLED)))
    return sorted(found)


def focused_in_tree():
    for w in showing_windows():
        for o in walk(w):
            if has(o, pyatspi.STATE_FOCUSED) and o.getRoleName() not in ("dialog", "combo box"):
                return (o.getRoleName(), o.name)
    return None


def focused():
    """(role, name) of the object that has the keyboard: the last one the bus announced (a list
    entry keeps its focused state after the focus has left the list); for the argument box, its
    edit field, which has the keyboard."""
    for role, name, obj in reversed(focus_events):
        try:
            name = obj.name  # a name changes while the focus stays (">")
        except Exception:  # gone with its window
            pass
        if role == "combo box":
            return ("text", name)  # the box and its field share their name
        if role not in ("dialog", "alert", "popup menu"):
            return (role, name)
    return focused_in_tree()


def named_in_words(name):
    return any(ch.isalpha() for ch in name)


def every_name_in_words(what, items):
    bad = [f"{role} {name!r}" for role, name, *_ in items if not named_in_words(name)]
    check(f"{what}: every focusable object has a name in words", [], bad)


# --- the argument dialog ----------------------------------------------------------------------
folder = os.path.join(work, "files")
os.makedirs(folder, exist_ok=True)
target = os.path.join(folder, "run.sh")
with open(target, "w") as f:
    f.write("#!/bin/sh\n")
os.chmod(target, 0o755)
state = os.path.join(os.environ["XDG_STATE_HOME"], "tarvolin")
os.makedirs(state, exist_ok=True)
with open(os.path.join(state, "MRU.INI"), "wb") as f:
    f.write(b"[run.sh]\r\n0=0\r\n1=-v\r\n")

app_process = subprocess.Popen([tarvolin, target])
try:
    args = "Arguments for run.sh"
    dialog = wait_for(20, lambda: window_with("text", args))
    if dialog is None:
        print("FAILED: the dialog did not appear on the accessibility bus")
        sys.exit(1)
    check("the dialog's title", ("dialog", "Tarvolin"), (dialog.getRoleName(), dialog.name))
    items = focusables(dialog)
    check("the dialog's focusable objects", sorted([
        ("check box", "CMD", True),
        ("combo box", args, True),
        ("list", args, True),
        ("list item", "-v", True),
        ("push button", "Browse...", True),
        ("push button", "Cancel", True),
        ("push button", "More options", True),
        ("push button", "OK", True),
        ("push button", "Settings", True),
        ("text", args, True),
    ]), items)
    every_name_in_words("dialog", items)
    labels = [o.name for o in walk(dialog) if o.getRoleName() == "label"]
    check("the file name's label", ["run.sh:"], labels)

    wait_for(5, lambda: focused() == ("text", args))
    check("the focus starts in the argument box", ("text", args), focused())
    seen = []
    for _ in range(7):
        key("Tab")
        seen.append(wait_for(3, focused))
    check("Tab visits every control of the dialog and comes back", [
        ("check box", "CMD"), ("push button", "OK"), ("push button", "Cancel"),
        ("push button", "Browse..."), ("push button", "Settings"),
        ("push button", "More options"), ("text", args)], seen)

    # ">" says what it does and whether the window is expanded.
    width = next(o for o in walk(dialog) if o.getRoleName() == "push button"
                 and o.name == "More options")
    check("More options is expandable and collapsed", (True, True, False),
          (has(width, pyatspi.STATE_EXPANDABLE), has(width, pyatspi.STATE_COLLAPSED),
           has(width, pyatspi.STATE_EXPANDED)))
    key("shift+Tab")
    key("space")
    wait_for(3, lambda: focused() == ("push button", "Fewer options"))
    check("pressed, it is named Fewer options", ("push button", "Fewer options"), focused())
    width = next(o for o in walk(dialog) if o.getRoleName() == "push button"
                 and o.name == "Fewer options")
    check("Fewer options is expanded", (True, False),
          (has(width, pyatspi.STATE_EXPANDED), has(width, pyatspi.STATE_COLLAPSED)))
    key("space")
    wait_for(3, lambda: focused() == ("push button", "More options"))
    check("pressed again, More options", ("push button", "More options"), focused())

    # The Browse menu: every entry is a menu item named by its caption.
    key("shift+Tab", "shift+Tab", "space")
    time.sleep(0.5)
    focus_events.clear()
    key("Down")

    def menu_item():
        return next((o for role, _, o in focus_events if role == "menu item"), None)
    item = wait_for(5, menu_item)
    items = []
    if item is not None:
        menu = item.parent
        check("the menu is a popup menu named after its button", ("popup menu", "Browse..."),
              (menu.getRoleName(), menu.name))
        items = [(o.getRoleName(), o.name.strip()) for o in walk(menu)
                 if o.getRoleName() == "menu item"]
    check("the Browse menu's items", [
        ("menu item", "Add Files..."), ("menu item", "Add Folders..."),
        ("menu item", "Clear & Add Files..."), ("menu item", "Clear & Add Folders...")], items)
    key("Escape")
    wait_for(3, lambda: focused() == ("push button", "Browse..."))
    check("Esc closes the menu on Browse", ("push button", "Browse..."), focused())

    # --- the settings window, opened from the dialog ----------------------------------------
    key("Tab", "space")
    settings = wait_for(10, lambda: window_with("list", "File Association"))
    if settings is None:
        print("FAILED: the settings window did not appear")
        sys.exit(1)
    items = focusables(settings)
    check("the settings window's focusable objects", sorted([
        ("link", "https://www.example.com/tarvolin", True),
        ("link", "tarvolin@example.com", True),
        ("list", "File Association", True),
        ("push button", "Add", True),
        ("push button", "Clear All History", True),
        ("push button", "Clear File History", True),
        ("push button", "OK", True),
        ("push button", "Remove", False),
        ("push button", "Run a File Now...", True),
    ]), items)
    every_name_in_words("settings window", items)
    links = {o.name: o for o in walk(settings) if o.getRoleName() == "link"}
    for name, label in (("tarvolin@example.com", "Email:"),
                        ("https://www.example.com/tarvolin", "Website:")):
        rel = [t.name for r in links[name].getRelationSet()
               if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
               for t in (r.getTarget(i) for i in range(r.getNTargets()))]
        check(f"the {name} link is labelled by {label!r} first", [label], rel[:1])

    wait_for(5, lambda: focused() == ("push button", "OK"))
    check("the focus starts on OK", ("push button", "OK"), focused())
    seen = []
    for _ in range(7):
        key("Tab")
        seen.append(wait_for(3, focused))
    check("Tab visits every enabled control of the settings window and comes back", [
        ("list", "File Association"), ("push button", "Add"),
        ("push button", "Clear File History"), ("push button", "Clear All History"),
        ("link", "tarvolin@example.com"), ("link", "https://www.example.com/tarvolin"),
        ("push button", "OK")], seen)

    # Enter on a link opens it.
    opened = os.path.join(work, "opened.log")
    key("shift+Tab")
    key("Return")
    wait_for(5, lambda: os.path.exists(opened))
    check("Enter on the web link opens it", "https://www.example.com/tarvolin",
          open(opened).read().strip() if os.path.exists(opened) else None)

    # The input box: its text field is named by the prompt.
    key("shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "space")
    prompt = "Please Enter File Extension:"
    box = wait_for(10, lambda: window_with("text", prompt))
    items = focusables(box) if box is not None else []
    check("the input box is a dialog titled Tarvolin", ("dialog", "Tarvolin"),
          (box.getRoleName(), box.name) if box is not None else None)
    check("the input box's focusable objects", sorted([
        ("push button", "Cancel", True), ("push button", "OK", True),
        ("text", prompt, True)]), items)
    subprocess.run(["xdotool", "type", "--delay", "60", "zzq"], check=True)
    key("Return")

    # Message boxes: alerts named by their title, holding their text and named buttons.
    def message_box():
        for w in showing_windows():
            if w.getRoleName() == "alert":
                return w
        return None

    def check_message_box(what, words, buttons):
        box = wait_for(10, message_box)
        if box is None:
            check(f"a message box {what}", "alert", None)
            return
        check(f"the message box {what} is titled", "Tarvolin", box.name)
        texts = [o.name for o in walk(box) if o.getRoleName() == "label" and o.name]
        check(f"the message box {what} holds its text", True, any(words in t for t in texts))
        every_name_in_words(f"the message box {what}", focusables(box))
        check(f"the message box {what}: its buttons", buttons,
              [item for item in focusables(box) if item[0] == "push button"])

    check_message_box("after adding .zzq", "zzq", [("push button", "OK", True)])
    key("Return")
    wait_for(5, lambda: message_box() is None)
    # Without a window manager nobody gives the keyboard back to the window a box closed over
    # (a desktop's window manager does): give it back as one would.
    subprocess.run("xdotool windowfocus $(xdotool search --onlyvisible --name '^Tarvolin$' "
                   "| head -1)", shell=True, check=False)
    time.sleep(0.5)

    # Remove asks first: Yes and No.
    # The entry is selected with Space, which makes Remove ready.
    key("shift+Tab", "space", "Tab", "Tab")
    remove = next(o for o in walk(settings) if o.getRoleName() == "push button"
                  and o.name == "Remove")
    check("the focus is on Remove", True,
          bool(wait_for(3, lambda: has(remove, pyatspi.STATE_FOCUSED))))
    key("space")
    check_message_box("before removing .zzq", "zzq",
                      [("push button", "No", True), ("push button", "Yes", True)])
    key("Escape")
finally:
    app_process.kill()
    app_process.wait()

print("all accessibility checks passed" if failures == 0 else f"{failures} checks failed")
sys.exit(1 if failures else 0)
