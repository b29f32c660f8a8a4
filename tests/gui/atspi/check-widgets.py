#!/usr/bin/python3
"""Reads the widget demo, and the program's Options page, through AT-SPI from outside, as a
screen reader would.

Usage: check-widgets.py DEMO [PROGRAM]. Run under dbus-run-session: starts the accessibility bus,
a private Xvfb and the demo, checks roles, names, descriptions and states, and presses buttons
through their Press action; then the same for the program's twelve option toggles, with a
router address on loopback that nothing answers.
Exit 77 means skipped (a piece of the desktop stack is missing), 1 a failed check.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
    from gi.repository import GLib
except ImportError as error:
    print("SKIP: pyatspi is not available (%s)" % error)
    sys.exit(77)

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
BUTTONS = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)
    return condition


def wait_for(predicate, seconds=5):
    deadline = time.monotonic() + seconds
    while not predicate() and time.monotonic() < deadline:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.05)
    return predicate()


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def find(root, name, roles=None):
    return next((n for n in walk(root)
                 if n.name == name and (roles is None or n.getRole() in roles)), None)


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    return "Press" in names and action.doAction(names.index("Press"))


def run_checks(app, demo):
    uptime = find(app, "Up Time")
    if not check(uptime is not None, "a cell is named by its label"):
        return
    check(uptime.getRole() in (pyatspi.ROLE_STATIC, pyatspi.ROLE_LABEL),
          "a cell is static text (%s)" % uptime.getRoleName())
    check(uptime.description == "3 days 04:05:06", "a cell's description is its value")

    general, intf = find(app, "General Info", BUTTONS), find(app, "Interfaces / ifX", BUTTONS)
    sound, raw = find(app, "Connection sound", BUTTONS), find(app, "Raw data", BUTTONS)
    if not check(None not in (general, intf), "menu buttons are buttons named by captions"):
        return
    # Qt 6.4's bridge does not export the checkable state; the in-process test covers it.
    check(checked(general) and not checked(intf), "the selected menu button alone is checked")
    if check(None not in (sound, raw), "blank-captioned toggles are named by their hints"):
        check(not checked(sound) and checked(raw), "a toggle is checked while its setting is off")

    seen = []
    events = ("object:state-changed:checked", "object:property-change:accessible-description")
    listener = lambda event: seen.append(event.type)
    pyatspi.Registry.registerEventListener(listener, *events)
    check(press(intf), "the Press action is accepted")
    check(demo.stdout.readline().strip() == "clicked MenuBtnIntf", "the press reaches the program")
    check(wait_for(lambda: checked(intf) and not checked(general)), "the selection moves")
    status = find(app, "Last click")
    check(wait_for(lambda: status.description == "MenuBtnIntf"), "a cell's new value shows")
    wait_for(lambda: len(seen) >= 3)
    for event in events:
        check(any(t.startswith(event) for t in seen), "announced: " + event)
    if raw is not None:
        press(raw)
        check(demo.stdout.readline().strip() == "clicked OptionsBtnRawData",
              "a toggle's press reaches the program")
        check(wait_for(lambda: not checked(raw)), "the toggle flips")
    pyatspi.Registry.deregisterEventListener(listener, *events)


TOGGLES = {  # label: on at first start
    "Hide when minimised": False, "Start minimised": False, "Auto run on Windows boot": False,
    "Beep on connect success/failure": True, "Centre text in titles and data": True,
    "Always display raw data": False, "Enable SysLog server": False,
    "Beep on arrival of SysLog message": False, "Remove process ID from messages": True,
    "Add router IP and port to messages": False, "Output SysLog messages to file": False,
    "Add date to SysLog filename": True}


def check_options_page(app):
    options = find(app, "Options", BUTTONS)
    check(options is not None and press(options), "the Options menu button is pressed")
    toggles = lambda: {n.name: n for n in walk(app) if n.getRole() == pyatspi.ROLE_CHECK_BOX}
    wait_for(lambda: len(toggles()) >= 12)
    boxes = toggles()
    check(sorted(boxes) == sorted(TOGGLES), "the toggles are check boxes named by their labels: %s"
          % sorted(boxes))
    check(all(n.description and n.description != name for name, n in boxes.items()),
          "each toggle is described by its label's hint")
    remove = boxes.get("Remove process ID from messages")
    check(remove is not None and remove.description == "Removes the <???> process ID from "
          "Syslog messages.", "a toggle's description is its hint, exactly")
    check(all(checked(n) == TOGGLES[name] for name, n in boxes.items()),
          "each toggle is checked while its option is on")
    raw = boxes.get("Always display raw data")
    if raw is not None:
        seen = []
        listener = lambda event: seen.append(event.type)
        pyatspi.Registry.registerEventListener(listener, "object:state-changed:checked")
        check(press(raw) and wait_for(lambda: checked(raw)), "pressing a toggle turns it on")
        check(wait_for(lambda: seen != []), "announced: the toggle's checked state")
        check(press(raw) and wait_for(lambda: not checked(raw)), "pressing again turns it off")
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:checked")


def start_program(program, env, log, children):
    """The program with a private configuration and a loopback router address nobody answers."""
    config = tempfile.mkdtemp()
    os.makedirs(os.path.join(config, "Corvane"))
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    with open(os.path.join(config, "Corvane", "LineScope.conf"), "w") as conf:
        conf.write("[General]\nIPAddress=127.0.0.1:%d\nWinX=0\nWinY=0\n" % port)
    env = dict(env, XDG_CONFIG_HOME=config)
    children.append(subprocess.Popen([program], env=env, stdout=log, stderr=log))
    return config


def main():
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS", "").startswith("unix:"):
        print("SKIP: no private session bus (run under dbus-run-session)")
        return 77
    for tool in (LAUNCHER, shutil.which("Xvfb")):
        if not tool or not os.access(tool, os.X_OK):
            print("SKIP: %s is missing (at-spi2-core, xvfb)" % (tool or "Xvfb"))
            return 77
    log = tempfile.TemporaryFile()
    config = None
    children = [subprocess.Popen([LAUNCHER, "--launch-immediately"], stdout=log, stderr=log)]
    try:
        # Xvfb picks a free display itself and writes its number to the pipe.
        read_end, write_end = os.pipe()
        children.append(subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten",
                                          "tcp"], pass_fds=(write_end,), stdout=log, stderr=log))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        demo = subprocess.Popen([sys.argv[1]], env=env, stdout=subprocess.PIPE, stderr=log,
                                text=True)
        children.append(demo)
        if check(display != "" and demo.stdout.readline().strip() == "ready", "the demo starts"):
            desktop = pyatspi.Registry.getDesktop(0)
            app = lambda: next((a for a in desktop if a and a.name == "linescope-widget-demo"), None)
            if check(wait_for(lambda: app() is not None, 15), "the demo is on the AT-SPI bus"):
                run_checks(app(), demo)
            if len(sys.argv) > 2:
                config = start_program(sys.argv[2], env, log, children)
                program = lambda: next((a for a in desktop if a and a.name == "LineScope"), None)
                if check(wait_for(lambda: program() is not None, 30), "the program is on the bus"):
                    check_options_page(program())
    finally:
        if config:
            shutil.rmtree(config, ignore_errors=True)
        for child in reversed(children):
            child.terminate()
            try:
                child.wait(5)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
        if failures:
            log.seek(0)
            sys.stdout.write(log.read().decode(errors="replace")[-3000:])
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
