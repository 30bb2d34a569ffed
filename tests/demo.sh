#!/usr/bin/env bash
# An unattended upload to the emulated enclosure, run as a site script would run it:
# kelvane -auto against kelvane-sim on a pseudo-terminal. Prints the log, the exit
# code in words, whether the device received the image byte for byte, what was done
# and where the log is kept (BUILD_FOLDER/demo-upload-log.txt). Exits 0 only for a
# successful upload.
set -uo pipefail

build=${1:?usage: demo.sh BUILD_FOLDER}
build=$(cd "$build" && pwd) || exit 1
kelvane=$build/kelvane
sim=$build/kelvane-sim
for program in "$kelvane" "$sim"; do
    [ -x "$program" ] || { echo "demo: $program is missing; build first (./run build)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-demo.XXXXXX") || exit 1
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill "$sim_pid" 2>/dev/null
        wait "$sim_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

image=$work/app.txt
# The log outlives the demo, to be read again.
log=$build/demo-upload-log.txt
rm -f "$log"
received=$work/received.bin

"$sim" make-image "$image" --size 20000 >/dev/null || { echo "demo: make-image failed" >&2; exit 1; }

# The enclosure runs its application (which echoes the probe), its loader is at 9600
# baud and asks for the key, and the line takes its real time.
"$sim" --received "$received" --app-echo --key-on-ey --key-on-py --pace >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
device=
for _ in $(seq 100); do
    device=$(head -n 1 "$work/sim.out" 2>/dev/null)
    [ -n "$device" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$device" ]; then
    echo "demo: kelvane-sim did not start:" >&2
    cat "$work/sim.err" >&2
    exit 1
fi
echo "Emulated enclosure on $device; uploading $(wc -c <"$image") bytes"

# Settings go to the demo's own folder, not the user's.
XDG_CONFIG_HOME=$work/config KELVANE_COM1=$device "$kelvane" "$image" -auto -s1 -o "$log"
code=$?

# The device writes what it received as it stops.
kill "$sim_pid" 2>/dev/null
wait "$sim_pid" 2>/dev/null
sim_pid=

echo
echo "== Log file =="
if [ -f "$log" ]; then tr -d '\r' <"$log" | cat -v; else echo "(no log file was written)"; fi
echo

case $code in
    0) words="upload successful" ;;
    1) words="the command-line checksum differs from the file's" ;;
    2) words="checksum mismatch after the upload" ;;
    3) words="usage shown, invalid port or a serial-port error" ;;
    5) words="not an encoded image file" ;;
    6) words="no verdict (the upload stopped), or an unexpected error" ;;
    7) words="no file, or a file or path error" ;;
    *) words="not an exit code of kelvane" ;;
esac
echo "Exit code: $code ($words)"

if [ -f "$received" ] && cmp -s "$image" "$received"; then
    echo "Device received the image byte for byte."
    intact=yes
else
    echo "Device did NOT receive the image intact ($(wc -c <"$received" 2>/dev/null || echo 0) of $(wc -c <"$image") bytes)."
    intact=no
fi

echo
echo "What was done: kelvane-sim played an enclosure whose CPU ran its application, with its"
echo "loader at 9600 baud asking for the key. kelvane -auto took it into the loader, raised the"
echo "line to 57600 baud, erased the application block, sent the image in acknowledged chunks,"
echo "compared the checksum the CPU reported and restarted the CPU, all without a window."
echo "The log is $log"

[ "$code" -eq 0 ] && [ "$intact" = yes ]
