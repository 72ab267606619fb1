#!/usr/bin/env bash
# Compares the speed of two commits on identical work. Each commit is built
# in a temporary worktree exactly as its own ./run.sh builds it, then the
# workloads run alternately (A, B, A, B, ...) and the medians of their CPU
# times are reported with the node counts, which must be equal for the
# ratio to mean anything.
#
#   tools/compare/compare.sh [-r RUNS] [-q] OLD NEW
#
# Workloads, all made of what every commit of the engine has:
#   bench       tavrolin-bench at its default depth (signature and CPU time)
#   search:*    UCI "go infinite" from a position, up to the opening line of
#               an iteration (CPU time of the engine process at that line)
#   perft       tavrolin-perft 6 from the start position (moves made per
#               CPU second)
# -q leaves out the bench, the longest workload.
# Ratios are OLD time / NEW time: above 1 means NEW is faster. When node
# counts differ, the time per node is compared instead and the line says so.
set -euo pipefail

runs=5
quick=0
while getopts "r:q" opt; do
  case "$opt" in
    r) runs="$OPTARG" ;;
    q) quick=1 ;;
    *) echo "usage: $0 [-r RUNS] [-q] OLD NEW" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -ne 2 ]; then
  echo "usage: $0 [-r RUNS] [-q] OLD NEW" >&2
  exit 2
fi

repo="$(git -C "$(dirname "${BASH_SOURCE[0]}")" rev-parse --show-toplevel)"
old_commit="$(git -C "$repo" rev-parse --short "$1^{commit}")"
new_commit="$(git -C "$repo" rev-parse --short "$2^{commit}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/tavrolin-compare.XXXXXX")"

cleanup() {
  for tree in "$work/old" "$work/new"; do
    if [ -d "$tree" ]; then git -C "$repo" worktree remove --force "$tree" >/dev/null 2>&1 || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

# The searches: name, position text, iteration whose opening line ends it.
search_names=(startpos middlegame ending)
search_positions=(
  "startpos"
  "fen r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10"
  "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"
)
search_depths=(10 10 15)
perft_depth=6

build() {
  local commit=$1 tree=$2
  git -C "$repo" worktree add --detach "$tree" "$commit" >/dev/null 2>&1
  echo "building $commit ..." >&2
  (cd "$tree" && ./run.sh </dev/null >/dev/null 2>"$tree.build.log") || {
    echo "build of $commit failed; see the log below" >&2
    tail -20 "$tree.build.log" >&2
    exit 1
  }
  cmake --build "$tree/build" --target tavrolin-bench tavrolin-perft -j2 >>"$tree.build.log" 2>&1
}

ticks_per_second="$(getconf CLK_TCK)"

# The CPU seconds (user + system) a running process has used so far: from
# the scheduler's nanosecond count of each of its threads where the system
# keeps one, else from the clock ticks (a hundredth of a second, too coarse
# for the shorter searches on a fast machine).
cpu_seconds() {
  local pid=$1
  if [ -r "/proc/$pid/schedstat" ]; then
    cat "/proc/$pid/task/"*/schedstat 2>/dev/null | awk '{ ns += $1 } END { printf "%.6f\n", ns / 1e9 }'
  else
    awk -v hz="$ticks_per_second" '{ printf "%.6f\n", ($14 + $15) / hz }' "/proc/$pid/stat"
  fi
}

# One search: prints "NODES SECONDS".
run_search() {
  local engine=$1 position=$2 depth=$3 line start stop nodes=""
  coproc ENGINE { exec "$engine" 2>/dev/null; }
  local to_engine=${ENGINE[1]} from_engine=${ENGINE[0]} pid=$ENGINE_PID
  echo "isready" >&"$to_engine"
  while read -r line <&"$from_engine"; do [ "$line" = "readyok" ] && break; done
  echo "position $position" >&"$to_engine"
  start="$(cpu_seconds "$pid")"
  echo "go infinite" >&"$to_engine"
  while read -r line <&"$from_engine"; do
    case "$line" in
      "info depth $depth "*)
        stop="$(cpu_seconds "$pid")"
        nodes="${line##* nodes }"
        nodes="${nodes%% *}"
        break
        ;;
    esac
  done
  echo "stop" >&"$to_engine"
  echo "quit" >&"$to_engine"
  wait "$pid" 2>/dev/null || true
  awk -v n="$nodes" -v a="$start" -v b="$stop" 'BEGIN { printf "%s %.3f\n", n, b - a }'
}

