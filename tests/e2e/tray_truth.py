#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the tray shows is what the battery does, within a second of a change.

The real agent on a virtual display (Xvfb) with its icon in a panel stand-in
(a StatusNotifierWatcher on a private session bus), the real charge service
started by that bus on demand, and a sysfs tree of the test's. Everything is
read from outside: the icon's tooltip and its menu over D-Bus, the thresholds
from the files. Each case starts afresh.

    tray_truth.py --build BUILD_DIR [CASE ...]
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

import dbus
import dbus.mainloop.glib
import dbus.service

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
from process_group import stop_group  # noqa: E402
from virtual_display import start_xvfb  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"
CHARGE = "org.voltquill.Charge1"


class Failure(Exception):
    pass


# -- the panel stand-in (its own process) -------------------------------------
def run_watcher():
    from gi.repository import GLib

    class Watcher(dbus.service.Object):
        def __init__(self, bus):
            super().__init__(bus, "/StatusNotifierWatcher")
            self.items = []

        @dbus.service.method(WATCHER, in_signature="s", out_signature="",
                             sender_keyword="sender")
        def RegisterStatusNotifierItem(self, service, sender=None):
            # A path alone names an object of the caller's connection.
            self.items.append(sender + service if service.startswith("/") else service)

        @dbus.service.method(WATCHER, in_signature="s", out_signature="")
        def RegisterStatusNotifierHost(self, service):
            pass

        # Qt reads the properties through an introspected proxy.
        @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s")
        def Introspect(self):
            return f"""<node><interface name="{WATCHER}">
              <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
              <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
              <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
              <property name="ProtocolVersion" type="i" access="read"/>
              <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
              </interface><interface name="{dbus.PROPERTIES_IFACE}">
              <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/>
              <arg type="v" direction="out"/></method>
              <method name="GetAll"><arg type="s" direction="in"/>
              <arg type="a{{sv}}" direction="out"/></method></interface></node>"""

        @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
        def Get(self, interface, name):
            return self.GetAll(interface)[name]

        @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
        def GetAll(self, interface):
            return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0),
                    "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s")}

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    name = dbus.service.BusName(WATCHER, bus)
    GLib.MainLoop().run()
    del watcher, name


