#!/usr/bin/env bash
# Reads the program (argument 1; the tool, argument 2, makes its database) over AT-SPI as a
# screen reader does, on a private X server with openbox and a private session bus, on which
# the accessibility bus starts when first asked for.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (tools/deps.sh installs it)" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' || { echo "python3-pyatspi is missing (tools/deps.sh installs it)" >&2; exit 1; }
exec dbus-run-session -- bash "$here/wm-tests.sh" /usr/bin/python3 "$here/../tests/atspi-read.py" "$@"
