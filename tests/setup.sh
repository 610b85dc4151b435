#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Installs what the build and the tests need and this machine lacks, as
# root with apt-get, and says what; elsewhere names the command and stops.
# With nothing missing it does nothing, as any user.
set -uo pipefail
cd "$(dirname "$0")/.."

. tests/need.sh
# A need is a command, or an absolute path (a pattern) to a file.
missing=$(for pair in $tests_need; do
	what=${pair%%:*}
	if [[ $what == /* ]]; then compgen -G "$what"; else command -v "$what"; fi >/dev/null ||
		echo "${pair#*:}"
done | sort -u | tr '\n' ' ')
missing=${missing% }

# The boards' kernel and busybox come from Debian's armhf and armel
# package lists.  A source that cannot be fetched (a mirror in the middle
# of a sync, say) does not stop the setup: apt-get installs from the
# others, and only a package that none of them has stops it.
apt-cache show linux-image-armmp:armhf busybox-static:armel >/dev/null 2>&1 && [[ -z $missing ]] &&
	exit 0
archs="dpkg --add-architecture armhf && dpkg --add-architecture armel"
how="$archs && apt-get update${missing:+ && apt-get install $missing}"
if [[ $(id -u) != 0 ]] || ! command -v apt-get >/dev/null; then
	# Without the lists only the boards' first fetch fails, and says so.
	[[ -z $missing ]] && echo "setup.sh: the boards need, as root: $how" && exit 0
	echo "setup.sh: the build and the tests need more; as root: $how"
	exit 1
fi
echo "== $how"
eval "$archs" || exit 1
apt-get update -qq || echo "setup.sh: apt-get update failed for a source, above; going on"
if [[ -n $missing ]] && ! DEBIAN_FRONTEND=noninteractive \
	apt-get install -y -qq --no-install-recommends $missing >/dev/null; then
	echo "setup.sh: cannot install: $missing"
	exit 1
fi
