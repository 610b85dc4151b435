#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Installs what the tests need and this machine lacks, as root with
# apt-get, and says what; elsewhere names the command and stops.  Then
# checks every file's license header, and builds and tests every preset:
# the build host (also under valgrind memcheck), the host fully static,
# the sanitizers with Clang, and the ARMv7-A appliance, dynamic and
# static, hard- and soft-float, under qemu-arm and on emulated boards.
# Ends with a table of the presets and "N passed, N failed" over them all.
set -uo pipefail
cd "$(dirname "$0")/.."

. tests/need.sh
# The boards' kernel and busybox come from Debian's armhf and armel
# package lists.  A source that cannot be fetched (a mirror in the middle
# of a sync, say) does not stop the run: apt-get installs from the others,
# and only a package that none of them has stops it.
missing=$(for pair in $tests_need; do
	{ command -v "${pair%%:*}" || compgen -G "${pair%%:*}"; } >/dev/null || echo "${pair#*:}"
done | sort -u | tr '\n' ' ')
missing=${missing% }
if [[ -n $missing ]] ||
	! apt-cache show linux-image-armmp:armhf busybox-static:armel >/dev/null 2>&1; then
	archs="dpkg --add-architecture armhf && dpkg --add-architecture armel"
	how="$archs && apt-get update${missing:+ && apt-get install $missing}"
	[[ $(id -u) = 0 ]] && command -v apt-get >/dev/null ||
		{ echo "run-all.sh: the tests need more; as root: $how"; exit 1; }
	echo "== $how"
	eval "$archs" || exit 1
	apt-get update -qq ||
		echo "run-all.sh: apt-get update failed for a source, above; going on with the others"
	if [[ -n $missing ]] && ! DEBIAN_FRONTEND=noninteractive \
		apt-get install -y -qq --no-install-recommends $missing >/dev/null; then
		echo "run-all.sh: cannot install: $missing"
		exit 1
	fi
fi

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
