#!/bin/sh
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Runs Debian's swupdate in dry-run against an installed sw-versions, read
# as /etc/sw-versions through an overlay in a private mount namespace, so
# that this machine's /etc stays as it is.  In a chroot, whose / is no
# mount point, unshare -m cannot make the namespace private: there swupdate
# reads the same lines as its configuration's versions.  Three updates of
# every image of the release file, signed as Debian's build insists: each image at its
# build with install-if-different must be skipped, one build higher with
# install-if-higher taken, one lower skipped.  AUTO: exit 77 when swupdate
# cannot run here.
#
#   swupdate.sh AUTO|ON SW-VERSIONS WORK RELEASE
set -u
mode=$1 versions=$2 work=$3 failed=0
images=$(tail -n +3 "$4") || exit 1
set -f

. "${0%/*}/need.sh"
need swupdate openssl cpio unshare
# A PID namespace too, so that the helpers swupdate starts end with it.
ns="unshare -m -p -f" config=
[ "$(id -u)" = 0 ] || ns="$ns -r"
etc='mount -t overlay overlay -o "lowerdir=/etc,upperdir=$0/upper,workdir=$0/overlay" /etc &&
	cp "$1" /etc/sw-versions'
rm -rf "$work" && mkdir -p "$work/upper" "$work/overlay" && cd "$work" || exit 1
$ns true 2>/dev/null || { ns="unshare -p -f" etc=: config="-f swupdate.cfg"
	printf 'globals : { };\nversions : ( %s );\n' \
		"$(sed 's/^\([^ ]*\) \([^ ]*\)$/{ name = "\1"; version = "\2"; }/; $!s/$/,/' "$versions")" \
		>swupdate.cfg; }
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
	-subj /CN=verservice -addext extendedKeyUsage=emailProtection >openssl.log 2>&1 ||
	{ cat openssl.log; exit 1; }

# update CONDITION STEP TAKEN: every image at its build + STEP, each
# expected to be taken (TAKEN yes) or skipped (no).  A build one off that
# no release can have (below 0, over 2147483647) leaves its image out.
update() {
	condition=$1 step=$2 taken=$3 rows= files=
	set -- $images
	while [ $# -gt 1 ]; do
		# The build as it stands, or its decimal value (not octal) one off.
		version=$2
		[ "$step" = 0 ] || version=$(($(echo "$2" | sed 's/^0*\(.\)/\1/') + step))
		if [ "$version" -ge 0 ] && [ "$version" -le 2147483647 ]; then
			echo "$1" >"$1" && files="$files $1"
			rows="$rows{ filename = \"$1\"; name = \"$1\"; version = \"$version\"; $condition = true;
			type = \"raw\"; device = \"/dev/null\"; sha256 = \"$(sha256sum <"$1" | cut -c 1-64)\"; },"
		fi
		shift 2
	done
	printf 'software = { version = "1.0"; hardware-compatibility: [ "1.0" ];\n\timages: ( %s ); }\n' \
		"${rows%,}" >sw-description
	openssl cms -sign -in sw-description -out sw-description.sig -signer cert.pem -inkey key.pem \
		-outform DER -nosmimecap -binary || exit 1
	printf '%s\n' sw-description sw-description.sig $files | cpio -o -H crc >update.swu 2>/dev/null ||
		exit 1
	# Its own temporary directory, short enough for its sockets' names.
	# swupdate 2022.12 now and then reads the signature before it has
	# all of it ("cannot be parsed as DER-encoded CMS"): it gets three tries.
	for try in 1 2 3; do
		tmp=$(mktemp -d) || exit 1
		TMPDIR=$tmp $ns sh -c \
			"$etc && exec swupdate -v -n $config -k cert.pem -H verservice:1.0 -i update.swu" \
			"$PWD" "$versions" >swupdate.log 2>&1
		rm -rf "$tmp"
		grep -q 'Verified OK' swupdate.log && break
	done
	grep -q 'Verified OK' swupdate.log || { cat swupdate.log; cannot "no verified update"; }
	set -- $files
	found=$(grep -c "Found Image " swupdate.log)
	skipped=$(grep -c "Found Image .* SKIPPED\$" swupdate.log)
	[ $taken = yes ] && want=0 || want=$#
	[ "$found" = $# ] && [ "$skipped" = $want ] || { grep 'Found Image' swupdate.log; failed=1
		echo "FAIL each build $step, $condition: of $found images $skipped skipped, expected $want"; }
}
update install-if-different 0 no
update install-if-higher 1 yes
update install-if-higher -1 no
[ $failed = 0 ] || { cat "$versions"; exit 1; }
echo "swupdate.sh: $(($# / 2)) images, as the installed sw-versions has them" \
	"${config:+(read as its configuration)}"
