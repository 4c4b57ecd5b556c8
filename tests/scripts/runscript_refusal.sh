#!/usr/bin/env bash
# run.sh given a page file that is not there: one line naming it, a non-zero status, and
# nothing installed, built or started. Runs without a display, so a run.sh that went on would
# stop at its display check instead of installing and building.
set -uo pipefail
run=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
touch present.wqf
failed=0

# expect <message> <arguments...>
expect() {
  local message=$1
  shift
  local out err status
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$run" "$@" 2>"$folder/err")
  status=$?
  err=$(cat "$folder/err")
  if [ "$status" -eq 0 ] || [ "$err" != "$message" ] || [ -n "$out" ]; then
    echo "run.sh $*: status $status, stderr '$err', stdout '$out'; expected a failure with '$message'"
    failed=1
  fi
}

expect "No such page file: nosuch.wqf" nosuch.wqf
expect "No such page file: sub/no such.wqf" present.wqf "sub/no such.wqf"
expect "No such page file: $folder/gone.wqf" "$folder/gone.wqf"
exit $failed
