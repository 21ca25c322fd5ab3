#!/usr/bin/env bash
# Installs a build into a scratch prefix and builds the small host in this
# folder against the installed package only: once through find_package, once
# through pkg-config. Each host draws a frame and checks it.
#
#   packaging/check/run.sh BUILD_FOLDER SCRATCH_FOLDER [C++ COMPILER]
set -euo pipefail

build=${1:?build folder}
scratch=${2:?scratch folder}
cxx=${3:-c++}
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$scratch"
mkdir -p "$scratch/data"
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"

# The host's sources are copied out, so nothing of the source tree is in reach.
mkdir -p "$scratch/host"
cp "$here/CMakeLists.txt" "$here/InstalledHost.cpp" "$scratch/host/"

echo "--- find_package(Lumiva)"
cmake -S "$scratch/host" -B "$scratch/cmake-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" >"$scratch/cmake-configure.log"
cmake --build "$scratch/cmake-build"
"$scratch/cmake-build/installed-host" "$scratch/data"

echo "--- pkg-config lumiva"
pc=$(find "$prefix" -name lumiva.pc)
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
read -r -a flags <<<"$(pkg-config --cflags --libs lumiva)"
"$cxx" -Wall -Wextra -Werror "$scratch/host/InstalledHost.cpp" "${flags[@]}" \
  -Wl,-rpath,"$(pkg-config --variable=libdir lumiva)" -o "$scratch/pkg-config-host"
"$scratch/pkg-config-host" "$scratch/data"
