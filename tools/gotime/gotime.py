#!/usr/bin/env python3
"""Times the engine's answers: go-to-bestmove wall time of one go command.

    tools/gotime/gotime.py [--engine build/tavrolin] [--runs 20] [--go "movetime 1000"]
                           [--position startpos]

Starts the engine once, then for each run sends the position and the go and
measures from writing the go line to reading its bestmove line. Prints every
time and then the median and the maximum in milliseconds.
"""
import argparse
import statistics
import subprocess
import time


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--engine", default="build/tavrolin")
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--go", default="movetime 1000")
    parser.add_argument("--position", default="startpos")
    args = parser.parse_args()

    engine = subprocess.Popen([args.engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

    def send(line):
        engine.stdin.write(line + "\n")
        engine.stdin.flush()

    def read_until(prefix):
        for line in engine.stdout:
            if line.startswith(prefix):
                return line
        raise SystemExit("the engine ended before answering")

    send("uci")
    read_until("uciok")
    times = []
    for run in range(args.runs):
        send("position " + args.position)
        send("isready")
        read_until("readyok")
        start = time.perf_counter()
        send("go " + args.go)
        best = read_until("bestmove")
        times.append((time.perf_counter() - start) * 1000)
        print(f"run {run + 1:2d}: {times[-1]:8.1f} ms  {best.strip()}")
    send("quit")
    engine.wait()
    print(f"go {args.go}: median {statistics.median(times):.1f} ms, maximum {max(times):.1f} ms over {args.runs} runs")


if __name__ == "__main__":
    main()
