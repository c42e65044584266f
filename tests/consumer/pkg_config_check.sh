#!/bin/sh
# Builds and runs the consumer program with the flags that pkg-config reports.
set -eu
prefix=$1 source=$2 out=$3
libdir=$(find "$prefix" -name korvel.pc -printf '%h\n' | head -n 1)
export PKG_CONFIG_PATH="$libdir"
mkdir -p "$out"
c++ "$source" -o "$out/consumer" $(pkg-config --cflags --libs korvel) -Wl,-rpath,"$(pkg-config --variable=libdir korvel)"
"$out/consumer"
