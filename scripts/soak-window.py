#!/usr/bin/env python3
"""The real game under xvfb-run with a remote flood on a pseudo-terminal.

Starts build/bin/kelvandor on the sample puzzles with its settings in a temporary
XDG_CONFIG_HOME that maps COM1 to the slave side of a pseudo-terminal, writes remote frames
(random buttons, press and release) into the master side at flood rate, and samples the
game's resident memory and the CPU time it spends per 50 ms tick of its timer. Prints one
line per sample; exits 1 when the game died or memory grew by more than --max-growth-kb
after the first tenth of the run.

    scripts/soak-window.py [--seconds 1800] [--interval 30] [--rate 500] [--program PATH]
"""
import argparse
import os
import pty
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def proc_stats(pid):
    """(resident kB, CPU seconds) of pid, or None when it is gone."""
    try:
        with open(f"/proc/{pid}/status") as f:
            rss = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = os.sysconf("SC_CLK_TCK")
        return rss, (int(fields[11]) + int(fields[12])) / ticks
    except (OSError, StopIteration):
        return None


def find_game(session, program):
    """The pid of the game that xvfb-run (leader of `session`) started."""
    name = os.path.basename(program)[:15]  # the kernel keeps 15 characters of the name
    for _ in range(100):
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/stat") as f:
                    stat = f.read()
            except OSError:
                continue
            comm, rest = stat.split("(", 1)[1].rsplit(")", 1)
            if comm == name and int(rest.split()[3]) == session:
                return int(entry)
        time.sleep(0.1)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=int, default=1800)
    parser.add_argument("--interval", type=int, default=30)
    parser.add_argument("--rate", type=int, default=500, help="frames per second")
    parser.add_argument("--max-growth-kb", type=int, default=4096)
    parser.add_argument("--program", default="build/bin/kelvandor")
    parser.add_argument("--puzzles", default="samples/puzzles")
    args = parser.parse_args()

    master, slave = pty.openpty()
    slave_name = os.ttyname(slave)
    config = tempfile.mkdtemp(prefix="kelvandor-soak-")
    os.makedirs(f"{config}/XQ")
    with open(f"{config}/XQ/Kelvandor.conf", "w") as f:
        f.write("[General]\nComPort=0\nTimeout=20\nPicPath=%s\n\n[ComDevices]\nCOM1=%s\n"
                % (os.path.abspath(args.puzzles), slave_name))
    env = dict(os.environ, XDG_CONFIG_HOME=config)
    runner = subprocess.Popen(["xvfb-run", "-a", args.program, os.path.abspath(args.puzzles)],
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                              start_new_session=True)
    game = find_game(runner.pid, args.program)
    if game is None:
        print("the game did not start", file=sys.stderr)
        os.killpg(runner.pid, signal.SIGTERM)
        return 1
    os.set_blocking(master, False)
    time.sleep(3)
    fds = []
    for fd in os.listdir(f"/proc/{game}/fd"):
        try:
            fds.append(os.readlink(f"/proc/{game}/fd/{fd}"))
        except OSError:
            pass
    print(f"the game {'holds' if slave_name in fds else 'does NOT hold'} {slave_name} open",
          flush=True)
    rng = random.Random(19)
    print("seconds rss_kb cpu_ms_per_tick frames_sent", flush=True)
    start = time.monotonic()
    last = proc_stats(game)
    last_time = start
    first_tenth = None
    peak = 0
    sent = 0
    status = 0
    next_sample = start + args.interval
    while time.monotonic() - start < args.seconds:
        burst = b""
        for _ in range(max(1, args.rate // 100)):
            button = rng.choice("0123456789ABCDEF")
            letter = rng.choice("DDDUS")
            burst += f"{button}{letter}{rng.getrandbits(32):08X}\r".encode()
            if rng.random() < 0.05:
                burst += bytes(rng.getrandbits(8) for _ in range(rng.randint(1, 12)))
        try:
            os.write(master, burst)
            sent += len(burst) // 11
        except BlockingIOError:
            pass  # the game reads slower than we write: the terminal's buffer is full
        try:  # the game writes nothing back, but keep the master's input side empty
            os.read(master, 65536)
        except (BlockingIOError, OSError):
            pass
        time.sleep(0.01)
        now = time.monotonic()
        if now >= next_sample:
            stats = proc_stats(game)
            if stats is None:
                print("the game is gone", flush=True)
                status = 1
                break
            rss, cpu = stats
            per_tick = (cpu - last[1]) * 1000 / ((now - last_time) / 0.05)
            print(f"{now - start:.0f} {rss} {per_tick:.2f} {sent}", flush=True)
            last, last_time = stats, now
            peak = max(peak, rss)
            if first_tenth is None and now - start >= args.seconds / 10:
                first_tenth = rss
            next_sample += args.interval
    alive = proc_stats(game) is not None
    os.killpg(runner.pid, signal.SIGTERM)
    try:
        runner.wait(timeout=30)
    except subprocess.TimeoutExpired:
        os.killpg(runner.pid, signal.SIGKILL)
    shutil.rmtree(config, ignore_errors=True)
    growth = peak - (first_tenth or peak)
    print(f"alive at the end: {alive}; rss after the first tenth {first_tenth} kB, "
          f"peak {peak} kB, growth {growth} kB; frames sent {sent}", flush=True)
    if not alive or growth > args.max_growth_kb:
        status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
