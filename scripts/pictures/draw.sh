#!/usr/bin/env bash
# Redraws the pictures of resources/images with drawpictures.cpp.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
g++ -std=c++20 -fPIC -O1 "$here/drawpictures.cpp" -o "$out/drawpictures" $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$out/drawpictures" "$here/../../resources/images"
