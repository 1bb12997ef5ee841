#!/bin/sh
# The tree `cmake --install` makes, used the way a user would: installed into
# a fresh prefix, run from a folder of its own with a clean environment, so
# that nothing can be found through the build folder.
#   install-check.sh BUILD_DIR
# The layout (CORVANE_BINDIR, CORVANE_PRIVATE_LIBDIR, ...), the version and
# the source folder come from the environment the test sets.
set -u
. "$(dirname "$0")/common.sh"
build=$1
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install failed"; }

# Exactly the programs, their libraries and their documents: nothing the
# tests or benchmarks need only.
sort >"$work/expected" <<LIST
$CORVANE_BINDIR/corvane
$CORVANE_BINDIR/hcrtf
$CORVANE_BINDIR/hlpdump
$CORVANE_PRIVATE_LIBDIR/Corvane.hlp
$CORVANE_PRIVATE_LIBDIR/libcorvane2.so
$CORVANE_PRIVATE_LIBDIR/libcorvane3.so
$CORVANE_PRIVATE_LIBDIR/libcorvane4.so
$CORVANE_PRIVATE_LIBDIR/libcorvane5.so
$CORVANE_PRIVATE_LIBDIR/libcorvane6.so
$CORVANE_PRIVATE_LIBDIR/libcorvane7.so
$CORVANE_DATADIR/corvane/Corvane.hlp
$CORVANE_DATADIR/applications/corvane.desktop
$CORVANE_DATADIR/icons/hicolor/scalable/apps/corvane.svg
$CORVANE_MANDIR/man1/corvane.1
$CORVANE_MANDIR/man1/hcrtf.1
$CORVANE_MANDIR/man1/hlpdump.1
$CORVANE_DOCDIR/README.md
LIST
(cd "$prefix" && find . ! -type d | sed 's:^\./::' | sort) >"$work/installed"
diff -u "$work/expected" "$work/installed" || fail "the installed files differ from the list above"
cmp -s "$prefix/$CORVANE_PRIVATE_LIBDIR/Corvane.hlp" "$prefix/$CORVANE_DATADIR/corvane/Corvane.hlp" ||
  fail "the window's help beside its library is not the installed help file"
[ -L "$prefix/$CORVANE_PRIVATE_LIBDIR/Corvane.hlp" ] || fail "the window's help is installed twice"

# The engine finds its libraries relative to itself; nothing installed
# remembers the build folder.
runpath=$(readelf -d "$prefix/$CORVANE_BINDIR/corvane" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p')
[ "$runpath" = "\$ORIGIN/$CORVANE_BIN_TO_PRIVATE_LIBDIR" ] || fail "corvane's RUNPATH is '$runpath'"
for file in "$prefix/$CORVANE_BINDIR"/* "$prefix/$CORVANE_PRIVATE_LIBDIR"/*.so; do
  if readelf -d "$file" | grep -E 'RPATH|RUNPATH' | grep -F "$build"; then
    fail "$file still names the build folder"
  fi
  if ldd "$file" | grep -F -e "$build" -e "not found"; then
    fail "$file needs something it cannot find outside the build folder"
  fi
done

check_version "$prefix/$CORVANE_BINDIR/corvane" corvane -version --version -VERSION
check_version "$prefix/$CORVANE_BINDIR/hcrtf" hcrtf /version -version --version
check_version "$prefix/$CORVANE_BINDIR/hlpdump" hlpdump --version

convert_sample "$prefix/$CORVANE_BINDIR"
loaded_from "$prefix/$CORVANE_PRIVATE_LIBDIR" libcorvane3.so libcorvane4.so libcorvane5.so

# With a display the engine loads the window library from the installed
# tree. Qt's offscreen platform stands in for the display; the window runs
# until it is closed, so it is stopped once the library is in.
rm -f "$work"/ld.*
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
(cd "$work/run" && exec env -i PATH=/usr/bin:/bin HOME="$work/home" CORVANE_REGISTRY="$work/registry-gui.reg" \
  XDG_RUNTIME_DIR="$work/runtime" DISPLAY=:0 QT_QPA_PLATFORM=offscreen \
  LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/ld" "$prefix/$CORVANE_BINDIR/corvane") >"$work/window.log" 2>&1 &
window_pid=$!
stop_window() { kill -KILL "$window_pid" 2>/dev/null; wait "$window_pid" 2>/dev/null; }
cleanup_hooks="stop_window"
window_loaded() { cat "$work"/ld.* 2>/dev/null | grep -q "calling init: .*/libcorvane2.so\$"; }
wait_for 60 window_loaded || { cat "$work/window.log"; fail "the window library was not loaded within 60 s"; }
stop_window
loaded_from "$prefix/$CORVANE_PRIVATE_LIBDIR" libcorvane2.so
echo "installed tree in $prefix works"
