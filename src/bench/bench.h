// The bench: a fixed set of positions searched to a fixed depth, each from
// fresh tables. Its total node count is the search's signature, the same on
// every system; the engine's "bench" command and the bench tool both run it.
#pragma once

constexpr int BENCH_DEFAULT_DEPTH = 9;
constexpr int BENCH_MAX_DEPTH = 62;

// Searches every bench position to depth, printing one line a position and
// then "bench NODES nodes NPS nps MS ms" on standard output.
void runBench(int depth);
