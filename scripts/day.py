#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A scripted day of Voltquill on the simulated laptop.

Starts a virtual display with a tray (Xvfb + trayer) and a notification daemon
(dunst) when there is no display, a private session bus, the simulated laptop,
the charge service on that bus and the agent; then plays a day at accelerated
time: pick a limit in the tray menu, plug in, charge to the limit (limit
notification), charge fully once, unplug, discharge to low battery (low
notification), and let the weekday schedule switch the evening before. It
prints what happens as it happens and leaves screenshots and the notifications
received in a folder it names at the end.

With --check it asserts what a user would see from outside the agent and exits
non-zero on the first deviation (the end-to-end test).
"""
import argparse
import datetime
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from process_group import stop_group
from virtual_display import start_xvfb

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Failure(Exception):
    pass


class Interrupted(Exception):
    """Ctrl+C, or the day's process was told to stop."""


# The kernel's battery status, as the day's German lines say it.
STATUS_WORDS = {"Charging": "lädt", "Discharging": "entlädt", "Not charging": "lädt nicht",
                "Full": "voll", "Unknown": "Zustand unbekannt"}

# The evening the day plays towards: the schedule's default evening hour.
EVENING_HOUR = 20


class Day:
    def __init__(self, args):
        self.args = args
        self.build = os.path.abspath(args.build)
        self.work = tempfile.mkdtemp(prefix="voltquill-day-")
        stamp = datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
        self.out = os.path.abspath(args.out or os.path.join(os.getcwd(), f"voltquill-tag-{stamp}"))
        os.makedirs(self.out, exist_ok=True)
        self.sysroot = os.path.join(self.work, "sys")
        self.bat = os.path.join(self.sysroot, "class", "power_supply", "BAT0")
        self.procs = []
        self.own_dunst = False
        self.bus_pid = None
        self.sim = None
        self.agent = None
        self.t0 = time.monotonic()
        self.notify_log = os.path.join(self.out, "benachrichtigungen.txt")
        self.env = dict(os.environ)
        self.env.update({
            "XDG_CONFIG_HOME": os.path.join(self.work, "config"),
            "XDG_DATA_HOME": os.path.join(self.work, "data"),
            "XDG_CACHE_HOME": os.path.join(self.work, "cache"),
            "XDG_RUNTIME_DIR": self.work,
            "VOLTQUILL_SYSFS_ROOT": self.sysroot,
            "VOLTQUILL_CHARGE_BUS": "session",
            "VOLTQUILL_STATE_DIR": os.path.join(self.work, "state"),
            "QT_QPA_PLATFORM": "xcb",
            "NO_AT_BRIDGE": "1",
            "LC_ALL": "C.UTF-8",
        })

    # -- the agent's clock -------------------------------------------------
    def evening_zone(self):
        """A fixed time zone in which it is just after the evening hour now.

        The agent reads the wall clock in its local time; in this zone the day's
        last step falls in the evening whatever the hour of the real clock.
        """
        utc = datetime.datetime.now(datetime.timezone.utc)
        offset = (EVENING_HOUR - utc.hour) % 24
        if offset > 14:
            offset -= 24
        sign = "-" if offset >= 0 else "+"  # POSIX counts west of UTC as positive
        return f"<UTC{offset:+03d}>{sign}{abs(offset)}", datetime.timezone(datetime.timedelta(hours=offset))

    # -- output ------------------------------------------------------------
    def say(self, text):
        print(f"[{time.monotonic() - self.t0:6.1f} s] {text}", flush=True)

    def check(self, condition, text):
        if condition:
            self.say(f"ok: {text}")
        elif self.args.check:
            raise Failure(text)
        else:
            self.say(f"nicht erfüllt: {text}")

    # -- processes ---------------------------------------------------------
    def log(self, name):
        return open(os.path.join(self.work, f"{name}.log"), "a")

    def start(self, cmd, name, stdin=None, env=None):
        proc = subprocess.Popen(cmd, env=env or self.env, stdin=stdin, stdout=self.log(name), stderr=subprocess.STDOUT,
                                start_new_session=True, text=True)
        self.procs.append((name, proc))
        return proc

    def alive(self, name):
        return all(p.poll() is None for n, p in self.procs if n == name)

    def stop_all(self):
        for name, proc in reversed(self.procs):
            if proc.poll() is None:
                stop_group(proc)
        if self.bus_pid:
            try:
                os.kill(self.bus_pid, signal.SIGTERM)
            except Exception:
                pass

    def wait_for(self, what, predicate, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate():
                return True
            time.sleep(0.1)
        return False

    # -- the desktop -------------------------------------------------------
    def desktop(self):
        if self.args.virtual or not os.environ.get("DISPLAY"):
            try:
                xvfb, display = start_xvfb("1280x800x24", stdout=self.log("xvfb"), stderr=subprocess.STDOUT,
                                           start_new_session=True)
            except RuntimeError as error:
                raise Failure(str(error))
            self.procs.append(("xvfb", xvfb))
            self.env["DISPLAY"] = display
            self.say(f"virtuelles Display {display}")
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             capture_output=True, text=True, env=self.env, check=True)
        address, pid = bus.stdout.split()[:2]
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.bus_pid = int(pid)
        self.say("eigener Sitzungsbus gestartet")
        if self.args.virtual or not os.environ.get("DISPLAY") or self.args.check:
            self.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                        "--height", "24", "--SetDockType", "true", "--transparent", "false",
                        "--tint", "0x303030"], "trayer")
            rc = os.path.join(self.work, "dunstrc")
            logger = os.path.join(self.work, "notify-log.sh")
            with open(logger, "w") as f:
                f.write("#!/bin/sh\n"
                        f"printf '%s\\t%s\\t%s\\n' \"$1\" \"$2\" \"$3\" >> '{self.notify_log}'\n")
            os.chmod(logger, 0o755)
            with open(rc, "w") as f:
                # Notifications expire as on a desktop; before a picture that should
                # show none, the day closes what is left.
                f.write("[global]\n  geometry = \"420x5-10+40\"\n  font = DejaVu Sans 10\n"
                        "  timeout = 15\n[urgency_critical]\n  timeout = 15\n"
                        "[log]\n  appname = \"*\"\n  script = " + logger + "\n")
            open(self.notify_log, "w").close()
            self.start(["dunst", "-config", rc], "dunst")
            self.own_dunst = True
            self.say("Tray (trayer) und Benachrichtigungsdienst (dunst) gestartet")
            time.sleep(1.0)

    def displayed_notifications(self):
        out = subprocess.run(["dunstctl", "count", "displayed"], env=self.env, capture_output=True,
                             text=True).stdout.strip()
        return int(out) if out.isdigit() else -1

    def dunst_visible(self):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", "Dunst"],
                             env=self.env, capture_output=True, text=True).stdout
        return bool(out.split())

    def notifications_on_screen(self, shown):
        """Waits until the daemon shows a notification (shown) or none; our dunst only."""
        if not self.own_dunst:
            time.sleep(0.5)
            return True
        if not shown:
            subprocess.run(["dunstctl", "close-all"], env=self.env, capture_output=True)
        ok = self.wait_for("notifications", lambda: (self.displayed_notifications() > 0) == shown
                           and self.dunst_visible() == shown, 5)
        time.sleep(0.3)  # one frame for the daemon and the tray to draw
        return ok

    def screenshot(self, name, window="root", notification=False):
        """A picture once what it shows is on screen: its notification, or none left over."""
        if not self.notifications_on_screen(notification):
            problem = "Benachrichtigung " + ("nicht zu sehen" if notification else "schließt nicht")
            if self.args.check:
                raise Failure(f"{problem} ({name})")
            self.say(problem)
        path = os.path.join(self.out, f"{name}.png")
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", window, path],
                       env=self.env, capture_output=True)
        self.say(f"Bildschirmfoto {os.path.basename(path)}")
        return path

    # -- the simulated laptop ---------------------------------------------
    def sim_command(self, command):
        self.sim.stdin.write(command + "\n")
        self.sim.stdin.flush()

    def attr(self, name):
        try:
            with open(os.path.join(self.bat, name)) as f:
                return f.read().strip()
        except FileNotFoundError:
            return ""

    def level(self):
        try:
            return int(self.attr("capacity"))
        except ValueError:
            return -1

    def threshold(self):
        for name in ("charge_control_end_threshold", "charge_stop_threshold"):
            value = self.attr(name)
            if value:
                return int(value)
        return -1

    # -- notifications received by the daemon -----------------------------
    def notifications(self):
        try:
            with open(self.notify_log) as f:
                return [line.rstrip("\n").split("\t") for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def wait_notification(self, title, timeout):
        found = self.wait_for(title, lambda: any(n[1] == title for n in self.notifications()), timeout)
        if found:
            body = [n for n in self.notifications() if n[1] == title][-1][2]
            self.say(f"Benachrichtigung: {title} – {body}")
        return found

    # -- the tray menu -----------------------------------------------------
    def tray_icon_geometry(self):
        """The agent's embedded tray window: x, y, width, height."""
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True,
                              text=True).stdout
        for line in tree.splitlines():
            if "voltquill" in line.lower() and "x" in line:
                parts = line.split()
                wid = parts[0]
                info = subprocess.run(["xwininfo", "-id", wid], env=self.env, capture_output=True,
                                      text=True).stdout
                vals = {}
                for l in info.splitlines():
                    l = l.strip()
                    for key in ("Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:",
                                "Map State:"):
                        if l.startswith(key):
                            vals[key] = l.split(":", 1)[1].strip()
                if vals.get("Map State:") == "IsViewable" and int(vals.get("Width:", "0")) <= 64:
                    return (int(vals["Absolute upper-left X:"]), int(vals["Absolute upper-left Y:"]),
                            int(vals["Width:"]), int(vals["Height:"]))
        return None

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, capture_output=True)

    def open_menu(self):
        geo = self.tray_icon_geometry()
        if not geo:
            raise Failure("kein Tray-Symbol von Voltquill")
        x, y, w, h = geo
        self.xdotool("mousemove", str(x + w // 2), str(y + h // 2))
        time.sleep(0.2)
        self.xdotool("click", "1")
        if not self.wait_for("menu", self.menu_visible, 5):
            raise Failure("das Menü öffnet sich nicht")
        time.sleep(0.3)  # one frame to draw its rows

    def menu_visible(self):
        """A window of the agent's that is neither its tray icon nor its settings window."""
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", "voltquill"],
                             env=self.env, capture_output=True, text=True).stdout.split()
        for wid in ids:
            if wid == self.window_id():
                continue
            geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], env=self.env,
                                      capture_output=True, text=True).stdout
            values = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
            if int(values.get("HEIGHT", "0")) > 64:
                return True
        return False

    def pick_menu_row(self, downs):
        self.open_menu()
        for _ in range(downs):
            self.xdotool("key", "Down")
            time.sleep(0.05)
        self.xdotool("key", "Return")
        time.sleep(0.5)

    # -- the day -----------------------------------------------------------
    def write_settings(self, values):
        folder = os.path.join(self.env["XDG_CONFIG_HOME"], "Voltquill")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "settings.json")
        current = {}
        if os.path.exists(path):
            with open(path) as f:
                current = json.load(f)
        current.update(values)
        tmp = path + ".tmp"
        with open(tmp, "w") as f:
            json.dump(current, f)
        os.replace(tmp, path)

    def run(self):
        binaries = {name: os.path.join(self.build, sub, name) for sub, name in
                    (("src", "voltquill"), ("charged", "voltquill-charged"), ("sim", "voltquill-sim"))}
        for path in binaries.values():
            if not os.path.exists(path):
                raise Failure(f"fehlt: {path} (erst bauen)")
        self.desktop()

        # The agent's clock says evening (see evening_zone); the schedule is
        # switched on only at the day's last step, when tomorrow's limit counts.
        zone, tzinfo = self.evening_zone()
        now = datetime.datetime.now(tzinfo)
        today = now.isoweekday() % 7 + 1       # 1 Sunday … 7 Saturday
        tomorrow = today % 7 + 1
        self.write_settings({"lowThreshold": 10, "scheduleEve": True,
                             "scheduleEveHour": EVENING_HOUR,
                             f"schedule_{today}": 80, f"schedule_{tomorrow}": 90})
        self.agent_env = dict(self.env, TZ=zone)

        self.sim = self.start([binaries["voltquill-sim"], "--root", self.sysroot, "--speed",
                               str(self.args.speed), "--tick", "250", "unplug", "level", "55"],
                              "sim", stdin=subprocess.PIPE)
        if not self.wait_for("sim", lambda: self.level() == 55, 10):
            raise Failure("der simulierte Laptop legt keinen Akku an")
        self.say(f"simulierter Laptop: Akku 55 %, Akkubetrieb, {self.args.speed}-fache Zeit; "
                 f"Voltquills Uhr zeigt {now:%H:%M} Uhr")
        self.start([binaries["voltquill-charged"]], "charged")
        time.sleep(0.5)
        self.agent = self.start([binaries["voltquill"]], "voltquill", env=self.agent_env)
        if not self.wait_for("tray", lambda: self.tray_icon_geometry() is not None, 20):
            raise Failure("Voltquill zeigt kein Tray-Symbol")
        self.say("Voltquill läuft, Symbol im Tray")
        self.screenshot("01-tray")

        # Pick 75 % in the menu: the rows that take focus start with the limits 60, 65, 70, 75.
        self.open_menu()
        self.screenshot("02-menue")
        self.xdotool("key", "Escape")
        time.sleep(0.3)
        self.pick_menu_row(4)
        self.check(self.wait_for("limit", lambda: self.threshold() == 75, 10),
                   f"Ladeschwelle am Akku ist 75 % (gelesen: {self.threshold()} %)")

        self.say("Netzteil eingesteckt")
        self.sim_command("plug")
        self.check(self.wait_notification("Ladelimit erreicht", 120),
                   "Benachrichtigung »Ladelimit erreicht« beim Limit")
        # The firmware stops charging on its next step after the level reached the limit.
        self.wait_for("holding", lambda: self.attr("status") != "Charging", 5)
        status = self.attr("status")
        self.say(f"Akku hält bei {self.level()} % ({STATUS_WORDS.get(status, status)})")
        self.screenshot("03-limit-erreicht", notification=True)

        # Charge fully once: the row after the limits.
        self.pick_menu_row(len(range(60, 101, 5)) + 1)
        self.check(self.wait_for("full", lambda: self.threshold() == 100, 10),
                   "einmal voll laden: Ladeschwelle 100 %")
        self.check(self.wait_for("charged", lambda: self.level() >= 99, 120),
                   f"Akku lädt voll ({self.level()} %)")
        self.screenshot("04-einmal-voll")

        # The service is away (shut down when full, or left idle) when the
        # charger is unplugged; the udev rule starts it on that event.
        self.restart_service_around(lambda: self.sim_command("unplug"), binaries["voltquill-charged"])
        self.say("Netzteil abgezogen, während der Ladedienst nicht lief")
        self.check(self.wait_for("restore", lambda: self.threshold() == 75, 1),
                   f"nach dem Abziehen gilt binnen einer Sekunde wieder 75 % ({self.threshold()} %)")
        self.sim_command(f"speed {self.args.speed * 8}")
        self.check(self.wait_notification("Niedriger Akkustand", 180),
                   "Benachrichtigung »Niedriger Akkustand« bei niedrigem Ladestand")
        self.sim_command(f"speed {self.args.speed}")
        self.screenshot("05-akku-fast-leer", notification=True)

        # The evening hour has come: tomorrow's limit counts from now on.
        self.say(f"Abend ({EVENING_HOUR}:00 Uhr vorbei): Zeitplan an, er zählt ab jetzt für morgen")
        self.write_settings({"scheduleOn": True})
        time.sleep(0.5)
        self.say("Netzteil eingesteckt")
        self.sim_command("plug")
        self.check(self.wait_for("schedule", lambda: self.threshold() == 90, 40),
                   f"Zeitplan setzt das Limit von morgen, 90 % ({self.threshold()} %)")
        self.open_menu()
        self.screenshot("06-zeitplan-menue")
        self.xdotool("key", "Escape")

        self.settings_tabs(binaries["voltquill"])

        self.check(self.alive("voltquill"), "Voltquill läuft noch")
        self.check(self.alive("charged"), "Ladedienst läuft noch")
        for name in ("voltquill", "charged", "sim"):
            with open(os.path.join(self.work, f"{name}.log"), errors="replace") as f:
                text = f.read()
            self.check("Sanitizer" not in text and "runtime error" not in text,
                       f"keine Speicher- oder Laufzeitfehler im Protokoll von {name}")

    def restart_service_around(self, event, charged):
        for entry in [e for e in self.procs if e[0] == "charged"]:
            os.killpg(entry[1].pid, signal.SIGTERM)
            entry[1].wait(5)
            self.procs.remove(entry)
        event()
        self.start([charged], "charged")

    def settings_tabs(self, agent):
        # A second start hands over to the running agent, which shows its window.
        subprocess.run([agent], env=self.agent_env, capture_output=True, timeout=20)
        found = self.wait_for("window", lambda: self.window_id() is not None, 10)
        self.check(found, "Einstellungsfenster offen nach zweitem Start")
        if not found:
            return
        wid = self.window_id()
        self.xdotool("windowactivate", "--sync", wid)
        names = ["Laden", "Zeitplan", "Mitteilungen", "Verlauf", "Allgemein"]
        for i, name in enumerate(names):
            time.sleep(0.8)
            self.screenshot(f"{7 + i:02d}-einstellungen-{name.lower()}", wid)
            self.xdotool("key", "--window", wid, "ctrl+Tab")

    def window_id(self):
        out = subprocess.run(["xdotool", "search", "--name", "Voltquill – "], env=self.env,
                             capture_output=True, text=True).stdout.split()
        return out[0] if out else None

    def finish(self):
        self.stop_all()
        for name in ("voltquill", "charged", "sim"):
            src = os.path.join(self.work, f"{name}.log")
            if os.path.exists(src):
                shutil.copy(src, os.path.join(self.out, f"{name}.log"))
        shutil.rmtree(self.work, ignore_errors=True)


