#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Voltquill beside a peer battery tray icon, in one run on one simulated battery.

Starts Xvfb with a tray (trayer), a private session bus, the simulated laptop,
the charge service on that bus, then for each run starts Voltquill and the peer
(cbatticon, which reads /sys/class/power_supply: it runs in a private mount
namespace where the simulated tree is bound over that folder). It measures the
time from exec until the tray icon is embedded, RSS and PSS a few seconds after
start, and CPU time and voluntary context switches (wakeups) over an idle
period (sampled each second per thread, so threads that end meanwhile still
count), and prints min/median/max over the runs and the ratios Voltquill/peer.
"""
import argparse
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display as xdisplay

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def log(*args):
    print(*args, flush=True)


def start(cmd, env=None, **kw):
    return subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True, **kw)


def stop(proc):
    if proc and proc.poll() is None:
        try:
            os.killpg(proc.pid, signal.SIGTERM)
            proc.wait(5)
        except Exception:
            os.killpg(proc.pid, signal.SIGKILL)


def tasks(pid):
    try:
        return [os.path.join(f"/proc/{pid}/task", t) for t in os.listdir(f"/proc/{pid}/task")]
    except FileNotFoundError:
        return []


def cpu_ns(pid):
    """CPU time of all threads in ns (schedstat is exact, unlike clock ticks)."""
    total = 0
    for t in tasks(pid):
        try:
            with open(os.path.join(t, "schedstat")) as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def wakeups(pid):
    """Voluntary context switches of all threads."""
    total = 0
    for t in tasks(pid):
        try:
            with open(os.path.join(t, "status")) as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches"):
                        total += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


class ThreadWatch:
    """CPU time and voluntary context switches per thread since the start."""

    def __init__(self, pid):
        self.pid = pid
        self.base = self.read()
        self.last = dict(self.base)

    def read(self):
        out = {}
        for t in tasks(self.pid):
            tid = os.path.basename(t)
            try:
                with open(os.path.join(t, "schedstat")) as f:
                    cpu = int(f.read().split()[0])
                with open(os.path.join(t, "status")) as f:
                    wake = next(int(line.split()[1]) for line in f
                                if line.startswith("voluntary_ctxt_switches"))
            except (FileNotFoundError, ProcessLookupError, StopIteration):
                continue
            out[tid] = (cpu, wake)
        return out

    def sample(self):
        self.last.update(self.read())

    def totals(self):
        self.sample()
        cpu = sum(v[0] - self.base.get(t, (0, 0))[0] for t, v in self.last.items())
        wake = sum(v[1] - self.base.get(t, (0, 0))[1] for t, v in self.last.items())
        return cpu, wake


def memory_kib(pid):
    values = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            parts = line.split()
            if parts[0] in ("Rss:", "Pss:", "Private_Clean:", "Private_Dirty:"):
                values[parts[0][:-1]] = int(parts[1])
    return values["Rss"], values["Pss"], values["Private_Clean"] + values["Private_Dirty"]


def memory_by_mapping(pid):
    """PSS and private KiB per mapped file (anonymous memory under its kind)."""
    out = {}
    name = None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            parts = line.split()
            if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
                name = parts[5] if len(parts) > 5 else "[anon]"
                out.setdefault(name, [0, 0])
            elif parts[0] == "Pss:":
                out[name][0] += int(parts[1])
            elif parts[0] in ("Private_Clean:", "Private_Dirty:"):
                out[name][1] += int(parts[1])
    return out


def print_breakdown(name, pid, top=25):
    rows = sorted(memory_by_mapping(pid).items(), key=lambda kv: -kv[1][0])
    log(f"{name}: PSS / private KiB by mapping")
    for path, (pss, private) in rows[:top]:
        log(f"  {pss:7d} {private:7d}  {path}")


def descendants(disp, window):
    out = []
    try:
        for child in window.query_tree().children:
            out.append(child)
            out.extend(descendants(disp, child))
    except Exception:
        pass
    return out


def tray_window(disp):
    root = disp.screen().root
    for w in descendants(disp, root):
        try:
            cls = w.get_wm_class()
        except Exception:
            continue
        if cls and cls[0] == "panel" and cls[1] == "trayer":
            return w
    return None


def embedded(disp, tray):
    ids = set()
    for w in descendants(disp, tray):
        try:
            if w.get_attributes().map_state == X.IsViewable:
                ids.add(w.id)
        except Exception:
            pass
    return ids


def launch_and_wait_for_icon(cmd, env, disp, tray, timeout=20.0):
    before = embedded(disp, tray)
    t0 = time.monotonic()
    proc = start(cmd, env=env)
    while time.monotonic() - t0 < timeout:
        if embedded(disp, tray) - before:
            return proc, (time.monotonic() - t0) * 1000.0
        time.sleep(0.002)
    return proc, float("nan")


def find_pid(proc, name):
    """The measured program itself, also when it runs under a wrapper."""
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        out = subprocess.run(["pgrep", "-s", str(proc.pid), "-x", name],
                             capture_output=True, text=True).stdout.split()
        if out:
            return int(out[-1])
        time.sleep(0.05)
    return proc.pid


def fmt(values, unit, digits=1):
    vals = [v for v in values if v == v]
    if not vals:
        return "n/a"
    return (f"min {min(vals):.{digits}f} / median {statistics.median(vals):.{digits}f} / "
            f"max {max(vals):.{digits}f} {unit}")


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--idle", type=float, default=120.0, help="idle seconds measured")
    ap.add_argument("--settle", type=float, default=5.0, help="seconds after start before memory")
    ap.add_argument("--build", default=os.path.join(ROOT, "build"))
    ap.add_argument("--agent-settings", help="JSON object written as Voltquill's settings.json")
    ap.add_argument("--breakdown", action="store_true", help="print memory by mapping after start")
    args = ap.parse_args()

    agent = os.path.join(args.build, "src", "voltquill")
    service = os.path.join(args.build, "charged", "voltquill-charged")
    sim = os.path.join(args.build, "sim", "voltquill-sim")
    peer = shutil.which("cbatticon")
    for path in (agent, peer):
        if not path or not os.path.exists(path):
            sys.exit(f"missing: {path}")

    work = tempfile.mkdtemp(prefix="voltquill-bench-")
    sysroot = os.path.join(work, "sys")
    env = dict(os.environ)
    env.update({
        "DISPLAY": ":71", "XDG_CONFIG_HOME": os.path.join(work, "config"),
        "XDG_DATA_HOME": os.path.join(work, "data"), "XDG_CACHE_HOME": os.path.join(work, "cache"),
        "XDG_RUNTIME_DIR": work,
        "VOLTQUILL_SYSFS_ROOT": sysroot, "VOLTQUILL_CHARGE_BUS": "session",
        "VOLTQUILL_STATE_DIR": os.path.join(work, "state"), "QT_QPA_PLATFORM": "xcb",
        "NO_AT_BRIDGE": "1",
    })
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    if args.agent_settings:
        folder = os.path.join(env["XDG_CONFIG_HOME"], "Voltquill")
        os.makedirs(folder)
        with open(os.path.join(folder, "settings.json"), "w") as f:
            f.write(args.agent_settings)
    procs = []
    try:
        procs.append(start(["Xvfb", ":71", "-screen", "0", "1024x768x24", "-nolisten", "tcp"]))
        time.sleep(1.0)
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], capture_output=True, text=True, env=env)
        address, bus_pid = bus.stdout.split()[:2]
        env["DBUS_SESSION_BUS_ADDRESS"] = address
        procs.append(start(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                            "request", "--height", "24", "--transparent", "false"], env=env))
        if os.path.exists(sim):
            # Plugged in and held at its limit: a laptop at rest on the desk.
            procs.append(start([sim, "--root", sysroot, "--plug", "--level", "80",
                                "threshold", "80"], env=env))
        else:
            make_static_tree(sysroot)
        time.sleep(1.0)
        if os.path.exists(service):
            procs.append(start([service], env=env))
        disp = xdisplay.Display(":71")
        tray = None
        for _ in range(100):
            tray = tray_window(disp)
            if tray:
                break
            time.sleep(0.05)
        if not tray:
            sys.exit("no tray window")

        supplies = os.path.join(sysroot, "class", "power_supply")
        peer_cmd = ["unshare", "-m", "sh", "-c",
                    f"mount --bind '{supplies}' /sys/class/power_supply && exec '{peer}'"]
        programs = {"voltquill": [agent], "cbatticon": peer_cmd}
        results = {name: {"icon_ms": [], "rss": [], "pss": [], "private": [], "cpu_ms": [], "wakeups": []}
                   for name in programs}
        for run in range(args.runs):
            running = {}
            for name, cmd in programs.items():
                proc, ms = launch_and_wait_for_icon(cmd, env, disp, tray)
                running[name] = (proc, find_pid(proc, name))
                results[name]["icon_ms"].append(ms)
                log(f"run {run + 1}: {name} icon after {ms:.1f} ms")
            time.sleep(args.settle)
            watches = {}
            for name, (proc, pid) in running.items():
                rss, pss, private = memory_kib(pid)
                if args.breakdown:
                    print_breakdown(name, pid)
                results[name]["rss"].append(rss / 1024.0)
                results[name]["pss"].append(pss / 1024.0)
                results[name]["private"].append(private / 1024.0)
                watches[name] = ThreadWatch(pid)
            # Threads that end during the idle period (e.g. pooled workers)
            # take their counts with them: sample each second, keep the last.
            deadline = time.monotonic() + args.idle
            while time.monotonic() < deadline:
                time.sleep(min(1.0, max(0.0, deadline - time.monotonic())))
                for watch in watches.values():
                    watch.sample()
            for name, (proc, pid) in running.items():
                cpu, wake = watches[name].totals()
                results[name]["cpu_ms"].append(cpu / 1e6)
                results[name]["wakeups"].append(wake)
                stop(proc)
            time.sleep(1.0)

        log(f"\nFigures over {args.runs} runs, idle {args.idle:.0f} s:")
        for name, r in results.items():
            log(f"{name}:")
            log(f"  tray icon after exec  {fmt(r['icon_ms'], 'ms')}")
            log(f"  RSS after start       {fmt(r['rss'], 'MiB')}")
            log(f"  PSS after start       {fmt(r['pss'], 'MiB')}")
            log(f"  private after start   {fmt(r['private'], 'MiB')}  (not shared with any process)")
            log(f"  CPU over idle         {fmt(r['cpu_ms'], 'ms', 2)}")
            log(f"  wakeups over idle     {fmt(r['wakeups'], '', 0)}")
        a, p = results["voltquill"], results["cbatticon"]
        log("Ratios Voltquill/peer (medians):")
        for key, label in (("icon_ms", "tray icon time"), ("pss", "PSS"), ("private", "private memory"), ("rss", "RSS"),
                           ("cpu_ms", "idle CPU"), ("wakeups", "idle wakeups")):
            pm = statistics.median(p[key])
            am = statistics.median(a[key])
            log(f"  {label:15s} {am / pm:.2f}" if pm else f"  {label:15s} peer 0")
    finally:
        for proc in reversed(procs):
            stop(proc)
        try:
            os.kill(int(bus_pid), signal.SIGTERM)
        except Exception:
            pass
        shutil.rmtree(work, ignore_errors=True)


def make_static_tree(root):
    base = os.path.join(root, "class", "power_supply")
    attrs = {
        "BAT0": {"type": "Battery", "status": "Not charging", "present": "1", "capacity": "64",
                 "energy_full_design": "57000000", "energy_full": "51300000",
                 "energy_now": "32832000", "power_now": "0", "voltage_min_design": "11400000",
                 "voltage_now": "12100000", "cycle_count": "312", "technology": "Li-ion",
                 "charge_control_end_threshold": "80", "model_name": "Sim", "manufacturer": "Sim"},
        "AC": {"type": "Mains", "online": "1"},
    }
    for supply, values in attrs.items():
        os.makedirs(os.path.join(base, supply), exist_ok=True)
        for key, value in values.items():
            with open(os.path.join(base, supply, key), "w") as f:
                f.write(value + "\n")


if __name__ == "__main__":
    main()
