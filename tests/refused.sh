#!/bin/sh
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Writes FILE: the release OWN with line LINE replaced by TEXT, as printf's
# %b writes it, or with TEXT added after its last line.  Passes when
# configure's reader refuses FILE and says, byte for byte, to a line end:
# FILE:LINE: WORDS, in: TEXT (without a final \c).
#
#   refused.sh OWN LINE TEXT WORDS FILE CMAKE
own=$1 line=$2 text=$3 words=$4 file=$5 cmake=$6
{ head -n $((line - 1)) "$own" && printf '%b\n' "$text" && tail -n +$((line + 1)) "$own"; } \
	>"$file" || exit 1
out=$("$cmake" -DRELEASE="$file" -P "${0%/*}/../cmake/release.cmake" 2>&1) &&
	{ echo "$out"; echo "refused.sh: taken, not refused"; exit 1; }
want="$file:$line: $words, in: ${text%\\c}"
case $out in
*"$want
"*) ;;
*) echo "$out"; echo "refused.sh: refused, but not with: $want"; exit 1 ;;
esac