# argparse's own words, in German like everything else the day prints.
ARGPARSE_GERMAN = {
    "usage: ": "Aufruf: ",
    "options": "Optionen",
    "positional arguments": "Argumente",
    "show this help message and exit": "zeigt diese Hilfe und endet",
    "unrecognized arguments: %s": "unbekannte Argumente: %s",
    "expected one argument": "erwartet einen Wert",
    "invalid %(type)s value: %(value)r": "ungültiger Wert: %(value)r",
    "%(prog)s: error: %(message)s\n": "%(prog)s: Fehler: %(message)s\n",
}
argparse._ = lambda text: ARGPARSE_GERMAN.get(text, text)


def main():
    ap = argparse.ArgumentParser(description=(
        "Ein Tag von Voltquill auf dem simulierten Laptop: eigener virtueller Bildschirm mit Tray\n"
        "und Benachrichtigungsdienst, eigener Sitzungsbus, Ladedienst und Agent. Limit im Menü\n"
        "wählen, einstecken, bis zum Limit laden, einmal voll laden, abziehen, bis zum niedrigen\n"
        "Akkustand entladen, am Abend den Zeitplan einschalten. Bildschirmfotos, empfangene\n"
        "Benachrichtigungen und Protokolle landen in ./voltquill-tag-<Datum>/.\n"
        "Mit --check: als Test, der bei der ersten Abweichung abbricht."),
        formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(ROOT, "build"),
                    help="Build-Ordner mit voltquill, voltquill-charged und voltquill-sim (Standard build/)")
    ap.add_argument("--out", help="Ordner für Bildschirmfotos und Benachrichtigungen")
    ap.add_argument("--speed", type=int, default=120, help="Zeitfaktor des simulierten Laptops")
    ap.add_argument("--check", action="store_true", help="als Test: bei Abweichung abbrechen")
    ap.add_argument("--virtual", action="store_true", default=True,
                    help="auf einem eigenen virtuellen Display (Standard)")
    ap.add_argument("--here", dest="virtual", action="store_false",
                    help="auf dem laufenden Display, mit dessen Tray und Benachrichtigungen")
    args = ap.parse_args()

    def stop(signum, frame):
        raise Interrupted(signal.Signals(signum).name)

    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, stop)
    day = Day(args)
    status = 0
    try:
        day.run()
        day.say("Der Tag ist vorbei.")
    except Failure as failure:
        day.say(f"FEHLER: {failure}")
        status = 1
    except (KeyboardInterrupt, Interrupted) as reason:
        why = "Strg+C" if isinstance(reason, KeyboardInterrupt) else str(reason)
        day.say(f"Der Tag wurde abgebrochen ({why}); die Bilder bis hierher sind im Ordner.")
        status = 130
    finally:
        signal.signal(signal.SIGINT, signal.SIG_IGN)  # a second Ctrl+C must not skip the clean-up
        day.finish()
        print(f"\nBildschirmfotos, Benachrichtigungen und Protokolle: {day.out}", flush=True)
    sys.exit(status)


if __name__ == "__main__":
    main()
