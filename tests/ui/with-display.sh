#!/bin/sh
# Runs a command with an X display of its own: a private Xvfb server
# (xvfb-run picks a free display number) in a network namespace of its own
# whose only interface is loopback. Wine needs a display for windows;
# nothing here needs the network.
# Needs: xvfb, xauth, util-linux (unshare), iproute2, and root or user
# namespaces. QBOX_SCREEN sets the screen (default 1024x768x24).
# Usage: with-display.sh COMMAND [ARGUMENTS...]
set -eu
export QBOX_SCREEN="${QBOX_SCREEN:-1024x768x24}"
exec unshare -n -- sh -c \
  'ip link set lo up && exec xvfb-run -a -s "-screen 0 $QBOX_SCREEN -nolisten tcp" "$@"' with-display "$@"
