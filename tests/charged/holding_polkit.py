#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A polkit stand-in on the bus of DBUS_SYSTEM_BUS_ADDRESS that allows every
check, but holds the ones that may ask the user (as polkit does while a
password dialog is open) and, with --delay-ms N, answers the others only after
N milliseconds (a polkit slowed down by a loaded machine). With --only-root it
allows root alone: another user's check is held when it may ask the user, and
denied otherwise."""
import argparse

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

AllowUserInteraction = 1


class Authority(dbus.service.Object):
    def __init__(self, bus, delay_ms, only_root):
        super().__init__(bus, "/org/freedesktop/PolicyKit1/Authority")
        self.bus = bus
        self.delay_ms = delay_ms
        self.only_root = only_root
        self.held = []

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="(sa{sv})sa{ss}us",
                         out_signature="(bba{ss})", async_callbacks=("reply", "error"))
    def CheckAuthorization(self, subject, action, details, flags, cancel_id, reply, error):
        allowed = True
        if self.only_root:
            uid = self.bus.get_unix_user(str(subject[1]["name"]))
            allowed = uid == 0
        if flags & AllowUserInteraction and (not self.only_root or not allowed):
            self.held.append(reply)
            return
        answer = (allowed, False, dbus.Dictionary({}, signature="ss"))
        if self.delay_ms:
            GLib.timeout_add(self.delay_ms, lambda: (reply(answer), False)[1])
        else:
            reply(answer)

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="",
                         out_signature="u")
    def HeldChecks(self):
        return len(self.held)

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="",
                         out_signature="")
    def DenyHeld(self):
        """The password dialogs are cancelled."""
        held, self.held = self.held, []
        for reply in held:
            reply((False, False, dbus.Dictionary({}, signature="ss")))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--delay-ms", type=int, default=0)
    parser.add_argument("--only-root", action="store_true")
    args = parser.parse_args()
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    authority = Authority(bus, args.delay_ms, args.only_root)
    name = dbus.service.BusName("org.freedesktop.PolicyKit1", bus)
    GLib.MainLoop().run()
    del authority, name


if __name__ == "__main__":
    main()
