#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Sets the machine up (tests/setup.sh), checks every file's license
# header, and builds and tests every preset: the build host (also under
# valgrind memcheck), the host fully static, the sanitizers with Clang,
# and the ARMv7-A appliance, dynamic and static, hard- and soft-float,
# under qemu-arm and on emulated boards.  Ends with a table of the presets
# and "N passed, N failed" over them all.
set -uo pipefail
cd "$(dirname "$0")/.."
tests/setup.sh || exit 1

mkdir -p build && log=build/run-all.log	# the last preset's output, kept
# Every file carries its license and copyright, as REUSE lays down.
echo "== reuse lint"
reuse lint >"$log" 2>&1 && r=1 || { cat "$log"; r=0; }
passed=$r failed=$((1 - r)) table=$(printf '%-14s %6d %6d' "reuse lint" $r $((1 - r)))$'\n'
for preset in host host-static asan armv7 armv7-static armv7-softfp; do
	echo "== $preset"
	cmake --workflow --preset "$preset" --fresh 2>&1 | tee "$log"
	# ctest's closing line: "NN% tests passed, F tests failed out of T"
	counts=$(sed -n \
		's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\1 \2/p' "$log")
	read -r f t <<<"${counts:-1 1}"	# 1 1: it did not get as far as its tests
	passed=$((passed + t - f)) failed=$((failed + f))
	table+=$(printf '%-14s %6d %6d' "$preset" $((t - f)) "$f")$'\n'
done

printf '\n%-14s %6s %6s\n%s' preset passed failed "$table"
echo "$passed passed, $failed failed"
((failed == 0))
