#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A polkit stand-in on the bus of DBUS_SYSTEM_BUS_ADDRESS that allows every
check, but holds the ones that may ask the user (as polkit does while a
password dialog is open) and, with --delay-ms N, answers the others only after
N milliseconds (a polkit slowed down by a loaded machine). With --only-root it
allows root alone: another user's check is held when it may ask the user, and
denied otherwise. With --ask every caller must authenticate: a check that may
ask is held until AllowHeld or DenyHeld (the password typed or the dialog
cancelled), the others are answered with a challenge. With --allow every check
is allowed at once, whatever its flags (a caller polkit allows outright).
CheckFlags lists the flags of every check received, Agents the subject kind of
every text agent that registered (pkttyagent, for a program in a terminal)."""
import argparse

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

AllowUserInteraction = 1


class Authority(dbus.service.Object):
    def __init__(self, bus, args):
        super().__init__(bus, "/org/freedesktop/PolicyKit1/Authority")
        self.bus = bus
        self.delay_ms = args.delay_ms
        self.only_root = args.only_root
        self.ask = args.ask
        self.allow = args.allow
        self.held = []
        self.flags = []
        self.agents = []

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="(sa{sv})sa{ss}us",
                         out_signature="(bba{ss})", async_callbacks=("reply", "error"))
    def CheckAuthorization(self, subject, action, details, flags, cancel_id, reply, error):
        self.flags.append(int(flags))
        if self.allow:
            reply((True, False, dbus.Dictionary({}, signature="ss")))
            return
        if self.ask:
            if flags & AllowUserInteraction:
                self.held.append(reply)
            else:
                reply((False, True, dbus.Dictionary({}, signature="ss")))
            return
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

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="(sa{sv})ssa{sv}",
                         out_signature="")
    def RegisterAuthenticationAgentWithOptions(self, subject, locale, path, options):
        self.agents.append(str(subject[0]))

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="(sa{sv})ss",
                         out_signature="")
    def RegisterAuthenticationAgent(self, subject, locale, path):
        self.agents.append(str(subject[0]))

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="",
                         out_signature="as")
    def Agents(self):
        return dbus.Array(self.agents, signature="s")

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="",
                         out_signature="au")
    def CheckFlags(self):
        return dbus.Array(self.flags, signature="u")

    @dbus.service.method("org.freedesktop.PolicyKit1.Authority", in_signature="",
                         out_signature="")
    def AllowHeld(self):
        """The password was typed."""
        held, self.held = self.held, []
        for reply in held:
            reply((True, False, dbus.Dictionary({}, signature="ss")))

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
    parser.add_argument("--ask", action="store_true")
    parser.add_argument("--allow", action="store_true")
    args = parser.parse_args()
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    authority = Authority(bus, args)
    name = dbus.service.BusName("org.freedesktop.PolicyKit1", bus)
    GLib.MainLoop().run()
    del authority, name


if __name__ == "__main__":
    main()