# -- the machine --------------------------------------------------------------
class Machine:
    def __init__(self, build, display, idle_seconds=60, state_writable=True):
        self.build = build
        # In memory where possible: on a disk busy writing back (right after a
        # build, say) a write to the fake sysfs can stall for a second, which
        # real sysfs never does, and the timings here are the product's.
        shm = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None
        self.work = tempfile.mkdtemp(prefix="voltquill-tray-", dir=shm)
        self.sys = os.path.join(self.work, "sys")
        self.supplies = os.path.join(self.sys, "class", "power_supply")
        self.state = os.path.join(self.work, "state")
        if not state_writable:
            with open(self.state, "w"):
                pass  # a file where the folder should be
        self.procs = []
        self.env = dict(os.environ)
        for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"):
            self.env[name] = os.path.join(self.work, name.lower())
        self.env.update({"XDG_RUNTIME_DIR": self.work, "DISPLAY": display,
                         "VOLTQUILL_SYSFS_ROOT": self.sys, "VOLTQUILL_STATE_DIR": self.state,
                         "VOLTQUILL_CHARGE_BUS": "session", "QT_QPA_PLATFORM": "xcb",
                         "NO_AT_BRIDGE": "1", "LC_ALL": "C.UTF-8"})
        self.env.pop("XDG_CURRENT_DESKTOP", None)
        self.idle_seconds = idle_seconds
        self.bus = None
        self.item = None

    def supply(self, name, **attributes):
        folder = os.path.join(self.supplies, name)
        os.makedirs(folder, exist_ok=True)
        for key, value in attributes.items():
            self.write(name, key, value)

    def write(self, supply, attribute, value):
        with open(os.path.join(self.supplies, supply, attribute), "w") as f:
            f.write(f"{value}\n")

    def write_file(self, relative, text):
        """A file below the sysfs root, written in place as a driver does."""
        path = os.path.join(self.sys, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(f"{text}\n")

    def read(self, supply, attribute):
        with open(os.path.join(self.supplies, supply, attribute)) as f:
            return f.read().strip()

    def threshold(self):
        return self.read("BAT0", "charge_control_end_threshold")

    def start(self, name, cmd):
        log = open(os.path.join(self.work, f"{name}.log"), "w")
        proc = subprocess.Popen(cmd, env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                start_new_session=True)
        self.procs.append(proc)
        return proc

    def boot(self):
        """The bus (which starts the service on demand), the panel, the agent."""
        services = os.path.join(self.work, "services")
        os.makedirs(services)
        charged = os.path.join(self.build, "charged", "voltquill-charged")
        with open(os.path.join(services, f"{CHARGE}.service"), "w") as f:
            f.write(f"[D-BUS Service]\nName={CHARGE}\n"
                    f"Exec={charged} --exit-when-idle {self.idle_seconds}\n")
        config = os.path.join(self.work, "bus.conf")
        with open(config, "w") as f:
            f.write(f"<busconfig><type>session</type>"
                    f"<listen>unix:path={self.work}/bus</listen><auth>EXTERNAL</auth>"
                    f"<servicedir>{services}</servicedir>"
                    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
        daemon = subprocess.Popen(["dbus-daemon", f"--config-file={config}", "--nofork",
                                   "--print-address"], env=self.env, stdout=subprocess.PIPE,
                                  stderr=open(os.path.join(self.work, "bus.log"), "w"),
                                  text=True, start_new_session=True)
        self.procs.append(daemon)
        address = daemon.stdout.readline().strip()
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = address
        self.bus = dbus.bus.BusConnection(address)
        self.start("watcher", [sys.executable, os.path.abspath(__file__), "--watcher"])
        wait_until(lambda: self.bus.name_has_owner(WATCHER), 10, "the panel stand-in is up")
        self.start("voltquill", [os.path.join(self.build, "src", "voltquill")])
        watcher = self.bus.get_object(WATCHER, "/StatusNotifierWatcher")

        def registered():
            items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems",
                                dbus_interface=dbus.PROPERTIES_IFACE)
            return items[0] if items else None
        wait_until(registered, 20, "the agent's icon is in the panel")
        self.item = str(registered())

    def service_running(self):
        return bool(self.bus.name_has_owner(CHARGE))

    def charge(self, method, *args):
        proxy = self.bus.get_object(CHARGE, "/org/voltquill/Charge1")
        return getattr(proxy, method)(*args, dbus_interface=CHARGE)

    # -- the icon, seen from the panel ------------------------------------
    def _item(self):
        if "/" in self.item:
            service, path = self.item.split("/", 1)
            return self.bus.get_object(service, "/" + path)
        return self.bus.get_object(self.item, "/StatusNotifierItem")

    def tooltip(self):
        tip = self._item().Get("org.kde.StatusNotifierItem", "ToolTip",
                               dbus_interface=dbus.PROPERTIES_IFACE)
        return "\n".join(str(part) for part in (tip[2], tip[3]) if part)

    def _menu(self):
        item = self._item()
        path = item.Get("org.kde.StatusNotifierItem", "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
        return self.bus.get_object(item.bus_name, path)

    def menu(self):
        """The menu as it opens: (id, label) of every row."""
        menu = self._menu()
        menu.AboutToShow(0, dbus_interface="com.canonical.dbusmenu")
        _, layout = menu.GetLayout(0, -1, ["label"], dbus_interface="com.canonical.dbusmenu")
        return [(int(child[0]), str(child[1].get("label", ""))) for child in layout[2]]

    def click(self, label):
        rows = self.menu()
        for row_id, row_label in rows:
            if row_label.replace("&", "") == label:
                self._menu().Event(row_id, "clicked", dbus.Int32(0, variant_level=1),
                                   dbus.UInt32(0), dbus_interface="com.canonical.dbusmenu")
                return
        raise Failure(f"no row »{label}« in the menu: {[r[1] for r in rows]}")

    def service_pid(self):
        try:
            return int(self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus")
                       .GetConnectionUnixProcessID(CHARGE, dbus_interface="org.freedesktop.DBus"))
        except dbus.DBusException:
            return None

    def stop_service(self):
        """Ends the service the bus started on demand, by its id. (The agent
        may have the bus start another one at once, to watch a suspension.)"""
        pid = self.service_pid()
        os.kill(pid, signal.SIGTERM)
        wait_until(lambda: self.service_pid() != pid, 5, "the service stops")

    def stop(self):
        for _ in range(3):
            try:
                if self.bus and self.service_running():
                    self.stop_service()
            except (Failure, dbus.DBusException, ProcessLookupError, TypeError):
                pass
        for proc in reversed(self.procs):
            stop_group(proc)
        if self.bus:
            self.bus.close()

    def logs(self):
        out = []
        for name in ("voltquill", "watcher", "bus"):
            path = os.path.join(self.work, f"{name}.log")
            if os.path.exists(path):
                with open(path, errors="replace") as f:
                    out.append(f"--- {name}.log\n{f.read()[-3000:]}")
        return "\n".join(out)


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = predicate()
            if last:
                return last
        except dbus.DBusException as error:
            last = error
        time.sleep(0.05)
    raise Failure(f"not within {timeout} s: {what} (last: {last!r})")


def laptop(machine, online="1", adapter_type="Mains"):
    machine.supply("BAT0", type="Battery", status="Not charging", capacity="60",
                   charge_control_end_threshold="100")
    machine.supply("AC", type=adapter_type, online=online)


# -- the cases ----------------------------------------------------------------
def charging_fully_once_at_80(m):
    """A limit of 80 % picked in the menu, then suspended for one full charge."""
    laptop(m)
    m.boot()
    m.click("80 %")
    wait_until(lambda: m.threshold() == "80", 5, "the battery holds 80 %")
    m.click("Einmal voll laden (bis zum Abstecken)")
    wait_until(lambda: "Limit 80 % – lädt einmalig voll" in m.tooltip(), 2,
               "the tooltip shows the suspension")


def case_unplug_ends_suspension(m):
    """Unplugging ends a one-time full charge: the tray says so within a second."""
    charging_fully_once_at_80(m)
    m.write("AC", "online", "0")
    wait_until(lambda: "Ladelimit 80 % aktiv" in m.tooltip(), 1, "the tooltip shows 80 % again")
    wait_until(lambda: any(l == "Ladelimit 80 % aktiv" for _, l in m.menu()), 1,
               "the menu shows 80 % again")
    if m.threshold() != "80":
        raise Failure(f"the battery holds {m.threshold()} %")


def case_unplug_while_the_service_is_away(m):
    """Charged fully, the service gone (shut down, or ended), then unplugged."""
    charging_fully_once_at_80(m)
    m.stop_service()
    m.write("AC", "online", "0")
    wait_until(lambda: "Ladelimit 80 % aktiv" in m.tooltip(), 1, "the tooltip shows 80 % again")
    if m.threshold() != "80":
        raise Failure(f"the battery holds {m.threshold()} %")


def case_outside_change_while_idle(m):
    """Another program sets 60 % while the service is gone: shown, adopted, not undone."""
    laptop(m)
    m.boot()
    m.click("80 %")
    wait_until(lambda: m.threshold() == "80", 5, "the battery holds 80 %")
    wait_until(lambda: not m.service_running(), 10, "the service leaves when idle")
    m.write("BAT0", "charge_control_end_threshold", "60")
    wait_until(lambda: "Ladelimit 60 % aktiv" in m.tooltip(), 1, "the tooltip shows 60 %")
    time.sleep(0.5)
    if m.service_running():
        raise Failure("showing the change woke the idle service")
    # Started again (a plug event, a resume, a command): it keeps 60 %.
    if m.charge("Limit") != 60:
        raise Failure("the service did not adopt 60 %")
    time.sleep(0.3)
    if m.threshold() != "60" or "Ladelimit 60 % aktiv" not in m.tooltip():
        raise Failure(f"60 % did not hold: {m.threshold()} %, »{m.tooltip()}«")


def case_driver_reset(m):
    """A driver reset is written over, and the tray never settles on it."""
    laptop(m)
    m.boot()
    m.click("75 %")
    wait_until(lambda: m.threshold() == "75", 5, "the battery holds 75 %")
    for _ in range(3):
        m.write("BAT0", "charge_control_end_threshold", "100")
        wait_until(lambda: m.threshold() == "75", 0.5, "the reset is written over")
        wait_until(lambda: "Ladelimit 75 % aktiv" in m.tooltip(), 1, "the tooltip shows 75 %")
        time.sleep(0.2)


def case_unsaved_limit_is_a_warning(m):
    """A limit that holds but was not saved reads as a warning, not a failure."""
    laptop(m)
    m.boot()
    m.click("80 %")
    wait_until(lambda: m.threshold() == "80", 5, "the battery holds 80 %")
    warning = "⚠︎ Ladelimit 80 % gilt, wird nach einem Neustart aber nicht wiederhergestellt."
    labels = wait_until(lambda: [l for _, l in m.menu() if l.startswith("⚠")], 2,
                        "the menu has a warning")
    if labels != [warning]:
        raise Failure(f"the menu says {labels}")
    if "Ladelimit 80 % aktiv" not in m.tooltip():
        raise Failure(f"the tooltip says »{m.tooltip()}«")


def case_usb_pd_programmable_is_plugged(m):
    """A USB-PD source reading online = 2 powers the laptop."""
    laptop(m, online="2", adapter_type="USB")
    m.boot()
    wait_until(lambda: "Akku 60 % – am Netzteil, lädt nicht" in m.tooltip(), 2,
               "the tooltip says plugged in")
    m.write("AC", "online", "0")
    wait_until(lambda: "Akku 60 % – Akkubetrieb" in m.tooltip(), 1, "the tooltip says on battery")


NO_LIMIT = "Ladelimit aus (lädt auf 100 %)"

# Laptop families whose end threshold alone does not say what the battery
# does. Each row: the driver's tree (module, supplies, other files, as the
# kernel documents them), what the tray shows, a change by another program
# that sets a limit, what the tray shows then.
# (name, module, supplies {name: attributes}, files {path below the root: text},
#  shown, (path below the root, new text), shown after)
FAMILIES = [
    # dell-laptop: the thresholds act only while charge_types is Custom.
    ("dell", "dell_laptop",
     {"BAT0": {"charge_types": "Trickle Fast [Standard] Adaptive Custom",
               "charge_control_start_threshold": "50", "charge_control_end_threshold": "80"}},
     {}, NO_LIMIT,
     ("class/power_supply/BAT0/charge_types", "Trickle Fast Standard Adaptive [Custom]"),
     "Ladelimit 80 % aktiv"),
    # wilco_charger: the thresholds and charge_type sit on the charger supply;
    # they too act only in Custom.
    ("wilco", "wilco_charger",
     {"BAT0": {}, "wilco-charger": {"type": "Mains", "charge_type": "Standard",
                                    "charge_control_start_threshold": "75",
                                    "charge_control_end_threshold": "80"}},
     {}, NO_LIMIT, ("class/power_supply/wilco-charger/charge_type", "Custom"),
     "Ladelimit 80 % aktiv"),
    # sony-laptop: battery_care_limiter on the platform device, 0 for no limit.
    ("sony", "sony_laptop", {"BAT0": {}},
     {"devices/platform/sony-laptop/battery_care_limiter": "0"}, NO_LIMIT,
     ("devices/platform/sony-laptop/battery_care_limiter", "80"), "Ladelimit 80 % aktiv"),
]


def case_family_limit_in_force(m, family):
    """The tray shows the limit in force by the family's rules, also after a
    change by another program while the service is idle, without waking it."""
    _, module, supplies, files, shown, (path, text), shown_after = family
    os.makedirs(os.path.join(m.sys, "module", module))
    for name, attributes in supplies.items():
        if name.startswith("BAT"):
            attributes = {"type": "Battery", "status": "Not charging", "capacity": "60",
                          **attributes}
        m.supply(name, **attributes)
    m.supply("AC", type="Mains", online="1")
    for relative, content in files.items():
        m.write_file(relative, content)
    m.boot()
    wait_until(lambda: not m.service_running(), 10, "the service leaves when idle")
    wait_until(lambda: shown in m.tooltip(), 1, f"the tooltip shows »{shown}«")
    m.write_file(path, text)
    wait_until(lambda: shown_after in m.tooltip(), 1,
               f"the tooltip shows »{shown_after}« (it shows »{m.tooltip()}«)")
    wait_until(lambda: any(l == shown_after for _, l in m.menu()), 1,
               f"the menu shows »{shown_after}«")
    time.sleep(0.5)
    if m.service_running():
        raise Failure("showing the change woke the idle service")


# name: (case, how the machine is set up)
CASES = {
    "unplug_ends_suspension": (case_unplug_ends_suspension, {}),
    "unplug_while_the_service_is_away": (case_unplug_while_the_service_is_away, {}),
    "outside_change_while_idle": (case_outside_change_while_idle, {"idle_seconds": 1}),
    "driver_reset": (case_driver_reset, {}),
    "unsaved_limit_is_a_warning": (case_unsaved_limit_is_a_warning, {"state_writable": False}),
    "usb_pd_programmable_is_plugged": (case_usb_pd_programmable_is_plugged, {}),
    **{f"family_{f[0]}": (lambda m, f=f: case_family_limit_in_force(m, f), {"idle_seconds": 1})
       for f in FAMILIES},
}


def main():
    if "--watcher" in sys.argv:
        run_watcher()
        return
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("cases", nargs="*", help=", ".join(CASES))
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    xvfb, display = start_xvfb("1024x768x24", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failed = []
    try:
        for name in args.cases or CASES:
            started = time.monotonic()
            case, setup = CASES[name]
            machine = Machine(build, display, **setup)
            try:
                case(machine)
                print(f"PASS   {name} ({time.monotonic() - started:.1f} s)", flush=True)
            except Exception as error:  # noqa: BLE001 - every case reports
                failed.append(name)
                print(f"FAIL!  {name}: {error}", flush=True)
                traceback.print_exc()
                print(machine.logs(), flush=True)
            finally:
                machine.stop()
                shutil.rmtree(machine.work, ignore_errors=True)
    finally:
        xvfb.terminate()
        xvfb.wait(5)
    print(f"{len(args.cases or CASES) - len(failed)} passed, {len(failed)} failed", flush=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
