#!/usr/bin/env python3
"""The real game under Xvfb, measured from outside.

  end_to_end.py GAME PHOTO_PUZZLE_BENCH WIDTHxHEIGHT [--puzzles ROOT] [--only PART,...]

animation: F5 on the sample puzzles, then the selected answer sent across the columns and
           back (Left, Right) for ten seconds; the game's process CPU time in that span
           (utime + stime from /proc/PID/stat).
photos:    F5 on a puzzle of twelve 4000 x 3000 JPEGs (written by photo_puzzle_bench), three
           ways: two seconds after the window showed ("ahead": the game has had the time to
           load the pictures ahead), a quarter of a second after ("at once": F5 takes over
           a load ahead under way), and two seconds after with every picture file rewritten
           just before F5 ("changed": nothing loaded ahead is good, all load after the key).
           Each: growth of the resident memory (VmRSS before F5 against VmHWM after the
           deal; pictures loaded ahead are in the "before"), and, when the game writes tick
           lines (KELVANDOR_TRACE_TICKS), the time from the key to the first tick of the
           dealt round and the longest gap between ticks meanwhile (for "ahead" also before
           F5, while the pictures load ahead). Last, the show's usual case ("after a round"):
           a two-answer puzzle dealt, played out with Left, F7, Left, F8 and cleared with F6,
           then F5 on the photos, which loaded ahead once that round was dealt.
remote:    F5 on the sample puzzles, then remote presses of Left and Right (buttons 10 and 11)
           written into a pseudo-terminal that the game reads as its COM1, about every
           0.3 s for twenty seconds, so that each press meets the answer still crossing the
           columns after the one before; per press the time from writing its bytes to the
           view having acted on it (the game's trace line, both on CLOCK_MONOTONIC), for the
           presses during an animation: median, 90th percentile and largest.
The key presses go to the window with xdotool; the settings live in a temporary folder.
"""
import os, pty, random, re, shutil, subprocess, sys, tempfile, time

def proc_cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

def status_kb(pid, key):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith(key + ":"):
            return int(line.split()[1])
    return 0

def key(display, window, name):
    subprocess.run(["xdotool", "key", "--window", window, name], env={**os.environ, "DISPLAY": display},
                   check=True)

def start_game(game, display, root, trace_path, serial_device=None, settle=2.0):
    config = tempfile.mkdtemp(prefix="kelvandor-e2e-config-")
    runtime = tempfile.mkdtemp(prefix="kelvandor-e2e-run-")
    os.chmod(runtime, 0o700)
    os.makedirs(f"{config}/XQ")
    with open(f"{config}/XQ/Kelvandor.conf", "w") as f:
        f.write(f"[General]\nPicPath={root}\n")
        if serial_device:
            f.write(f"ComPort=0\n\n[ComDevices]\nCOM1={serial_device}\n")
    env = {**os.environ, "DISPLAY": display, "XDG_CONFIG_HOME": config, "XDG_RUNTIME_DIR": runtime,
           "KELVANDOR_TRACE_TICKS": "1"}
    env.pop("QT_QPA_PLATFORM", None)
    trace = open(trace_path, "w")
    process = subprocess.Popen([game, "-z", root], env=env, stderr=trace, stdout=subprocess.DEVNULL)
    window = None
    for _ in range(100):
        time.sleep(0.1)
        found = subprocess.run(["xdotool", "search", "--pid", str(process.pid)], env=env,
                               capture_output=True, text=True).stdout.split()
        if found:
            window = found[-1]
            break
    time.sleep(settle)
    return process, window, (config, runtime)

def stop_game(process, folders):
    process.terminate()
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
    for folder in folders:
        shutil.rmtree(folder, ignore_errors=True)

def ticks(trace_path):
    out = []
    for line in open(trace_path):
        m = re.match(r"kelvandor-trace tick (\d+) started (\d+)", line)
        if m:
            out.append((int(m.group(1)), int(m.group(2))))
    return out

def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(p / 100 * len(ordered)))]

