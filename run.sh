#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on the sample page (or on the page
# files given as arguments, named from the folder the script was started in).
set -euo pipefail

# The arguments name files from the caller's folder; the script works in its own. A mistyped
# name stops here, before anything is installed or built.
pages=()
for argument in "$@"; do
  if [ ! -f "$argument" ]; then
    echo "No such page file: $argument" >&2
    exit 1
  fi
  case "$argument" in
    /*) pages+=("$argument") ;;
    *) pages+=("$PWD/$argument") ;;
  esac
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to show the editor on: set DISPLAY, or run it as 'xvfb-run -a ./run.sh'." >&2
  exit 1
fi

cd "$(dirname "$0")"
source scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)
echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -Wno-dev >/dev/null
cmake --build build -j"$jobs" --target pellorin

if [ ${#pages[@]} -eq 0 ]; then
  pages=("$PWD/resources/samples/customer_orders.wqf")
fi
echo "== starting build/bin/pellorin ${pages[*]}"
exec build/bin/pellorin "${pages[@]}"
