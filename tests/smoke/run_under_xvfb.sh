#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the real program on an X server of its own, waits for its main window (with a FILE, until
# the caption names it), closes it as a window manager does when the user clicks the close button,
# and expects exit status 0.
# Usage: run_under_xvfb.sh PATH/TO/halvane [FILE]
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")

if [[ -z ${HALVANE_SMOKE_ON_XVFB:-} ]]; then
    # xvfb-run picks a free display, runs this script again there and stops the server after.
    HALVANE_SMOKE_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
# The time-out only guards against a program that never ends; it is not part of the check.
timeout 60 "$@" &
program=$!
caption=Halvane
[[ $# -gt 1 ]] && caption="Halvane - $2"

# Debian's interpreter, where python3-xlib is installed, whatever python3 comes first in PATH.
if ! /usr/bin/python3 "$here/close_window.py" Halvane 20 "$caption"; then
    kill "$program" 2>/dev/null || true # it may have ended already
    exit 1
fi
status=0
wait "$program" || status=$?
echo "halvane exited with status $status"
exit "$status"