def remote_presses(game, display, samples, work, size):
    """Remote presses through the pseudo-terminal, the reader thread and the event loop."""
    master, slave = pty.openpty()
    process, window, folders = start_game(game, display, samples, f"{work}/r.trace",
                                          os.ttyname(slave))
    key(display, window, "F5")
    time.sleep(2.0)
    rng = random.Random(17)
    sent = []
    start = time.monotonic()
    while time.monotonic() - start < 20.0:
        code = 10 + len(sent) % 2  # Left, Right: the selected answer crosses back and forth
        frame = f"{code:X}D{rng.getrandbits(32):08X}\r".encode()
        sent.append((code, time.monotonic_ns() // 1000))
        os.write(master, frame)
        time.sleep(0.25 + rng.random() * 0.1)
    time.sleep(1.0)
    stop_game(process, folders)
    os.close(master)
    os.close(slave)
    handled, moving = [], []  # (code, us); (us, moving) per tick
    for line in open(f"{work}/r.trace"):
        m = re.match(r"kelvandor-trace remote (\d+) handled (\d+)", line)
        if m:
            handled.append((int(m.group(1)), int(m.group(2))))
        m = re.match(r"kelvandor-trace tick \d+ started \d+ moving (\d+) us (\d+)", line)
        if m:
            moving.append((int(m.group(2)), int(m.group(1))))
    if len(handled) != len(sent):
        print(f"{size} remote: {len(sent)} presses written, {len(handled)} handled")
    during, all_waits = [], []
    for (code, written), (seen, acted) in zip(sent, handled):
        if code != seen:
            print(f"{size} remote: presses out of order")
            return
        wait_ms = (acted - written) / 1000
        all_waits.append(wait_ms)
        before = [m for us, m in moving if us <= written]
        if before and before[-1] > 0:
            during.append(wait_ms)
    if not during:
        print(f"{size} remote: no press met an animation")
        return
    print(f"{size} remote: press to action during an animation ({len(during)} of "
          f"{len(all_waits)} presses): median {percentile(during, 50):.2f} ms, "
          f"90th percentile {percentile(during, 90):.2f} ms, largest {max(during):.2f} ms")

def main():
    game, bench, size = sys.argv[1], sys.argv[2], sys.argv[3]
    samples = sys.argv[sys.argv.index("--puzzles") + 1] if "--puzzles" in sys.argv else \
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../samples/puzzles")
    parts = sys.argv[sys.argv.index("--only") + 1].split(",") if "--only" in sys.argv else \
        ["animation", "photos", "remote"]
    display = ":%d" % (50 + os.getpid() % 40)
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", size + "x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    work = tempfile.mkdtemp(prefix="kelvandor-e2e-")
    try:
        if "remote" in parts:
            remote_presses(game, display, os.path.abspath(samples), work, size)
        if "animation" in parts:
            animation(game, display, os.path.abspath(samples), work, size)
        if "photos" in parts:
            photos(game, bench, display, work, size)
    finally:
        xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)

def animation(game, display, samples, work, size):
    process, window, folders = start_game(game, display, samples, f"{work}/a.trace")
    key(display, window, "F5")
    time.sleep(2.0)
    before = proc_cpu_seconds(process.pid)
    start = time.monotonic()
    while time.monotonic() - start < 10.0:
        key(display, window, "Left")
        time.sleep(0.5)
        key(display, window, "Right")
        time.sleep(0.5)
    used = proc_cpu_seconds(process.pid) - before
    span = time.monotonic() - start
    stop_game(process, folders)
    print(f"{size} animation: game CPU {used:.2f} s in {span:.1f} s ({100 * used / span:.0f} %)")

def photos(game, bench, display, work, size):
    folder = f"{work}/photos"
    subprocess.run([bench, "--write-puzzle", folder], check=True)
    for way in ["ahead", "at once", "changed"]:
        photo_round(game, display, work, folder, f"{size} photos {way}", way)
    # The show's usual F5: a round of two answers played out (both placements judged, the
    # board cleared), then F5 on the photos, which loaded ahead once that round was dealt.
    show = f"{work}/show"
    os.makedirs(f"{show}/Game001")
    with open(f"{show}/Game001/Game.txt", "w") as f:
        f.write("Welcher Buchstabe kommt zuerst?\nA\nB\n")
    shutil.copytree(f"{folder}/Game001", f"{show}/Game002")
    photo_round(game, display, work, show, f"{size} photos after a round", "after a round")

def photo_round(game, display, work, folder, label, way):
    trace = f"{work}/p.trace"
    process, window, folders = start_game(game, display, folder, trace,
                                          settle=0.25 if way == "at once" else 2.0)
    if way == "changed":
        for root, _, files in os.walk(folder):
            for name in files:
                if name.lower().endswith(".jpg"):
                    path = os.path.join(root, name)
                    data = open(path, "rb").read()
                    open(path, "wb").write(data)
    if way == "after a round":
        for name, wait in [("F5", 2.0), ("Left", 1.0), ("F7", 1.5), ("Left", 1.0), ("F8", 4.0),
                           ("F6", 1.0)]:
            key(display, window, name)
            time.sleep(wait)
    rss = status_kb(process.pid, "VmRSS")
    pressed = int(time.monotonic() * 1000) & 0xFFFFFFFF
    key(display, window, "F5")
    time.sleep(8.0)
    hwm = status_kb(process.pid, "VmHWM")
    stop_game(process, folders)
    print(f"{label}: memory growth {(hwm - rss) / 1024:.0f} MB (VmHWM after - VmRSS before)")
    before = [ms for ms, s in ticks(trace) if ms < pressed][1:]
    if way == "ahead" and len(before) > 1:
        print(f"{label}: longest gap between ticks in the {len(before)} ticks before F5 "
              f"(the pictures loading ahead) {max(b - a for a, b in zip(before, before[1:]))} ms")
    t = [(ms, s) for ms, s in ticks(trace) if ms >= pressed - 100]
    if not t:
        print(f"{label}: no tick lines (the game does not trace)")
        return
    if way == "after a round" and [s for ms, s in ticks(trace) if ms < pressed][-1:] == [1]:
        print(f"{label}: the round before did not end; no figure")
        return
    dealt = next((ms for ms, s in t if s == 1), None)
    loading = [b[0] - a[0] for a, b in zip(t, t[1:]) if dealt is None or b[0] < dealt]
    if dealt is not None:
        print(f"{label}: F5 to the first tick of the dealt round {dealt - pressed} ms")
        print(f"{label}: gap between ticks across the deal "
              f"{max(b[0] - a[0] for a, b in zip(t, t[1:]) if b[0] == dealt)} ms")
    print(f"{label}: longest gap between ticks while loading "
          f"{max(loading) if loading else 0} ms")

main()
