# Shared by the installation checks: a private work folder removed on every
# way out, failures that say what went wrong, and bounded waits.
work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-package-XXXXXX")
cleanup_hooks=""

finish() {
  status=$?
  for hook in $cleanup_hooks; do "$hook"; done
  rm -rf "$work"
  exit $status
}
trap finish EXIT
trap 'exit 2' INT TERM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

skip() {
  echo "SKIPPED: $*"
  exit 77
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

# Runs an installed program the way a user's shell would, with nothing of
# the build's environment: no LD_LIBRARY_PATH, a home and a registry of its
# own. The sanitizers' settings pass through, so that a sanitizer build
# reports the same way as its other tests.
run_clean() {
  env -i PATH=/usr/bin:/bin HOME="$work/home" CORVANE_REGISTRY="$work/registry.reg" \
    ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} \
    ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} "$@"
}

# check_version PROGRAM NAME OPTION...: every OPTION prints "NAME VERSION",
# with the commit when the source is a git checkout.
check_version() {
  program=$1
  name=$2
  shift 2
  for option in "$@"; do
    line=$(run_clean timeout 30 "$program" "$option") || fail "$name $option ended with a failure"
    case $line in
      "$name $CORVANE_VERSION") [ -n "$CORVANE_COMMIT" ] && fail "$name $option left out the commit: $line" ;;
      "$name $CORVANE_VERSION (commit $CORVANE_COMMIT)") [ -n "$CORVANE_COMMIT" ] || fail "$name $option: $line" ;;
      *) fail "$name $option printed '$line', not '$name $CORVANE_VERSION'" ;;
    esac
  done
}

# convert_sample BINDIR: the installed engine converts the sample site from a
# folder of its own, with the library loader's log in $work/ld.*; the help
# file is $work/out/sample.hlp, checked with the installed reader.
convert_sample() {
  bindir=$1
  cp -R "$CORVANE_SOURCE_DIR/sample/site" "$work/site"
  mkdir -p "$work/run" "$work/home" "$work/out"
  (cd "$work/run" && run_clean LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/ld" \
    timeout 120 "$bindir/corvane" -batch -out "$work/out/sample" "$work/site") >"$work/batch.log" 2>&1
  status=$?
  [ "$status" -eq 0 ] || { cat "$work/batch.log"; fail "corvane -batch ended with status $status"; }
  [ -s "$work/out/sample.hlp" ] || fail "no help file was written"
  run_clean timeout 60 "$bindir/hlpdump" "$work/out/sample.hlp" --titles >"$work/titles.txt" ||
    fail "hlpdump cannot read the help file"
  title=$(sed -n 's:.*<title>\(.*\)</title>.*:\1:p' "$work/site/index.html" | head -n 1)
  [ -n "$title" ] || fail "the sample's index.html has no title"
  grep -qF "$title" "$work/titles.txt" || fail "the help file has no topic '$title'"
}

# loaded_from DIR LIBRARY...: the loader's log shows each LIBRARY loaded from
# DIR and nothing of ours loaded from anywhere else. The loader names a file
# as it found it ("bin/../lib/corvane/..."), so folders are compared resolved.
loaded_from() {
  dir=$(readlink -f "$1")
  shift
  cat "$work"/ld.* 2>/dev/null | sed -n 's/.*calling init: \(.*libcorvane.*\)$/\1/p' >"$work/ours" ||
    fail "the loader wrote no log"
  : >"$work/ours-resolved"
  while read -r file; do
    echo "$(readlink -f "$(dirname "$file")")/$(basename "$file")" >>"$work/ours-resolved"
  done <"$work/ours"
  for library in "$@"; do
    grep -qx "$dir/$library" "$work/ours-resolved" || fail "$library was not loaded from $dir"
  done
  if grep -v "^$dir/" "$work/ours-resolved"; then
    fail "a library of ours was loaded from outside $dir"
  fi
}
