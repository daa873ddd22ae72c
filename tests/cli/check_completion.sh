#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed bash completion of voltquillctl: verbs, options, and after
# "set" the limits the tool itself lists (a stand-in tool here).
set -euo pipefail
completion=$1
bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT
printf '#!/bin/sh\n[ "$1" = limits ] && echo 60 80 100\n' >"$bin/voltquillctl"
chmod +x "$bin/voltquillctl"
PATH=$bin:$PATH
source "$completion"
failed=0
check() {
    local wanted=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _voltquillctl
    if [ "${COMPREPLY[*]}" = "$wanted" ]; then
        echo "ok   ${COMP_WORDS[*]}"
    else
        echo "FAIL ${COMP_WORDS[*]}: »${COMPREPLY[*]}«, erwartet »$wanted«"
        failed=1
    fi
}
check "status limits set off full-charge resume" voltquillctl ""
check "full-charge" voltquillctl fu
check "status" voltquillctl --json st
check "--json" voltquillctl --js
check "60 80 100" voltquillctl set ""
check "80" voltquillctl --no-ask-password set 8
check "" voltquillctl set 80 ""
check "" voltquillctl off ""
exit $failed
