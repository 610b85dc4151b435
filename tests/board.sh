#!/bin/sh
# Boots an emulated ARM board, Debian's armmp kernel with busybox as its
# whole userland, and runs verservice-selftest there against TOOL.  Passes
# only when the board booted the expected core and the self-test ran all
# its cases with none failed.  fetch takes the kernel and busybox-static
# from Debian's armhf packages into CACHE.  When TOOL names a program
# interpreter, it and the libraries TOOL needs come from LIBDIR.
#
#   board.sh fetch CACHE
#   board.sh virt|cubieboard CACHE TOOL SELFTEST WORK LIBDIR READELF
set -u
board=$1 cache=$2

if [ "$board" = fetch ]; then
	[ -e "$cache/fetched" ] && exit 0
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
	dpkg-deb --fsys-tarfile "$kernel"_*.deb | tar -x --wildcards './boot/vmlinuz-*' \
		'./usr/lib/linux-image-*/sun4i-a10-cubieboard.dtb' &&
		dpkg-deb --fsys-tarfile busybox-static_*.deb | tar -x ./bin/busybox &&
		rm -f ./*.deb download.log && touch fetched
	exit
fi

tool=$3 selftest=$4 work=$5 libdir=$6 readelf=$7
limit=180
# Each case is one line of the self-test's table, the board must run them all.
cases=$(grep -c '^\(check\|lost\) ' "$selftest")

# The cubieboard (Allwinner A10) never powers off: the console ends the run.
case $board in
virt)		part=0xc07 console=ttyAMA0; set -- -M virt -cpu cortex-a7 -m 256 ;;
cubieboard)	part=0xc08 console=ttyS0; set -- -M cubieboard -m 512 \
			-dtb "$(echo "$cache"/usr/lib/linux-image-*/sun4i-a10-cubieboard.dtb)" ;;
*)		echo "board.sh: no board named $board"; exit 2 ;;
esac

rm -rf "$work" && mkdir -p "$work/root/bin" "$work/root/lib" "$work/root/tmp" || exit 1
root=$work/root
cp "$cache/bin/busybox" "$tool" "$root/bin/" &&
	cp "$selftest" "$root/bin/verservice-selftest" || exit 1
elf=$("$readelf" -l -d --wide "$tool") || exit 1
interp=$(echo "$elf" | sed -n 's/.*program interpreter: \(.*\)]$/\1/p')
if [ -n "$interp" ]; then
	for lib in $(echo "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'); do
		cp "$libdir/$lib" "$root/lib/" || exit 1
	done
	mkdir -p "$root${interp%/*}" && cp "$libdir/${interp##*/}" "$root$interp" || exit 1
fi
cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mkdir -p /proc /sys /dev
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
cpu() { sed -n "s/^$1[[:space:]]*: *//p" /proc/cpuinfo | head -n 1; }
echo "board: kernel $(uname -r), CPU part $(cpu 'CPU part'), features: $(cpu Features)"
sh /bin/verservice-selftest verservice
echo "board: done"
poweroff -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd" || exit 1

echo "board.sh: booting $board ($*), at most $limit s"
start=$(date +%s)
timeout $limit qemu-system-arm "$@" -nic none -nographic -no-reboot \
	-kernel "$(echo "$cache"/boot/vmlinuz-*)" -initrd "$work/initrd" \
	-append "console=$console quiet panic=-1" </dev/null >"$work/raw" 2>&1 &
qemu=$!
while kill -0 $qemu 2>/dev/null && ! grep -q '^board: done' "$work/raw"; do
	sleep 1
done
kill $qemu 2>/dev/null
wait $qemu
tr -d '\r' <"$work/raw" >"$work/console"
echo "board.sh: $board ran $(($(date +%s) - start)) s"
cat "$work/console"

grep -q "^board: .*CPU part $part," "$work/console" ||
	{ echo "board.sh: the board did not boot a core with CPU part $part"; exit 1; }
grep -q "^$cases passed, 0 failed\$" "$work/console" ||
	{ echo "board.sh: no \"$cases passed, 0 failed\" on the console within $limit s"; exit 1; }
