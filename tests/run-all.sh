#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Installs, with apt-get, what the tests need and this machine lacks, and
# says so; where it cannot (not root, no apt-get) it names it and stops.
# Then builds and tests every preset: the build host (also under valgrind
# memcheck), the host fully static, the sanitizers with Clang, and the
# ARMv7-A appliance, dynamic and static, hard- and soft-float, under
# qemu-arm and on emulated boards.
# Ends with a table of the presets and "N passed, N failed" over them all.
set -uo pipefail
cd "$(dirname "$0")/.."

# What the tests run, or a file only that package brings: its package.
missing=()
for need in cmake:cmake make:make g++:g++ readelf:binutils valgrind:valgrind \
	clang++:clang '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a:libclang-rt-14-dev' \
	arm-linux-gnueabihf-g++:g++-arm-linux-gnueabihf arm-linux-gnueabi-g++:g++-arm-linux-gnueabi \
	qemu-arm:qemu-user qemu-system-arm:qemu-system-arm cpio:cpio swupdate:swupdate openssl:openssl \
	ninja:ninja-build reuse:reuse \
	/usr/lib/x86_64-linux-musl/libc.a:musl-dev \
	/usr/lib/arm-linux-musleabihf/libc.a:musl-dev:armhf; do
	what=${need%%:*}
	command -v "$what" >/dev/null 2>&1 || compgen -G "$what" >/dev/null || missing+=("${need#*:}")
done
# The boards' kernel and busybox come from Debian's armhf package lists.
if ((${#missing[@]})) || ! apt-cache show linux-image-armmp:armhf >/dev/null 2>&1; then
	how="dpkg --add-architecture armhf && apt-get update${missing[*]:+ && apt-get install ${missing[*]}}"
	if [[ $(id -u) != 0 ]] || ! command -v apt-get >/dev/null; then
		echo "run-all.sh: the tests need more; as root: $how" >&2
		exit 1
	fi
	echo "run-all.sh: $how"
	export DEBIAN_FRONTEND=noninteractive
	{ dpkg --print-foreign-architectures | grep -qx armhf || dpkg --add-architecture armhf; } &&
		apt-get update -qq &&
		apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || exit 1
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
	counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\1 \2/p' "$log")
	read -r f t <<<"${counts:-1 1}"	# 1 1: it did not get as far as its tests
	passed=$((passed + t - f)) failed=$((failed + f))
	table+=$(printf '%-14s %6d %6d' "$preset" $((t - f)) "$f")$'\n'
done

printf '\n%-14s %6s %6s\n%s' preset passed failed "$table"
echo "$passed passed, $failed failed"
((failed == 0))
