#!/bin/sh
# Runs a static executable under strace and reports on standard error,
# where the self-test sees it, every brk, mmap or mremap call, and a
# missing trace.
#
#   no-heap.sh EXECUTABLE [ARGUMENT...]

log=$(mktemp) || exit 2
strace -qq -o "$log" "$@"
status=$?
grep -E '^(brk|mmap|mmap2|mremap)\(' "$log" >&2
grep -q "exit_group(" "$log" || echo "no trace of the run" >&2
rm -f "$log"
exit $status
