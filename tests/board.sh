#!/bin/sh
# Boots an emulated ARM board, Debian's armmp kernel with busybox as its
# whole userland, and runs verservice-selftest there against the tool
# under busybox sh.  Passes only when the self-test ends with as many
# cases as on the build host and none failed, and the board powered off
# within the time limit.
#
#   board.sh fetch CACHE
#   board.sh virt|vexpress-a9 CACHE TOOL SELFTEST WORK LIBDIR EMULATOR...
#
# fetch takes the kernel and busybox-static from Debian's armhf packages
# into CACHE.  LIBDIR holds libc.so.6 and ld-linux-armhf.so.3 for a
# dynamically linked tool, and is empty for a static one.  EMULATOR runs
# the tool on the build host, where the self-test counts its cases.
set -u
board=$1 cache=$2

if [ "$board" = fetch ]; then
	[ -e "$cache/ready" ] && exit 0
	mkdir -p "$cache" && cd "$cache" || exit 1
	kernel=$(apt-cache depends linux-image-armmp:armhf 2>/dev/null |
		sed -n 's/.*Depends: \(linux-image-[^:]*\).*/\1/p' | head -n 1)
	if [ -z "$kernel" ] ||
		! apt-get download -q "$kernel:armhf" busybox-static:armhf >download.log 2>&1; then
		cat download.log 2>/dev/null
		echo "board.sh: cannot fetch Debian's linux-image-armmp:armhf and" \
			"busybox-static:armhf into $cache.  Add the architecture and" \
			"update the package lists first: dpkg --add-architecture armhf &&" \
			"apt-get update; the boards also need qemu-system-arm and cpio."
		exit 1
	fi
	dpkg-deb --fsys-tarfile "$kernel"_*.deb |
		tar -x --wildcards './boot/vmlinuz-*' './usr/lib/linux-image-*/vexpress-v2p-ca9.dtb' &&
		dpkg-deb --fsys-tarfile busybox-static_*.deb | tar -x ./bin/busybox &&
		rm -f ./*.deb download.log && touch ready
	exit
fi

tool=$3 selftest=$4 work=$5 libdir=$6
shift 6
limit=180
for need in qemu-system-arm cpio; do
	command -v $need >/dev/null ||
		{ echo "board.sh: $need is missing: apt-get install ${need%-arm}-arm"; exit 1; }
done
[ -e "$cache/ready" ] || { echo "board.sh: nothing fetched into $cache"; exit 1; }

# The number of cases, from the self-test on the build host.
cases=$(sh "$selftest" "$@" "$tool" | sed -n 's/^\([0-9]*\) passed, 0 failed$/\1/p')
[ -n "$cases" ] || { echo "board.sh: the self-test fails under $*"; exit 1; }

case $board in
virt)		set -- -M virt -cpu cortex-a7 ;;
vexpress-a9)	set -- -M vexpress-a9 -cpu cortex-a9 \
			-dtb "$(echo "$cache"/usr/lib/linux-image-*/vexpress-v2p-ca9.dtb)" ;;
*)		echo "board.sh: no board named $board"; exit 2 ;;
esac

rm -rf "$work" && mkdir -p "$work/root/bin" "$work/root/lib" "$work/root/tmp" || exit 1
root=$work/root
cp "$cache/bin/busybox" "$tool" "$root/bin/" &&
	cp "$selftest" "$root/bin/verservice-selftest" || exit 1
[ -z "$libdir" ] || cp "$libdir/libc.so.6" "$libdir/ld-linux-armhf.so.3" "$root/lib/" || exit 1
cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mkdir -p /proc /sys /dev
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
echo "board: kernel $(uname -r), CPU features:$(sed -n 's/^Features[[:space:]]*://p' /proc/cpuinfo | head -n 1)"
sh /bin/verservice-selftest verservice
poweroff -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd" || exit 1

echo "board.sh: booting $board ($*), at most $limit s"
start=$(date +%s)
timeout $limit qemu-system-arm "$@" -m 256 -nic none -nographic -no-reboot \
	-kernel "$(echo "$cache"/boot/vmlinuz-*)" -initrd "$work/initrd" \
	-append "console=ttyAMA0 quiet panic=-1" </dev/null 2>&1 | tr -d '\r' >"$work/console"
end=$(date +%s)
cat "$work/console"
echo "board.sh: $board ran $((end - start)) s"

grep -q "^$cases passed, 0 failed\$" "$work/console" ||
	{ echo "board.sh: no \"$cases passed, 0 failed\" on the console"; exit 1; }
grep -q 'reboot: Power down' "$work/console" ||
	{ echo "board.sh: the board did not power off within $limit s"; exit 1; }
