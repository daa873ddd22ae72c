#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A polkit stand-in on the bus of DBUS_SYSTEM_BUS_ADDRESS that allows every
check, but holds the ones that may ask the user (as polkit does while a
password dialog is open) and, with --delay-ms N, answers the others only after
N milliseconds (a polkit slowed down by a loaded machine)."""
import argparse

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

AllowUserInteraction = 1


class Authority(dbus.service.Object):
    def __init__(self, bus, delay_ms):
        super().__init__(bus, "/org/freedesktop/PolicyKit1/Authority")
        self.delay_ms = delay_ms
        self.held = []

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="(sa{sv})sa{ss}us",
                         out_signature="(bba{ss})", async_callbacks=("reply", "error"))
    def CheckAuthorization(self, subject, action, details, flags, cancel_id, reply, error):
        if flags & AllowUserInteraction:
            self.held.append(reply)
            return
        answer = (True, False, dbus.Dictionary({}, signature="ss"))
        if self.delay_ms:
            GLib.timeout_add(self.delay_ms, lambda: (reply(answer), False)[1])
        else:
            reply(answer)

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="",
                         out_signature="u")
    def HeldChecks(self):
        return len(self.held)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--delay-ms", type=int, default=0)
    args = parser.parse_args()
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    authority = Authority(bus, args.delay_ms)
    name = dbus.service.BusName("org.freedesktop.PolicyKit1", bus)
    GLib.MainLoop().run()
    del authority, name


if __name__ == "__main__":
    main()
