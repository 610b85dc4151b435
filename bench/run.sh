#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Start-up cost of each query, dynamic and static, against /bin/true, the
# smallest program on the system, and against the floor: an empty program
# built and linked exactly as the static preset links the tool.  For each:
# median wall time (hyperfine), user-space instructions (callgrind,
# repeatable where wall time is not) and system calls after execve
# (strace).  Builds the host presets first.
#
#   bench/run.sh [runs]      (default 1000 runs a command)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000}

mode=ON more_need='hyperfine:hyperfine strace:strace'
. tests/need.sh
need hyperfine valgrind strace taskset

# The tool from both host presets and the floor from the static one, each
# built by its build; their paths, and the image to ask for, as the build
# wrote them.  No image has a "/".
tools=()
for preset in host host-static; do
	cmake --preset "$preset" >/dev/null
	cmake --build --preset "$preset" --target verservice floor >/dev/null
	{ read -r tool; read -r floor; read -r image; } \
		<"build/$preset/bench/paths-Release"
	tools+=("$tool")
done

queries=(-m -p -v -iv "-b $image" "-b no/such.bin")
commands=(/bin/true "$floor")
labels=(/bin/true "floor (static)")
for k in 0 1; do
	for q in "${queries[@]}"; do
		commands+=("${tools[$k]} $q")
		label="verservice $q"
		((k == 1)) && label+=" (static)"
		labels+=("$label")
	done
done

# Wall time on a shared machine drifts by more than the differences we are
# after, so the runs are split into rounds that each start with another
# command, and every ratio is taken within one round.
rounds=10
n=${#commands[@]}
times=$(mktemp)
csv=$(mktemp)
log=$(mktemp)
trap 'rm -f "$times" "$csv" "$log"' EXIT
for ((r = 0; r < rounds; r++)); do
	order=()
	for ((k = 0; k < n; k++)); do
		order+=($(((k + r) % n)))
	done
	ordered=()
	for k in "${order[@]}"; do
		ordered+=("${commands[$k]}")
	done
	if ! taskset -c 1 hyperfine -N --warmup 20 --runs $((runs / rounds)) --style none \
		--export-csv "$csv" "${ordered[@]}" >"$log" 2>&1; then
		cat "$log" >&2
		exit 1
	fi
	# round, command index, median seconds
	awk -F, -v r=$r -v order="${order[*]}" 'BEGIN { split(order, o, " ") }
		NR > 1 { print r, o[NR - 1], $4 }' "$csv" >>"$times"
done
median() {
	sort -g | awk '{ v[NR] = $1 } END { print (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'
}
ratio() {	# the median over the rounds of command $1's time over command $2's
	awk -v i="$1" -v j="$2" '$2 == j { t[$1] = $3 } $2 == i { c[$1] = $3 }
		END { for (r in c) print c[r] / t[r] }' "$times" | median
}

# shellcheck disable=SC2086 # a command is split into its words on purpose
instructions() {
	valgrind --tool=callgrind --callgrind-out-file=/dev/null $1 2>&1 >/dev/null |
		awk '/Collected :/ { print $NF }'
}
# shellcheck disable=SC2086
syscalls() {	# after execve: every line of the trace but the execve
	strace -qq -o "$log" $1 >/dev/null
	echo $(($(wc -l <"$log") - 1))
}

printf '%-34s %9s %6s %6s %12s %6s %9s\n' \
	command "median µs" ×true ×floor instructions ×true "syscalls"
true_ir=$(instructions /bin/true)
for i in "${!commands[@]}"; do
	c=${commands[$i]}
	wall=$(awk -v i="$i" '$2 == i { print $3 }' "$times" | median)
	floor=-
	[[ ${labels[$i]} == *static* ]] && floor=$(ratio "$i" 1)
	ir=$(instructions "$c")
	awk -v c="${labels[$i]}" -v m="$wall" -v t="$(ratio "$i" 0)" -v f="$floor" -v ir="$ir" \
		-v tir="$true_ir" -v sc="$(syscalls "$c")" 'BEGIN {
		printf "%-34s %9.0f %6.3f %6s %12d %6.3f %9d\n", c, m * 1e6, t,
			f == "-" ? f : sprintf("%.3f", f), ir, ir / tir, sc
	}'
done
echo "median µs: $runs runs a command in $rounds rounds (hyperfine -N),"
echo "  the median of the rounds' medians;"
echo "×true, ×floor: the median over the rounds of the ratio in the same round;"
echo "instructions: callgrind; syscalls: system calls after execve (strace)"
