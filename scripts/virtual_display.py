# SPDX-License-Identifier: GPL-3.0-or-later
"""A private X server whose display number the server picks itself.

With -displayfd, Xvfb takes the first number whose lock file and sockets are
free, abstract sockets included: a number chosen by looking at /tmp alone can
belong to a server in another root (scripts/bare-debian runs beside the tests)
whose /tmp we do not see."""
import os
import subprocess


def start_xvfb(size, **popen_args):
    """Starts Xvfb with one screen of `size` ("1280x800x24"); returns the
    process and its display (":N") once the server accepts connections.
    Raises RuntimeError when it does not start."""
    read, write = os.pipe()
    try:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", size,
                                 "-nolisten", "tcp"], pass_fds=(write,), **popen_args)
    finally:
        os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.wait()
        raise RuntimeError("Xvfb startet nicht")
    return xvfb, ":" + number
