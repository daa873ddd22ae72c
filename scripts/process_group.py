# SPDX-License-Identifier: GPL-3.0-or-later
"""Ending a child that runs in a process group of its own.

The scripts start every helper with start_new_session=True, so that a stop
reaches what the helper started in turn (the X server under xvfb-run, the
service a bus activated)."""
import os
import signal
import subprocess


def stop_group(proc, grace=5):
    """Asks the group of `proc` to end; kills it if its leader is still there
    after `grace` seconds. A group that is gone already is no error."""
    try:
        os.killpg(proc.pid, signal.SIGTERM)
        proc.wait(grace)
    except (OSError, subprocess.TimeoutExpired):
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except OSError:
            pass
