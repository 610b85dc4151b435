#!/bin/sh
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Boots an emulated ARM board, Debian's armmp kernel with busybox as its
# userland, and runs verservice-selftest there against TOOL while the
# kernel traces the tool's system calls.  Fails unless the expected core
# booted, no case failed, every query made a system call and none more
# than MAX, and, for a TOOL without a program interpreter, none was brk,
# mmap, mmap2 or mremap.  A TOOL with one (on ARM, in /lib) gets it and
# its libraries from the first of LIBDIRS, the compiler's own library
# folders as a CMake list, that has each, and ldconfig's cache.  The
# queries traced ask for the first image of RELEASE and for a name that no
# image can have.
# virt and cubieboard have VFP and run Debian's armhf busybox; vexpress is
# a Cortex-A9 without VFP, which only a soft-float userland (armel) runs.
# fetch takes the kernel and, for each USERLAND, busybox and ldconfig from
# Debian's packages.  AUTO: exit 77, a skip, when the board cannot be had;
# ON: fail then.
#
#   board.sh fetch AUTO|ON CACHE USERLAND...   (armhf, armel)
#   board.sh virt|cubieboard|vexpress AUTO|ON CACHE TOOL SELFTEST WORK LIBDIRS READELF MAX
#            RELEASE
set -u
board=$1 mode=$2 cache=$3
shift 3

. "${0%/*}/need.sh"
need qemu-system-arm cpio flock

if [ "$board" = fetch ]; then
	# One fetch at a time, each part into a directory that is renamed into
	# place whole, so that an interrupted one leaves nothing that looks
	# done; the next one clears what it left.
	mkdir -p "$cache" && exec 9>"$cache/lock" && flock 9 || exit 1
	for part in kernel "$@"; do
		[ -d "$cache/$part" ] && continue
		rm -rf "$cache/$part.new" && mkdir "$cache/$part.new" && cd "$cache/$part.new" || exit 1
		arch=$part packages="busybox-static:$part libc-bin:$part"
		if [ $part = kernel ]; then
			arch=armhf packages=$(apt-cache depends linux-image-armmp:armhf 2>/dev/null |
				sed -n 's/.*Depends: \(linux-image-[^:]*\).*/\1:armhf/p' | head -n 1)
		fi
		if [ -z "$packages" ] || ! apt-get download -q $packages >download.log 2>&1; then
			cat download.log 2>/dev/null
			cannot "Debian's $part packages cannot be fetched into $cache; where apt-get" \
				"can, first: dpkg --add-architecture $arch && apt-get update"
		fi
		case $part in
		kernel)	dpkg-deb --fsys-tarfile linux-image-*.deb | tar -x --wildcards \
				'./boot/vmlinuz-*' './usr/lib/linux-image-*/sun4i-a10-cubieboard.dtb' \
				'./usr/lib/linux-image-*/vexpress-v2p-ca9.dtb' ;;
		*)	dpkg-deb --fsys-tarfile busybox-static_*.deb | tar -x ./bin/busybox &&
				dpkg-deb --fsys-tarfile libc-bin_*.deb | tar -x ./sbin/ldconfig ;;
		esac && rm -f ./*.deb download.log && cd .. && mv "$part.new" "$part" || exit 1
	done
	exit
fi

tool=$1 selftest=$2 work=$3 root=$3/root libdirs=$4 readelf=$5 max=$6
image=$(sed -n '3s/ .*//p' "$7") || exit 1
limit=180 userland=armhf vfp=yes
dtbs=$cache/kernel/usr/lib/linux-image-*

# The cubieboard (Allwinner A10) never powers off: the console ends the run.
case $board in
virt)		part=0xc07 console=ttyAMA0; set -- -M virt -cpu cortex-a7 -m 256 ;;
cubieboard)	part=0xc08 console=ttyS0; set -- -M cubieboard -m 512 \
			-dtb "$(echo $dtbs/sun4i-a10-cubieboard.dtb)" ;;
vexpress)	part=0xc09 console=ttyAMA0 userland=armel vfp=no
		set -- -M vexpress-a9 -cpu cortex-a9,vfp=off,neon=off -m 256 \
			-dtb "$(echo $dtbs/vexpress-v2p-ca9.dtb)" ;;
*)		echo "board.sh: no board named $board"; exit 2 ;;
esac
[ -d "$cache/kernel" ] && [ -d "$cache/$userland" ] ||
	cannot "no kernel or no $userland busybox in $cache: see board.fetch"

