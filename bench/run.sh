#!/usr/bin/env bash
# Start-up cost of each query against /bin/true, the smallest program on
# the system: median wall time (hyperfine), user-space instructions
# (callgrind, repeatable where wall time is not) and peak resident memory.
# Builds the host presets, dynamic and static, first.
#
#   bench/run.sh [runs]      (default 1000 runs a command)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000}

missing=()
for tool in hyperfine:hyperfine valgrind:valgrind /usr/bin/time:time taskset:util-linux; do
	command -v "${tool%%:*}" >/dev/null 2>&1 || missing+=("${tool#*:}")
done
if ((${#missing[@]})); then
	echo "bench/run.sh: install first: apt-get install ${missing[*]}" >&2
	exit 1
fi

for preset in host host-static; do
	cmake --preset "$preset" >/dev/null
	cmake --build --preset "$preset" >/dev/null
done

queries=(-m -v -iv "-b web.bin" "-b nosuch.bin")
commands=(/bin/true)
labels=(/bin/true)
for build in host host-static; do
	for q in "${queries[@]}"; do
		commands+=("build/$build/verservice $q")
		label="verservice $q"
		[[ $build == host-static ]] && label+=" (static)"
		labels+=("$label")
	done
done

# Wall time on a shared machine drifts by more than the differences we are
# after, so the runs are split into rounds that each time start with
# another command, and every ratio is taken within one round.
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
median() { sort -g | awk '{ v[NR] = $1 } END { print (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }

instructions() {
	# shellcheck disable=SC2086 # the command is split into its words on purpose
	valgrind --tool=callgrind --callgrind-out-file=/dev/null $1 2>&1 >/dev/null |
		awk '/Collected :/ { print $NF }'
}
peak_kib() {	# the median of five runs: page-cache sharing makes it wander
	for _ in 1 2 3 4 5; do
		# shellcheck disable=SC2086
		/usr/bin/time -f %M $1 2>&1 >/dev/null
	done | sort -n | sed -n 3p
}

printf '%-36s %9s %6s %12s %6s %8s\n' command "median µs" ×true instructions ×true "peak KiB"
true_ir=$(instructions /bin/true)
for i in "${!commands[@]}"; do
	c=${commands[$i]}
	wall=$(awk -v i="$i" '$2 == i { print $3 }' "$times" | median)
	ratio=$(awk -v i="$i" '$2 == 0 { t[$1] = $3 } $2 == i { c[$1] = $3 }
		END { for (r in c) print c[r] / t[r] }' "$times" | median)
	ir=$(instructions "$c")
	awk -v c="${labels[$i]}" -v m="$wall" -v ratio="$ratio" -v ir="$ir" -v tir="$true_ir" \
		-v kib="$(peak_kib "$c")" 'BEGIN {
		printf "%-36s %9.0f %6.3f %12d %6.3f %8d\n", c, m * 1e6, ratio, ir, ir / tir, kib
	}'
done
echo "median µs: $runs runs a command in $rounds rounds (hyperfine -N), the median of the rounds' medians;"
echo "×true: the median over the rounds of the ratio to /bin/true in the same round; instructions: callgrind;"
echo "peak KiB: maximum resident set size, median of 5 runs (/usr/bin/time)"
