#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""--help, --version and a wrong option of each program, without a display.

The texts around our own (Qt's headings and option descriptions) must be German
too, the version the project's, and nothing may need an X server or Wayland.
"""
import argparse
import os
import subprocess
import sys

ENGLISH = ("Usage:", "Options:", "Arguments:", "Displays", "Unknown option")


def run(binary, *args):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env["LANG"] = env["LC_ALL"] = "C.UTF-8"  # German whatever the locale
    return subprocess.run([binary, *args], env=env, capture_output=True, text=True, timeout=20)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--version", required=True)
    ap.add_argument("binaries", nargs="+")
    args = ap.parse_args()
    failures = []
    passed = 0
    for binary in args.binaries:
        name = os.path.basename(binary)
        cases = [
            (("--help",), 0, ["Aufruf:", "Optionen:", "Zeigt Hilfe", "--version"], "stdout"),
            (("-h",), 0, ["Aufruf:"], "stdout"),
            (("--version",), 0, [f"{name} {args.version}"], "stdout"),
            (("--keine-solche-option",), None, ["Unbekannte Option"], "stderr"),
        ]
        for argv, code, wanted, stream in cases:
            result = run(binary, *argv)
            text = getattr(result, stream)
            problems = []
            if code is not None and result.returncode != code:
                problems.append(f"Exit-Code {result.returncode}, erwartet {code}")
            if code is None and result.returncode == 0:
                problems.append("Exit-Code 0 bei falscher Option")
            problems += [f"fehlt: {w!r}" for w in wanted if w not in text]
            problems += [f"englisch: {e!r}" for e in ENGLISH if e in result.stdout + result.stderr]
            label = f"{name} {' '.join(argv)}"
            if problems:
                failures.append(f"{label}: {'; '.join(problems)}\n{result.stdout}{result.stderr}")
                print(f"FAIL {label}: {'; '.join(problems)}")
            else:
                passed += 1
                print(f"ok   {label}")
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{passed} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
