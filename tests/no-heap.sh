#!/bin/sh
# Runs a static executable under a system call tracer and reports on
# standard error, where the self-test sees it, every brk, mmap, mmap2 or
# mremap call, and a missing trace.
#
#   no-heap.sh strace|qemu-arm EXECUTABLE [ARGUMENT...]

tracer=$1
shift
log=$(mktemp) || exit 2
if [ "$tracer" = strace ]; then
	strace -qq -o "$log" "$@"
	status=$?
else
	# Not -D: qemu would open its log on a closed standard output.  Its
	# trace lines and signal notes are not the tool's own standard error.
	"$tracer" -strace "$@" 2>"$log"
	status=$?
	grep -v -E '^([0-9]+ |--- SIG)' "$log" >&2
fi
grep -E '^([0-9]+ +)?(brk|mmap|mmap2|mremap)\(' "$log" >&2
grep -q "exit_group(" "$log" || echo "no trace of the run" >&2
rm -f "$log"
exit $status