rm -rf "$work" && mkdir -p "$root/bin" "$root/lib" "$root/tmp" "$root/etc" "$root/sbin" &&
	cp "$cache/$userland/bin/busybox" "$tool" "$root/bin/" &&
	cp "$cache/$userland/sbin/ldconfig" "$root/sbin/" &&
	cp "$selftest" "$root/bin/verservice-selftest" || exit 1
# The queries traced one at a time: none, the options, a name and no name.
printf '%s\n' '' -m -p -v -iv "-b $image" "-b no/such.bin" >"$root/queries" || exit 1
elf=$("$readelf" -l -d --wide "$tool") || exit 1
interp=$(echo "$elf" | sed -n 's/.*program interpreter: \(.*\)]$/\1/p')
# The loader and the libraries it loads; a static TOOL has none.
for lib in $(echo "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p') ${interp:+"${interp##*/}"}; do
	from=$(for dir in $(echo "$libdirs" | tr ';' ' '); do ls "$dir/$lib"; done 2>/dev/null |
		head -n 1)
	cp "${from:-$lib}" "$root/lib/" || exit 1
done
cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
t=/sys/kernel/tracing
for fs in proc:/proc sysfs:/sys devtmpfs:/dev tracefs:$t; do
	mkdir -p ${fs#*:} && mount -t ${fs%:*} ${fs%:*} ${fs#*:}
done
/sbin/ldconfig
echo "board: kernel $(uname -r), $(grep -m 1 'CPU part' /proc/cpuinfo)"
echo "board: $(grep -m 1 Features /proc/cpuinfo)"
echo 'comm == "verservice"' >$t/events/raw_syscalls/sys_enter/filter
echo 1 >$t/events/raw_syscalls/sys_enter/enable
calls() { sed -n 's/.*sys_enter: NR \([0-9]*\) .*/\1/p' $t/trace | tr '\n' ' '; }
sh /bin/verservice-selftest verservice
echo "board: system calls of the self-test: $(calls | tr ' ' '\n' | sort -un | tr '\n' ' ')"
while read -r query; do
	: >$t/trace
	verservice $query >/dev/null
	set -- $(calls)
	echo "board: $# system calls for [$query]: $*"
done </queries
echo "board: done"
poweroff -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd" || exit 1

echo "board.sh: booting $board ($*), at most $limit s"
start=$(date +%s)
timeout $limit qemu-system-arm "$@" -nic none -nographic -no-reboot \
	-kernel "$(echo "$cache"/kernel/boot/vmlinuz-*)" -initrd "$work/initrd" \
	-append "console=$console quiet panic=-1" </dev/null >"$work/raw" 2>&1 &
qemu=$!
while kill -0 $qemu 2>/dev/null && ! grep -qs '^board: done' "$work/raw"; do sleep 1; done
kill $qemu 2>/dev/null
wait $qemu
tr -d '\r' <"$work/raw" >"$work/console"
echo "board.sh: $board ran $(($(date +%s) - start)) s"
cat "$work/console"

fail() { echo "board.sh: $*"; exit 1; }
grep -q "^board: .*CPU part[[:space:]]*: $part\$" "$work/console" ||
	fail "no core with CPU part $part booted"
features=$(sed -n 's/^board: Features[[:space:]]*: //p' "$work/console")
case " $features " in *" vfp "*) has=yes ;; *) has=no ;; esac
[ $has = $vfp ] || fail "VFP: $has, expected $vfp, in the Features line: $features"
# The self-test's plan, and every case of it passed.
plan=$(sed -n 's/^1\.\.\([0-9]*\)$/\1/p' "$work/console")
grep -q "^# $plan passed, 0 failed, 0 skipped\$" "$work/console" ||
	fail "no \"# ${plan:-N} passed, 0 failed, 0 skipped\" on the console within $limit s"
# The kernel's own numbers, ARM EABI: brk 45, mmap 90, mremap 163, mmap2 192;
# a query of a static build makes set_tls 983045 (ARM's own), set_tid_address
# 256, writev 146 and exit_group 248.
awk -v max="${max:-1000000}" -v interp="$interp" -v queries="$(wc -l <"$root/queries")" '
	/^board: [0-9]+ system calls for / { n++
		if ($2 > max) why = "a query made more than " max " system calls"
		if ($2 < 1) why = "a query traced no system call" }
	!interp && /^board: [^:]*system calls[^:]*:( [0-9]+)* (45|90|163|192)( |$)/ {
		why = "the tool asked the kernel for memory (brk, mmap, mmap2 or mremap)" }
	END { if (n != queries) why = n + 0 " of " queries " queries traced"
		if (why) print "board.sh: " why; exit why != "" }' "$work/console" || exit 1
