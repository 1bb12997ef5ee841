#!/bin/sh
# The whole program as a user drives it: corvane with its window on a private
# X server, the sample site typed into the URL box, Start, and the help file
# read back. Every wait is bounded; on any way out the program's process
# group and the X server are killed.
#   end-to-end.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-e2e-XXXXXX")
shots="$build/tests/corvane2/end-to-end"
mkdir -p "$shots"
xvfb_pid=
corvane_pid=

finish() {
  status=$?
  [ -n "$corvane_pid" ] && kill -KILL -- "-$corvane_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill -KILL "$xvfb_pid" 2>/dev/null
  cp "$work/trace.log" "$work/corvane.out" "$shots/" 2>/dev/null
  rm -rf "$work"
  exit $status
}
trap finish EXIT
trap 'exit 2' INT TERM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Waits up to $1 seconds for the command in the remaining arguments to succeed.
wait_for() {
  limit=$1
  shift
  i=0
  while [ "$i" -lt $((limit * 5)) ]; do
    "$@" && return 0
    sleep 0.2
    i=$((i + 1))
  done
  return 1
}

# Steps back to the Start page from the page the trace says is shown.
back_to_start() {
  page=$(grep "^page received" "$work/trace.log" | tail -n 1 | sed "s/^page received '\([0-9]*\)'.*/\1/")
  page=${page:-0}
  while [ "$page" -gt 0 ]; do
    xdotool key --clearmodifiers alt+Left
    page=$((page - 1))
  done
  sleep 0.5
}

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
DISPLAY=":$(cat "$work/display")"
export DISPLAY
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
HOME="$work/home"
CORVANE_REGISTRY="$work/registry.reg"
CORVANE_UI_TRACE="$work/trace.log"
export HOME CORVANE_REGISTRY CORVANE_UI_TRACE
mkdir -p "$HOME" "$work/run/HelpFiles"
cd "$work/run" || fail "no working folder"

setsid "$build/corvane" >"$work/corvane.out" 2>&1 &
corvane_pid=$!

# The start-up screen: the about box over a disabled window. Escape closes
# it at once; the window takes input once the box's delay has passed.
start_up() {
  window=$(timeout 30 xdotool search --sync --name "^Corvane v1.1$" | head -n 1)
  [ -n "$window" ] || fail "the window did not appear"
  # Each start shows the Start page, whatever page the last one ended on.
  echo "page received '0' at start-up" >>"$work/trace.log"
  about=$(timeout 30 xdotool search --sync --onlyvisible --name "^About Corvane\(tm\)$" | head -n 1)
  [ -n "$about" ] || fail "the about box did not appear"
  # The box may be mapped before it takes keys: Escape again until it goes.
  tries=0
  while xdotool search --onlyvisible --name "^About Corvane\(tm\)$" >/dev/null; do
    [ "$tries" -lt 20 ] || fail "Escape did not close the about box"
    xdotool windowfocus --sync "$about" 2>/dev/null
    xdotool key Escape
    sleep 0.25
    tries=$((tries + 1))
  done
  sleep 2.5
  xdotool windowfocus --sync "$window" || fail "cannot focus the window"
}

start_up
site=$(cd "$source/sample/site" && pwd)
xdotool key --clearmodifiers alt+u
xdotool type --delay 5 "$site"
xdotool key Tab
sleep 0.5
xdotool key --clearmodifiers alt+s

help="$work/run/HelpFiles/site.hlp"
wait_for 120 grep -q "compiler received '0' shown ' Help file written: " "$work/trace.log" ||
  fail "no help file was reported within 120 s"
test -s "$help" || fail "$help was not written"
"$build/hlpdump" "$help" >"$work/dump.txt" 2>&1 || fail "hlpdump cannot read the help file"

# The last counters the engine sent are shown as they came, and not zero.
processed=$(grep "^counter 1 received" "$work/trace.log" | tail -n 1)
[ -n "$processed" ] || fail "no URLs Processed counter was received"
value=$(echo "$processed" | sed "s/^counter 1 received '\([0-9-]*\)'.*/\1/")
shown=$(echo "$processed" | sed "s/.* shown '\([^']*\)'$/\1/")
[ "$value" -gt 0 ] || fail "URLs Processed is $value"
[ "$shown" = "$value " ] || fail "URLs Processed $value is shown as '$shown'"

if command -v import >/dev/null && command -v convert >/dev/null && command -v tesseract >/dev/null; then
  back_to_start
  import -window root "$shots/window.png" 2>/dev/null || fail "no screenshot"
  # The bare server's black background is cut away and the text enlarged,
  # which tesseract needs to read the window's small print reliably.
  convert "$shots/window.png" -trim +repage -colorspace Gray -resize 200% "$shots/window-ocr.png" ||
    fail "cannot prepare the screenshot"
  tesseract "$shots/window-ocr.png" "$shots/window" --psm 6 >/dev/null 2>&1 || fail "tesseract failed"
  read_line=$(grep "URLs Processed" "$shots/window.txt" | head -n 1)
  [ -n "$read_line" ] || fail "OCR does not find 'URLs Processed'"
  read_value=$(echo "$read_line" | sed 's/.*URLs Processed[^0-9]*\([0-9,]*\).*/\1/' | tr -d ,)
  [ "$read_value" = "$value" ] || fail "OCR reads URLs Processed as '$read_line', the window was sent $value"
fi

# Waits for corvane to end after Alt+X, with the window's status.
exit_corvane() {
  xdotool windowfocus --sync "$window"
  back_to_start
  xdotool key --clearmodifiers alt+x
  i=0
  while kill -0 "$corvane_pid" 2>/dev/null && [ "$i" -lt 50 ]; do
    sleep 0.2
    i=$((i + 1))
  done
  kill -0 "$corvane_pid" 2>/dev/null && fail "corvane did not end within 10 s of Alt+X"
  wait "$corvane_pid"
  code=$?
  corvane_pid=
  [ "$code" -eq 1 ] || fail "corvane ended with status $code, not 1"
}

# What the user changes survives a restart: "Max URL's" on the Options
# page, the proxy host on the Proxy and Cache page (two fields before
# "Enable Proxy" in the tab order).
xdotool windowfocus --sync "$window"
back_to_start
xdotool key --clearmodifiers alt+Right
sleep 0.3
xdotool key --clearmodifiers alt+m ctrl+a
xdotool type --delay 5 "4321"
xdotool key Tab
xdotool key --clearmodifiers alt+Right alt+Right
sleep 0.3
xdotool key --clearmodifiers alt+p shift+Tab shift+Tab ctrl+a
xdotool type --delay 5 "proxy.invalid"
xdotool key Tab
sleep 0.3
exit_corvane
grep -q '"MaxUrls"=dword:000010e1' "$CORVANE_REGISTRY" || fail "Max URL's was not saved: $(cat "$CORVANE_REGISTRY")"

setsid "$build/corvane" >>"$work/corvane.out" 2>&1 &
corvane_pid=$!
start_up
grep -q "^settings shown maxUrls '4321' proxyHost 'proxy.invalid'" "$work/trace.log" ||
  fail "the second start does not show what the first saved: $(grep '^settings' "$work/trace.log")"
exit_corvane
echo "end to end: $value URLs processed, help file $(wc -c <"$help") bytes, settings kept"