# The CPU seconds (user + system) of a command; its standard output goes to $2.
timed() {
  local out=$1
  shift
  local TIMEFORMAT='%U %S'
  local times
  times="$({ time "$@" >"$out" 2>&1; } 2>&1)"
  awk -v u="${times% *}" -v s="${times#* }" 'BEGIN { printf "%.3f\n", u + s }'
}

run_bench() {
  local tree=$1 seconds
  seconds="$(timed "$work/bench.out" "$tree/build/tools/bench/tavrolin-bench")"
  echo "$(awk '/^bench / { print $2 }' "$work/bench.out") $seconds"
}

run_perft() {
  local tree=$1 seconds
  seconds="$(timed "$work/perft.out" "$tree/build/tools/perft/tavrolin-perft" "$perft_depth")"
  # The moves made (every legal and illegal move tried) are the work counted.
  echo "$(awk '/moves made/ { print $5 }' "$work/perft.out") $seconds"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

build "$old_commit" "$work/old"
build "$new_commit" "$work/new"

workloads=()
[ "$quick" -eq 1 ] || workloads+=(bench)
for i in "${!search_names[@]}"; do workloads+=("search:$i"); done
workloads+=(perft)

run_workload() {
  local workload=$1 tree=$2
  case "$workload" in
    bench) run_bench "$tree" ;;
    perft) run_perft "$tree" ;;
    search:*)
      local i=${workload#search:}
      run_search "$tree/build/tavrolin" "${search_positions[$i]}" "${search_depths[$i]}"
      ;;
  esac
}

label() {
  case "$1" in
    bench) echo "bench (default depth)" ;;
    perft) echo "perft $perft_depth startpos" ;;
    search:*)
      local i=${1#search:}
      echo "${search_names[$i]} to iteration ${search_depths[$i]}"
      ;;
  esac
}

echo "old $old_commit, new $new_commit; $runs alternating runs each; CPU seconds, medians"
printf "%-28s %14s %14s %9s %9s %8s\n" workload "old nodes" "new nodes" "old s" "new s" ratio
for workload in "${workloads[@]}"; do
  : >"$work/old.times"
  : >"$work/new.times"
  old_nodes="" new_nodes=""
  for ((r = 0; r < runs; ++r)); do
    read -r old_nodes t < <(run_workload "$workload" "$work/old")
    echo "$t" >>"$work/old.times"
    read -r new_nodes t < <(run_workload "$workload" "$work/new")
    echo "$t" >>"$work/new.times"
  done
  old_time="$(median <"$work/old.times")"
  new_time="$(median <"$work/new.times")"
  if [ "$old_nodes" = "$new_nodes" ]; then
    ratio="$(awk -v a="$old_time" -v b="$new_time" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
    note=""
  else
    ratio="$(awk -v a="$old_time" -v b="$new_time" -v na="$old_nodes" -v nb="$new_nodes" \
      'BEGIN { printf "%.2f", ((b > 0 && na > 0) ? (a / na) / (b / nb) : 0) }')"
    note="  (node counts differ: time per node compared)"
  fi
  printf "%-28s %14s %14s %9s %9s %7sx%s\n" "$(label "$workload")" "$old_nodes" "$new_nodes" "$old_time" "$new_time" \
    "$ratio" "$note"
  if [ "$workload" = perft ]; then
    awk -v n="$old_nodes" -v a="$old_time" -v b="$new_time" \
      'BEGIN { printf "%-28s %14.1f %14.1f  million moves made per CPU second\n", "", n / a / 1e6, n / b / 1e6 }'
  fi
done
