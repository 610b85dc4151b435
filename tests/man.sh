#!/bin/sh
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Reads a manual page as its readers get it: mandoc -Tlint has not a word
# to say, and groff, as man renders it, and mandoc each show its table of
# images with one row an image of the release file, the name and the build
# apart.  AUTO: exit
# 77 when mandoc or groff cannot run here.
#
#   man.sh AUTO|ON PAGE RELEASE
set -u
mode=$1 page=$2
images=$(tail -n +3 "$3") || exit 1

. "${0%/*}/need.sh"
need mandoc groff
lint=$(mandoc -Tlint "$page" 2>&1) && [ -z "$lint" ] ||
	{ echo "mandoc -Tlint $page:"; echo "$lint"; exit 1; }
for render in "groff -mdoc -Tutf8" "mandoc -Tutf8"; do
	# Without the backspaces of bold and underlined letters.
	text=$($render "$page" | sed "s/.$(printf '\b')//g")
	set -f -- $images
	while [ $# -gt 1 ]; do
		echo "$text" | awk -v name="$1" -v build="$2" \
			'NF == 2 && $1 == name && $2 == build { n++ } END { exit n != 1 }' ||
			{ echo "$text"; echo "$render $page: not one row [$1 $2]"; exit 1; }
		shift 2
	done
done
