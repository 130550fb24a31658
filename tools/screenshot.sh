#!/bin/bash
# Takes the README's screenshot: the editor in a real window under Xvfb, on
# the demo ROM image, with the field grid shown.
#   tools/screenshot.sh [OUT.png]      (run `make run` or `make test` first to build)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/main-window.png}"
build="${BUILD_DIR:-build}"
for p in xvfb xauth xdotool imagemagick x11-utils; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing="${missing:-} $p"
done
if [ -n "${missing:-}" ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd=sudo
  $sudo_cmd apt-get update -q && $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
"$build/src/tarvo-cli" demo "$build/demo.nes" >/dev/null
xvfb-run -a -s "-screen 0 1024x800x24" bash -c '
  set -e
  "$0/src/tarvo-field-editor" "$0/demo.nes" &
  editor=$!
  for i in $(seq 1 100); do
    xdotool search --name "Tarvo-Field Editor" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  xdotool key Return          # "File loaded!"
  sleep 0.5
  xdotool search --name "demo.nes" windowfocus --sync key ctrl+g   # Show Field Grid
  sleep 0.5
  id=$(xdotool search --name "demo.nes" | head -1)
  import -window "$id" "$1"
  kill $editor
' "$build" "$out"
echo "Wrote $out"
