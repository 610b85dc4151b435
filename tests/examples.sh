#!/bin/sh
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Runs each example of a manual page as written, in a folder of its own,
# under busybox sh with DIR first in PATH and SW-VERSIONS as its first
# argument: each must exit 0 with nothing on standard error.  The examples
# hold no roff escape, so each is read from the page's source as its
# reader sees it.  AUTO: exit 77 when busybox cannot run here.
#
#   examples.sh AUTO|ON PAGE DIR SW-VERSIONS
set -u
mode=$1 page=$2 dir=$3 versions=$4

. "${0%/*}/need.sh"
need busybox
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
awk -v work="$work" '/^\.Ed/ { f = "" } f { print >f }
	/^\.Bd -literal/ { f = work "/" ++n ".sh" }' "$page" || exit 1
failed=0
# None found leaves the pattern, which busybox cannot open: a failure.
for example in "$work"/*.sh; do
	(cd "$work" && PATH=$dir:$PATH exec busybox sh "$example" "$versions") 2>"$work/err"
	status=$?
	[ $status = 0 ] && [ ! -s "$work/err" ] && continue
	failed=1
	echo "examples.sh: status $status, standard error [$(cat "$work/err")], of:"
	cat "$example"
done
exit $failed
