#!/usr/bin/python3
"""Reads the widget demo through AT-SPI, as a screen reader would, from outside the program.

Run inside a private session bus (dbus-run-session); starts the accessibility bus, a private
Xvfb display and the demo, then checks roles, names, descriptions and states of the cells and
buttons, and presses a button through its Press action. Exits 77 (skipped) when a piece of the
desktop stack is missing, 1 on a failed check.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(SKIP)


try:
    import pyatspi
    from gi.repository import GLib
except ImportError as error:  # python3-pyatspi missing
    skip("pyatspi is not available (%s)" % error)

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def start_display(log):
    """Starts Xvfb on a free display number it picks itself; returns (process, ':N')."""
    if not shutil.which("Xvfb"):
        skip("Xvfb is not installed")
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp",
                             "-screen", "0", "1024x768x24"],
                            pass_fds=(write_end,), stdout=log, stderr=log)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.kill()
        skip("Xvfb did not start")
    return xvfb, ":" + number.decode()


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)
        time.sleep(0.05)
    return predicate()


def find_app(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def by_name(app, name, roles=None):
    for node in walk(app):
        if node.name == name and (roles is None or node.getRole() in roles):
            return node
    return None


BUTTON_ROLES = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)


def states(node):
    return node.getState()


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        return False
    return action.doAction(names.index("Press"))


def main():
    if len(sys.argv) != 2:
        print("usage: check-widgets.py DEMO_EXECUTABLE")
        return 2
    demo_path = sys.argv[1]
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS", "").startswith(("unix:", "tcp:")):
        skip("no private session bus (run under dbus-run-session)")
    if not os.access(LAUNCHER, os.X_OK):
        skip(LAUNCHER + " is missing (package at-spi2-core)")

    log = tempfile.TemporaryFile()
    children = []
    try:
        launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], stdout=log, stderr=log)
        children.append(launcher)
        xvfb, display = start_display(log)
        children.append(xvfb)

        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        demo = subprocess.Popen([demo_path], env=env, stdout=subprocess.PIPE, stderr=log,
                                text=True, bufsize=1)
        children.append(demo)
        if demo.stdout.readline().strip() != "ready":
            check(False, "the demo starts")
            return 1

        app = wait_for(lambda: find_app("linescope-widget-demo"), 15)
        if app is None:
            check(False, "the demo appears on the accessibility bus")
            return 1
        check(True, "the demo appears on the accessibility bus")
        run_checks(app, demo)
    finally:
        for child in reversed(children):
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(5)
                except subprocess.TimeoutExpired:
                    child.kill()
                    child.wait()
        if failures:
            log.seek(0)
            sys.stdout.write(log.read().decode(errors="replace")[-4000:])
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


def run_checks(app, demo):
    uptime = wait_for(lambda: by_name(app, "Up Time"), 10)
    check(uptime is not None, "a cell is named by its label")
    if uptime is None:
        return
    check(uptime.getRole() in (pyatspi.ROLE_STATIC, pyatspi.ROLE_LABEL),
          "a cell is static text (role %s)" % uptime.getRoleName())
    check(uptime.description == "3 days 04:05:06", "a cell's description is its value")

    general = by_name(app, "General Info")
    intf = by_name(app, "Interfaces / ifX")
    check(general is not None and intf is not None, "menu buttons are named by their captions")
    if general is None or intf is None:
        return
    check(general.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON),
          "a button is a button (role %s)" % general.getRoleName())
    # Qt 6.4's bridge does not export the checkable state; the in-process test covers it.
    check(states(general).contains(pyatspi.STATE_CHECKED), "the selected menu button is checked")
    check(not states(intf).contains(pyatspi.STATE_CHECKED), "another menu button is not")

    sound = by_name(app, "Connection sound", BUTTON_ROLES)
    raw = by_name(app, "Raw data", BUTTON_ROLES)
    check(sound is not None and raw is not None,
          "blank-captioned toggles are named by their hints")
    if sound is not None and raw is not None:
        check(not states(sound).contains(pyatspi.STATE_CHECKED) and
              states(raw).contains(pyatspi.STATE_CHECKED),
              "a toggle is checked (drawn down) while its setting is off")

    # Press a button from outside: the click must reach the program and show in the tree.
    seen = []
    listener = lambda event: seen.append((event.type, event.source.name if event.source else ""))
    pyatspi.Registry.registerEventListener(listener, "object:state-changed:checked",
                                           "object:property-change:accessible-description")
    check(press(intf), "the Press action is accepted")
    line = demo.stdout.readline().strip()
    check(line == "clicked MenuBtnIntf", "the press reaches the program (%r)" % line)
    check(wait_for(lambda: states(intf).contains(pyatspi.STATE_CHECKED), 5),
          "the pressed menu button is now checked")
    check(not states(general).contains(pyatspi.STATE_CHECKED), "the previous one is not")
    status = by_name(app, "Last click")
    check(status is not None and wait_for(lambda: status.description == "MenuBtnIntf", 5),
          "the status cell's description follows its value")
    wait_for(lambda: len(seen) >= 3, 5)
    types = [t for t, _ in seen]
    check(any(t.startswith("object:state-changed:checked") for t in types),
          "a checked-state change is announced")
    check(any(t.startswith("object:property-change:accessible-description") for t in types),
          "a description change is announced")

    # A toggle pressed from outside flips its setting, which shows as the checked state.
    if raw is not None:
        check(press(raw), "a toggle's Press action is accepted")
        line = demo.stdout.readline().strip()
        check(line == "clicked OptionsBtnRawData", "the toggle press reaches the program")
        check(wait_for(lambda: not states(raw).contains(pyatspi.STATE_CHECKED), 5),
              "the toggle is no longer checked")
    pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:checked",
                                             "object:property-change:accessible-description")


if __name__ == "__main__":
    sys.exit(main())
