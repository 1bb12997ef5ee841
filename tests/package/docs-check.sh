#!/bin/sh
# The manual pages and the desktop entry: groff renders the pages without a
# warning, every option the programs' usage texts name is in their page, and
# the desktop entry is valid and starts the installed engine.
#   docs-check.sh BUILD_DIR
set -u
. "$(dirname "$0")/common.sh"
build=$1
man=$CORVANE_SOURCE_DIR/docs/man
desktop=$CORVANE_SOURCE_DIR/packaging/corvane.desktop

command -v groff >/dev/null || skip "groff is not installed"
command -v desktop-file-validate >/dev/null || skip "desktop-file-validate is not installed"

for page in corvane hcrtf hlpdump; do
  groff -ww -man -z "$man/$page.1" >"$work/groff.log" 2>&1 || fail "groff failed on $page.1"
  [ -s "$work/groff.log" ] && { cat "$work/groff.log"; fail "groff warns about $page.1"; }
  grep -q '^\.SH EXIT STATUS' "$man/$page.1" || fail "$page.1 has no exit statuses"
done

# documents OPTION PAGE: the page has an entry for the option (hyphens
# escaped as groff wants them).
documents() {
  escaped=$(echo "$1" | sed 's/-/\\\\-/g')
  grep -Eq "^\.(B|BI|BR) $escaped( |\$)" "$2"
}
run_clean "$build/corvane" -help >"$work/corvane-usage" || fail "corvane -help failed"
options=$(grep -o '^  -[a-z]*' "$work/corvane-usage" | tr -d ' ')
[ -n "$options" ] || fail "corvane -help lists no options"
for option in $options; do
  # The usage text writes some options out in full ("-noimages"); the page
  # documents the keyword the option selects ("-noim").
  keyword=$option
  until documents "$keyword" "$man/corvane.1"; do
    keyword=${keyword%?}
    [ ${#keyword} -gt 1 ] || fail "corvane.1 does not document $option"
  done
done
for variable in CORVANE_REGISTRY XDG_CONFIG_HOME SSL_CERT_FILE; do
  grep -q "$variable" "$man/corvane.1" || fail "corvane.1 does not name $variable"
done

run_clean "$build/hlpdump" >"$work/hlpdump-usage" 2>&1
options=$(grep -o -- '--[a-z-]*' "$work/hlpdump-usage" | sort -u)
[ -n "$options" ] || fail "hlpdump's usage lists no options"
for option in $options; do
  documents "$option" "$man/hlpdump.1" || fail "hlpdump.1 does not document $option"
done
for switch in /nc /xh /version; do
  grep -q "^\.B $switch\$" "$man/hcrtf.1" || fail "hcrtf.1 does not document $switch"
done

desktop-file-validate "$desktop" || fail "desktop-file-validate rejects corvane.desktop"
grep -qx 'Exec=corvane' "$desktop" || fail "the desktop entry does not start corvane"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$CORVANE_SOURCE_DIR/packaging/$icon.svg" ] || fail "the desktop entry's icon $icon is not ours"
echo "manual pages and desktop entry checked"
