#!/usr/bin/env bash
# The README's pictures of the main window, made again whenever the window changes:
# the Auto view and the Manual view, each talking to an emulated enclosure, written as
# OUT_FOLDER/window-auto.png and OUT_FOLDER/window-manual.png, and the Manual view with
# the maker-only controls shown (window-maker.png). Needs an X server of its
# own (./run screenshots runs it under xvfb-run) with xdotool and ImageMagick.
# Usage: screenshots.sh BUILD_FOLDER OUT_FOLDER
set -euo pipefail

build=$(cd "${1:?usage: screenshots.sh BUILD_FOLDER OUT_FOLDER}" && pwd)
out=$(cd "${2:?usage: screenshots.sh BUILD_FOLDER OUT_FOLDER}" && pwd)
# A fixed folder: its name shows in the path box, and the same window should give the
# same picture.
work=${TMPDIR:-/tmp}/kelvane-screenshots
rm -rf "$work"
mkdir -p "$work"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/images"
image=$work/images/tessin.txt
"$build/kelvane-sim" make-image "$image" --size 20000 >/dev/null
"$build/kelvane-sim" --key-on-ey --key-on-py >"$work/sim.out" 2>"$work/sim.err" &
pids+=($!)
device=
for _ in $(seq 100); do
    device=$(head -n 1 "$work/sim.out")
    [ -n "$device" ] && break
    sleep 0.1
done
[ -n "$device" ] || { echo "screenshots: kelvane-sim did not start" >&2; cat "$work/sim.err" >&2; exit 1; }

# Settings of their own: the defaults a first start shows (Com 1, terminal mode on).
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state KELVANE_COM1=$device
"$build/kelvane" "$image" &
pids+=($!)
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvane \(Auto Mode\)$' | head -n 1)
# There is no window manager: the window takes the keyboard by itself.
xdotool windowfocus --sync "$window"
sleep 1

# keys KEY...: typed into the window, with time for it to draw what they do.
keys() {
    xdotool key --delay 150 "$@"
    sleep 1
}
# shoot NAME: the window as it stands, without the file's time stamps, so that an
# unchanged window gives an unchanged picture.
shoot() {
    import -window "$window" -strip -define png:exclude-chunks=date,time "$out/$1.png"
    echo "screenshots: $out/$1.png"
}

# Auto view: Terminal Options > On puts the keyboard into the pane, whose keys go to the
# CPU; a line end brings the application's prompt.
keys alt+o t o
keys Return
shoot window-auto

# Manual view: the loader asked for by hand, as the Send ~IOS! button does.
keys alt+o m m
xdotool type --delay 100 '~ios!'
sleep 2
shoot window-manual

# Shift+F1 in the pane shows the maker-only controls; the model's remembered file follows.
keys shift+F1
shoot window-maker
