#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The settings window as a screen reader reads it: through the accessibility
bus (AT-SPI), on a private X server and session bus.

  check_accessibility.py HOST PLUGIN_DIR

HOST shows the real window (settings_window_host.cpp). Every tab is selected
through the page tab list, as an assistive technology can, and its tree is
walked. It fails on a focusable control without a name, limit segments that
are not radio buttons named "Laden bis NN %" in a group named "Laden bis", a
stepper without a value, and a health chart without a description or that
takes the focus; the history list must be focusable, named and have its
column headers.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from virtual_display import start_xvfb  # noqa: E402

HOST, PLUGINS = sys.argv[1], sys.argv[2]
problems = []


def fail(message):
    problems.append(message)


def start_bus(env):
    out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                          "--print-pid=1"], capture_output=True, text=True, env=env, check=True)
    address, pid = out.stdout.split()[:2]
    return address, int(pid)


def walk(acc, depth=0):
    yield acc, depth
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def main():
    runtime = tempfile.mkdtemp(prefix="voltquill-a11y-")
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QT_", "DBUS_", "AT_SPI", "GTK_", "XDG_"))}
    try:
        xvfb, display = start_xvfb("1280x1024x24", stderr=subprocess.DEVNULL)
    except RuntimeError as error:
        raise SystemExit(str(error))
    env.update(DISPLAY=display, XDG_RUNTIME_DIR=runtime, HOME=runtime)
    bus_pid = None
    host = None
    try:
        address, bus_pid = start_bus(env)
        env["DBUS_SESSION_BUS_ADDRESS"] = address
        # Qt switches its bridge on when the bus it asks for is there: start it first.
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                        "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=env,
                       capture_output=True, timeout=30, check=True)
        host = subprocess.Popen([HOST], env=dict(env, QT_QPA_PLATFORM="xcb",
                                                 QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                                 QT_ACCESSIBILITY="1", LC_ALL="C.UTF-8",
                                                 TZ="Europe/Berlin",
                                                 VOLTQUILL_PLUGIN_DIR=PLUGINS),
                                stdout=subprocess.PIPE, text=True)
        if host.stdout.readline().strip() != "bereit":
            raise SystemExit("the window did not come up")
        os.environ.update(env)
        check()
    finally:
        if host:
            host.terminate()
            host.wait(10)
        if bus_pid:
            os.kill(bus_pid, signal.SIGTERM)
        xvfb.terminate()
        xvfb.wait(10)
        subprocess.run(["rm", "-rf", runtime])
    for p in problems:
        print("FEHLT:", p)
    print(f"{len(problems)} problem(s)")
    return 1 if problems else 0


def settings_window(pyatspi):
    deadline = time.time() + 30
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is None or app.name != "Voltquill":
                continue
            for j in range(app.childCount):
                w = app.getChildAtIndex(j)
                if w is not None and "Einstellungen" in (w.name or ""):
                    return w
        time.sleep(0.3)
    raise SystemExit("the window is not on the accessibility bus")


def check():
    import pyatspi  # after the environment names the private buses

    window = settings_window(pyatspi)
    strip = next(a for a, _ in walk(window) if a.getRole() == pyatspi.ROLE_PAGE_TAB_LIST)
    tabs = [strip.getChildAtIndex(i) for i in range(strip.childCount)]
    tabs = [t for t in tabs if t.getRole() == pyatspi.ROLE_PAGE_TAB]
    if [t.name for t in tabs] != ["Laden", "Zeitplan", "Mitteilungen", "Verlauf", "Allgemein"]:
        fail(f"tabs: {[t.name for t in tabs]}")
    seen = {"radio group": False, "steppers": 0, "chart": False, "list": False}
    for tab in tabs:
        tab.queryAction().doAction(0)
        time.sleep(0.8)
        window.clearCache()
        check_tab(pyatspi, tab.name, window, seen)
    if not seen["radio group"]:
        fail("Laden: no group \"Laden bis\" of radio buttons")
    if seen["steppers"] != 3:
        fail(f"{seen['steppers']} steppers with a value, not 3")
    if not seen["chart"]:
        fail("Verlauf: no chart named \"Akku-Zustand über die Monate\"")
    if not seen["list"]:
        fail("Verlauf: no history list named \"Verlauf\"")


def check_tab(pyatspi, tab, window, seen):
    for acc, _ in walk(window):
        states = acc.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        role = acc.getRole()
        parent = acc.parent
        where = f"{tab}: {acc.getRoleName()} \"{acc.name}\" in {parent.getRoleName() if parent else '-'}"
        if states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_ENABLED) \
                and not (acc.name or "").strip():
            kids = [acc.getChildAtIndex(i).getRoleName() for i in range(min(acc.childCount, 4))]
            fail(f"{where}: focusable without a name {kids} {acc.queryComponent().getExtents(0)}")
        if role == pyatspi.ROLE_CHECK_BOX and re.fullmatch(r"\d+ %", acc.name or ""):
            fail(f"{where}: a limit segment as a check box")
        if acc.name == "Laden bis" and acc.childCount > 1:
            radios = [acc.getChildAtIndex(i) for i in range(acc.childCount)]
            wrong = [(r.getRoleName(), r.name) for r in radios if r.getRole() != pyatspi.ROLE_RADIO_BUTTON
                     or not re.fullmatch(r"Laden bis \d+ %", r.name or "")]
            checked = [r.name for r in radios if r.getState().contains(pyatspi.STATE_CHECKED)]
            if wrong:
                fail(f"{where}: not radio buttons named \"Laden bis NN %\": {wrong}")
            elif checked != ["Laden bis 80 %"]:
                fail(f"{where}: checked {checked}, not \"Laden bis 80 %\"")
            else:
                seen["radio group"] = True
        if role == pyatspi.ROLE_SPIN_BUTTON:
            try:
                value = acc.queryValue()
                current, low, high = value.currentValue, value.minimumValue, value.maximumValue
            except NotImplementedError:
                fail(f"{where}: a stepper without a value")
                continue
            if not low <= current <= high or low >= high:
                fail(f"{where}: value {current} outside {low}..{high}")
            else:
                seen["steppers"] += 1
        if acc.name == "Akku-Zustand über die Monate":
            seen["chart"] = True
            description = acc.description or ""
            if not ("Januar 2025" in description and "Dezember 2025" in description
                    and "98 %" in description and "87 %" in description):
                fail(f"{where}: description \"{description}\" does not sum up the months")
            if states.contains(pyatspi.STATE_FOCUSABLE):
                fail(f"{where}: the chart takes the focus")
        if acc.name == "Verlauf" and role in (pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE,
                                              pyatspi.ROLE_TREE, pyatspi.ROLE_LIST):
            seen["list"] = True
            if not states.contains(pyatspi.STATE_FOCUSABLE):
                fail(f"{where}: the history list takes no focus")
            try:
                table = acc.queryTable()
                headers = [table.getColumnDescription(i) or
                           (table.getColumnHeader(i).name if table.getColumnHeader(i) else "")
                           for i in range(table.nColumns)]
            except NotImplementedError:
                headers = []
            if headers != ["Monat", "Zustand", "Zyklen"]:
                fail(f"{where}: column headers {headers}")


if __name__ == "__main__":
    sys.exit(main())
