#!/bin/bash
# Takes the README's screenshots: the editor in a real window under Xvfb, on
# the demo ROM image, with the field grid, a selection and a paste shown.
#   tools/screenshot.sh [FOLDER]      (run `make run` or `make test` first to build)
# It writes main-window.png, editor-metatiles.png, editor-batview.png,
# import-picture.png and emulator.png (the editor beside fceux after F5).
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath "${1:-docs}")"
build="${BUILD_DIR:-build}"
for p in xvfb xauth xdotool imagemagick x11-utils fceux; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing="${missing:-} $p"
done
if [ -n "${missing:-}" ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd=sudo
  $sudo_cmd apt-get update -q && $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
"$build/src/tarvo-cli" demo --force "$build/demo.nes" >/dev/null
# A picture to import: the demo's field recoloured in an image editor (a
# little brighter, more saturated and warmer), so that it no longer fits the
# console's colours.
"$build/src/tarvo-cli" export "$build/demo.nes" field "$build/demo-field.png" >/dev/null
convert "$build/demo-field.png" -modulate 108,130,97 "$build/painted-field.png"
# A settings folder of its own, so that the shots show a first start.
export XDG_CONFIG_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  set -e
  build=$0; shots=$1
  # The editor on the demo, once "File loaded!" is answered: its pid in
  # $editor, its main window in $main.
  start_editor() {
    "$build/src/tarvo-field-editor" "$build/demo.nes" &
    editor=$!
    for i in $(seq 1 100); do
      xdotool search --name "demo.nes" >/dev/null 2>&1 && break
      sleep 0.1
    done
    sleep 1
    xdotool key Return                    # "File loaded!"
    sleep 0.5
    main=$(xdotool search --name "demo.nes" | head -1)
  }
  start_editor
  # A larger window, the field at 2x about its centre, the field grid, and
  # the pointer over a cell.
  xdotool windowsize "$main" 1100 1000
  sleep 0.5
  xdotool windowfocus --sync "$main"
  xdotool mousemove --window "$main" 400 420
  xdotool key ctrl+plus ctrl+g
  sleep 0.5
  # A selection copied, and its paste following the pointer.
  xdotool key r
  xdotool mousemove --window "$main" 790 120 mousedown 1
  xdotool mousemove --window "$main" 900 200 mousemove --window "$main" 1000 330 mouseup 1
  xdotool key ctrl+c ctrl+v
  xdotool mousemove --window "$main" 380 420
  sleep 0.5
  xdotool mousemove --window "$main" 390 430
  sleep 0.5
  import -window "$main" "$shots/main-window.png"
  # Edit > Tile Data (Ctrl+T), then Edit > Batter'"'"'s View (Ctrl+B).
  for mode in 1 2; do
    xdotool windowfocus --sync "$main"
    if [ $mode = 1 ]; then xdotool key ctrl+t; else xdotool key ctrl+b; fi
    sleep 1
    if [ $mode = 1 ]; then caption="Metatile Editor"; else caption="Batter View Editor"; fi
    alt=$(xdotool search --name "$caption" | head -1)
    xdotool windowmove "$alt" 1110 0
    xdotool windowsize "$alt" 700 800
    sleep 0.5
    xdotool windowfocus --sync "$alt"
    if [ $mode = 1 ]; then
      xdotool mousemove --window "$alt" 330 120 click 1   # a tile of the pattern table
      xdotool key ctrl+plus                               # the pattern table at 2x
      name=editor-metatiles.png
    else
      xdotool mousemove --window "$alt" 300 560
      xdotool key ctrl+plus                               # the batter'"'"'s view at 2x
      name=editor-batview.png
    fi
    sleep 0.5
    import -window "$alt" "$shots/$name"
  done
  # File > Import Picture as Field... on the recoloured picture, with the
  # fit beside it.
  xdotool windowfocus --sync "$main"
  xdotool key alt+f f
  sleep 1
  open=$(xdotool search --name "^Open$" | head -1)
  xdotool windowfocus --sync "$open"
  xdotool type --delay 10 "$(realpath "$build/painted-field.png")"
  xdotool key Return
  for i in $(seq 1 100); do
    xdotool search --name "Import Picture as Field" >/dev/null 2>&1 && break
    sleep 0.1
  done
  dialog=$(xdotool search --name "Import Picture as Field" | head -1)
  xdotool windowsize "$dialog" 1000 640
  sleep 4
  import -window "$dialog" "$shots/import-picture.png"
  xdotool windowfocus --sync "$dialog"
  xdotool key Escape
  kill $editor
  wait $editor || true
  # A first start again: View > Console Colours (F6), then File > Play in
  # Emulator (F5), the emulator placed beside the editor.
  export XDG_CONFIG_HOME=$(mktemp -d)
  start_editor
  xdotool windowmove "$main" 0 0
  xdotool windowfocus --sync "$main"
  xdotool key F6 F5
  for i in $(seq 1 100); do
    xdotool search --onlyvisible --name "^FCEUX" >/dev/null 2>&1 && break
    sleep 0.1
  done
  emulator=$(xdotool search --onlyvisible --name "^FCEUX" | head -1)
  xdotool windowmove "$emulator" 816 0
  sleep 3
  width=$((816 + $(xwininfo -id "$emulator" | sed -n "s/.*Width: //p")))
  height=$(xwininfo -id "$main" | sed -n "s/.*Height: //p")
  import -window root -crop "${width}x${height}+0+0" +repage "$shots/emulator.png"
  kill $editor
  wait $editor || true
  rm -rf "$XDG_CONFIG_HOME"
' "$build" "$out"
echo "Wrote the screenshots to $out"
