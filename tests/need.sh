# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Sourced by what needs more than the build, with its mode in mode: AUTO
# skips (exit 77) where a test cannot run here, ON fails.  What the tests
# need, each a command or a file only its package brings, with the Debian
# package; the script that sources this may add its own in more_need.
# reuse takes the files that git tracks, without git every file below.
tests_need='cmake:cmake make:make g++:g++ readelf:binutils valgrind:valgrind clang++:clang
	/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a:libclang-rt-14-dev
	arm-linux-gnueabihf-g++:g++-arm-linux-gnueabihf arm-linux-gnueabi-g++:g++-arm-linux-gnueabi
	/usr/lib/x86_64-linux-musl/libc.a:musl-dev /usr/lib/arm-linux-musleabi/libc.a:musl-dev:armel
	qemu-arm:qemu-user qemu-system-arm:qemu-system-arm cpio:cpio flock:util-linux
	unshare:util-linux swupdate:swupdate openssl:openssl ninja:ninja-build reuse:reuse
	mandoc:mandoc groff:groff-base busybox:busybox prove:perl git:git'

cannot() { echo "${0##*/}: cannot run here: $*"; [ "$mode" = AUTO ] && exit 77 || exit 1; }

# need COMMAND...
need() {
	for what do
		command -v "$what" >/dev/null || cannot "no $what (Debian package" \
			"$(printf '%s\n' $tests_need ${more_need-} | sed -n "s|^$what:||p"))"
	done
}
