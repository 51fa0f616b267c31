#!/bin/sh
# A downstream build without CMake: one compiler command and pkg-config.
# Usage: build.sh OUTPUT [extra compiler arguments]; PKG_CONFIG_PATH must find
# corvane_common.pc.
set -eu
out=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
version=$(pkg-config --modversion corvane_common)
# shellcheck disable=SC2046 # pkg-config output is meant to be split into words
${CXX:-c++} -std=c++20 -O2 -DCONSUMER_EXPECTED_VERSION="\"$version\"" \
  "$here/../consumer.cpp" $(pkg-config --cflags --libs corvane_common) "$@" -o "$out"
