#!/usr/bin/env bash
# Builds and tests every configuration: the build host (every case also
# under valgrind memcheck), the host fully static, the sanitizers, and the
# ARMv7-A appliance, dynamic and static, under qemu-arm.
#
#   tests/run-all.sh            run them all
#   tests/run-all.sh --missing  name the Debian packages still to install
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
need() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need cmake cmake
need make make
need g++ g++
need readelf binutils
need valgrind valgrind
need arm-linux-gnueabihf-g++ g++-arm-linux-gnueabihf
need qemu-arm qemu-user

if [[ ${1-} == --missing ]]; then
	echo "${missing[*]}"
	exit 0
fi
if ((${#missing[@]})); then
	echo "run-all.sh: missing tools; install them first:" >&2
	echo "  apt-get install ${missing[*]}" >&2
	exit 1
fi

for preset in host host-static asan armv7 armv7-static; do
	echo "== $preset"
	cmake --workflow --preset "$preset" --fresh
done
