#!/bin/sh
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Passes when COMMAND fails and says WORDS, byte for byte, to a line end.
#
#   refused.sh WORDS COMMAND...
words=$1
shift
out=$("$@" 2>&1) && { echo "$out"; echo "refused.sh: taken, not refused"; exit 1; }
case $out in
*"$words
"*) ;;
*) echo "$out"; echo "refused.sh: refused, but not with: $words"; exit 1 ;;
esac
