#!/bin/sh
# The Debian package made from the build: built with cpack, installed with
# dpkg, used, and purged, after which nothing of it may be left. It changes
# the system, so it runs only as root and only where no corvane package is
# installed already.
#   deb-check.sh BUILD_DIR
set -u
. "$(dirname "$0")/common.sh"
build=$1

[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in dpkg dpkg-deb dpkg-shlibdeps cpack; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if dpkg-query -W -f '${Status}' corvane 2>/dev/null | grep -q "installed"; then
  skip "a corvane package is installed already; it is left alone"
fi

cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(find "$work/pkg" -maxdepth 1 -name 'corvane_*.deb')
[ -n "$deb" ] && [ "$(echo "$deb" | wc -l)" -eq 1 ] || fail "cpack made no single package: $deb"

[ "$(dpkg-deb -f "$deb" Version)" = "$CORVANE_VERSION" ] || fail "the package's version is not $CORVANE_VERSION"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libpcre2-8-0 libqt6widgets6 libgif7; do
  echo "$depends" | grep -q "$library" || fail "the package does not depend on $library: $depends"
done

# What the package holds, as paths on the installed system.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's:^\./:/:; s:/$::' | grep -v '^$' >"$work/contents"
grep -qx /usr/bin/corvane "$work/contents" || fail "the package holds no /usr/bin/corvane"

purge() { dpkg --purge corvane >/dev/null 2>&1; }
cleanup_hooks="purge"
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }

convert_sample /usr/bin
loaded_from /usr/lib/corvane libcorvane3.so libcorvane4.so libcorvane5.so
check_version /usr/bin/corvane corvane --version

dpkg --purge corvane >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "dpkg --purge failed"; }
cleanup_hooks=""
if dpkg-query -W -f '${Status}' corvane 2>/dev/null | grep -q "installed"; then
  fail "corvane is still installed after the purge"
fi
# Folders the package shares with others (/usr/bin, /usr/share/man/man1 ...)
# stay; its own files and folders must be gone.
while read -r path; do
  [ -d "$path" ] && [ ! -L "$path" ] && continue
  { [ -e "$path" ] || [ -L "$path" ]; } && fail "$path is left after the purge"
done <"$work/contents"
for folder in /usr/lib/corvane /usr/share/corvane /usr/share/doc/corvane; do
  [ -e "$folder" ] && fail "$folder is left after the purge"
done
echo "package $(basename "$deb") installed, used and purged"
