"""Kalibrix side by side with a bare Qt 6 Widgets program (the floor: bench/bare_qt_window.cpp) and,
when it is installed, KDE's ruler (Debian package kruler), on one display and in one interleaved run:
start-up, memory, the files mapped at start, idle wake-ups and what dragging costs. bench/run prints
these figures first."""

import os
import re
import shutil
import statistics
import subprocess
import time

import harness

ROUNDS = 21  # launches of each program, taken in turns
MEMORY_RUNS = 3  # settled starts of each program at each scale
SETTLE_SECONDS = 1.0  # after the first window is mapped: first paint, deferred work
WAKE_SECONDS = 10.0
DRAG_SECONDS = 10.0
DRAG_STEP_PAUSE = 0.01
DRAG_ROUNDS = 3
KRULER_HINT = "not installed; apt-get install kruler to measure it beside Kalibrix"
BARE_TITLE = "Bare Qt window"


class Peer:
    """A program to compare: how to start it and how to find its first window."""

    def __init__(self, name, argv, title=None, grip=None):
        self.name, self.argv, self.title, self.grip = name, argv, title, grip


def find_peers(binary, build_dir, kalibrix_grip):
    """Kalibrix, the bare Qt program and KDE's ruler where they are there; and notes on those that
    are not."""
    peers, notes = [Peer("Kalibrix", [binary], "Kalibrix", kalibrix_grip)], []
    bare = os.path.join(build_dir, "bench", "bare_qt_window")
    if os.access(bare, os.X_OK):
        peers.append(Peer("bare Qt 6", [bare], BARE_TITLE))
    else:
        notes.append(("bare Qt 6 program", f"not built ({bare} is missing)", ""))
    kruler = shutil.which("kruler")
    if kruler:
        # The whole window is the ruler; a press on its body moves it.
        peers.append(Peer("KDE's ruler", [kruler], None, grip=(300, 35)))
    else:
        notes.append(("KDE's ruler", KRULER_HINT, ""))
    return peers, notes


def cpu_ns(pid):
    """Time the process's threads have spent on a CPU so far, in ns (the scheduler's own count)."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def wake_ups(pid):
    """Voluntary context switches of all the process's threads, and of its main thread: a thread
    that goes to sleep again after each wake-up switches once per wake-up."""
    total = main = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                n = int(re.search(r"^voluntary_ctxt_switches:\s+(\d+)", f.read(), re.M).group(1))
        except (FileNotFoundError, ProcessLookupError):
            continue
        total += n
        if tid == str(pid):
            main = n
    return total, main


class Running:
    """One started peer: the program, its first window and what the start took."""

    def __init__(self, display, peer):
        self.display, self.peer = display, peer
        start = time.monotonic()
        self.program = display.launch(peer.argv[0], peer.argv[1:])
        self.wid = harness.wait_until(self._window, harness.WINDOW_TIMEOUT,
                                      f"the first window of {peer.name}", interval=0.002)
        self.ms = (time.monotonic() - start) * 1000.0
        self.cpu_ms = cpu_ns(self.program.pid) / 1e6

    def _window(self):
        if not self.program.running():
            raise harness.HarnessError(f"{self.peer.name} ended early\n" + self.program.describe())
        ids = self.display.window_ids(self.peer.title, pid=self.program.pid)
        return ids[0] if ids else None

    @property
    def pid(self):
        return self.program.pid

    def stop(self):
        """Closes the first window as its title bar would; a program that does not end on that
        within 10 s is ended."""
        try:
            self.display.close_window(self.wid)
            self.program.wait(10.0)
        except TimeoutError:
            pass
        finally:
            self.program.stop()


def with_peer(display, peer, dpi, action):
    display.set_dpi(dpi)
    run = Running(display, peer)
    try:
        return action(run)
    finally:
        run.stop()


def spread(values, fmt="{:.0f}"):
    q = statistics.quantiles(values, n=4) if len(values) > 1 else values * 3
    return (f"{fmt.format(statistics.median(values))} (quartiles {fmt.format(q[0])}-{fmt.format(q[2])}, "
            f"min {fmt.format(min(values))}, max {fmt.format(max(values))})")


# Start-up ------------------------------------------------------------------------------------


def measure_launches(display, peers, base_dpi, scaled_dpi):
    """Every peer at 100 %, and Kalibrix and the bare program at 200 %, launched in turns; the order
    turns by one each round. Ratios are taken within a round, so that both programs of a ratio saw
    the same state of the machine."""
    variants = [(p, base_dpi) for p in peers] + [(p, scaled_dpi) for p in peers[:2]]
    for peer, dpi in variants:  # warm-up: the first launch on a fresh server is slower
        with_peer(display, peer, dpi, lambda run: None)
    times = {v: [] for v in range(len(variants))}
    cpu = {v: [] for v in range(len(variants))}
    try:
        for r in range(ROUNDS):
            for i in [(r + k) % len(variants) for k in range(len(variants))]:
                peer, dpi = variants[i]
                ms, c = with_peer(display, peer, dpi, lambda run: (run.ms, run.cpu_ms))
                times[i].append(ms)
                cpu[i].append(c)
    finally:
        display.set_dpi(base_dpi)

    def name(i):
        peer, dpi = variants[i]
        return peer.name + (" at 200 %" if dpi != base_dpi else "")

    lines = []
    for i in range(len(variants)):
        lines += [(f"launch -> first window mapped, {name(i)} (median of {ROUNDS})", spread(times[i]), "ms"),
                  (f"processor time to first window mapped, {name(i)} (median)",
                   statistics.median(cpu[i]), "ms")]
    pairs = [(0, j) for j in range(1, len(peers))]
    if len(peers) >= 2:
        pairs.append((len(peers), len(peers) + 1))
    for a, b in pairs:
        ratios = [x / y for x, y in zip(times[a], times[b])]
        lines.append((f"launch ratio {name(a)} / {name(b)}, paired per round", spread(ratios, "{:.2f}"), "x"))
    return lines


# Memory and mapped files ---------------------------------------------------------------------


def smaps(pid):
    """{path: resident kB} of the process's file-backed mappings, and its anonymous resident kB."""
    files, anonymous, path = {}, 0, None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            first = line.split(None, 1)[0]
            if "-" in first and not first.endswith(":"):  # a mapping's header
                parts = line.split(None, 5)
                path = parts[5].strip() if len(parts) > 5 and parts[5].startswith("/") else None
            elif first == "Rss:":
                kb = int(line.split()[1])
                if path:
                    files[path] = files.get(path, 0) + kb
            elif first == "Anonymous:":
                anonymous += int(line.split()[1])
    return files, anonymous


def kind(path):
    if "/plugins/" in path:
        return "plugin"
    if re.search(r"\.so(\.\d+)*$", path):
        return "library"
    if re.search(r"\.(ttf|otf|pfb|pcf(\.gz)?|ttc)$", path, re.I):
        return "font"
    return "other"


def measure_memory(display, peers, base_dpi, scaled_dpi):
    """Resident memory of each peer settled after start at both scales, and (the first run at 100 %)
    its mapped files."""
    rss = {(p.name, dpi): [] for p in peers for dpi in (base_dpi, scaled_dpi)}
    maps = {}

    def read(run):
        time.sleep(SETTLE_SECONDS)
        with open(f"/proc/{run.pid}/status") as f:
            kb = int(re.search(r"^VmRSS:\s+(\d+)", f.read(), re.M).group(1))
        return kb, smaps(run.pid)

    try:
        for _ in range(MEMORY_RUNS):
            for dpi in (base_dpi, scaled_dpi):
                for p in peers:
                    kb, mapped = with_peer(display, p, dpi, read)
                    rss[(p.name, dpi)].append(kb)
                    if dpi == base_dpi:
                        maps.setdefault(p.name, mapped)
    finally:
        display.set_dpi(base_dpi)
    lines = []
    for dpi, what in ((base_dpi, "100 %"), (scaled_dpi, "200 %")):
        for p in peers:
            lines.append((f"resident memory after start at {what}, {p.name} (VmRSS, median of {MEMORY_RUNS})",
                          statistics.median(rss[(p.name, dpi)]) / 1024, "MB"))
        if len(peers) > 1:
            diff = statistics.median(rss[(peers[0].name, dpi)]) - statistics.median(rss[(peers[1].name, dpi)])
            lines.append((f"resident memory at {what}, {peers[0].name} - {peers[1].name}", diff / 1024, "MB"))
    return lines + mapped_files_lines(peers, maps)


_dynamic_cache = {}


def dynamic(path):
    """(its SONAME, the libraries it names as needed) of a shared object or program."""
    if path not in _dynamic_cache:
        try:
            out = subprocess.run(["readelf", "-d", path], capture_output=True, text=True).stdout
        except OSError:
            out = ""
        soname = re.findall(r"\(SONAME\)\s+Library soname: \[(.+?)\]", out)
        _dynamic_cache[path] = (soname[0] if soname else os.path.basename(path),
                                re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", out))
    return _dynamic_cache[path]


def mapped_files_lines(peers, maps):
    lines = []
    for p in peers:
        files, anonymous = maps[p.name]
        totals = {}
        for path, kb in files.items():
            k = kind(path)
            n, s = totals.get(k, (0, 0))
            totals[k] = (n + 1, s + kb)
        summary = ", ".join(f"{what} {totals.get(k, (0, 0))[0]}, {totals.get(k, (0, 0))[1]} kB"
                            for k, what in (("library", "libraries"), ("plugin", "plugins"),
                                            ("font", "font files"), ("other", "other files")))
        lines.append((f"mapped at start, {p.name}", f"{summary}; anonymous {anonymous} kB", ""))
        plugins = sorted(os.path.relpath(path, path.split("/plugins/")[0] + "/plugins")
                         for path in files if kind(path) == "plugin")
        lines.append((f"  plugins, {p.name}", ", ".join(plugins) or "none", ""))
        fonts = sorted(os.path.basename(path) for path in files if kind(path) == "font")
        lines.append((f"  font files, {p.name}", ", ".join(fonts) or "none", ""))
    ours, _ = maps[peers[0].name]
    floor = set(maps[peers[1].name][0]) if len(peers) > 1 else set()
    objects = [path for path in ours if kind(path) in ("library", "plugin")] + [peers[0].argv[0]]
    lines.append((f"libraries, plugins and fonts mapped by {peers[0].name} at start (+: not mapped by "
                  f"{peers[1].name if len(peers) > 1 else 'the floor'}; why)", "", ""))
    for path, kb in sorted(ours.items(), key=lambda item: -item[1]):
        if kind(path) == "other":
            continue
        mark = "+" if floor and path not in floor else " "
        why = ""
        if mark == "+" and kind(path) == "library":
            soname = dynamic(path)[0]
            by = sorted({os.path.basename(o) for o in objects if soname in dynamic(o)[1]})
            why = "needed by " + ", ".join(by) if by else "opened at run time"
        lines.append((f"  {mark} {path}", f"{kb} kB", why))
    if floor:
        extra = sorted(f"{os.path.basename(p)} {kb} kB" for p, kb in ours.items()
                       if kind(p) == "other" and p not in floor)
        lines.append((f"  other files mapped by {peers[0].name} only", ", ".join(extra) or "none", ""))
        only = sorted(os.path.basename(p) for p in floor - set(ours) if kind(p) != "other")
        lines.append((f"mapped by {peers[1].name} but not by {peers[0].name}", ", ".join(only) or "none", ""))
    for label, pattern in (("Qt Network", "libQt6Network"), ("PipeWire", "libpipewire"),
                           ("PCRE2", "libpcre2"), ("libjpeg", "libjpeg")):
        hit = [os.path.basename(path) for path in ours if pattern in path]
        lines.append((f"{label} mapped by {peers[0].name} at start", ", ".join(hit) or "no", ""))
    return lines


# Idle wake-ups -------------------------------------------------------------------------------


def idle_figures(pid, seconds=WAKE_SECONDS):
    """Wake-ups per second (all threads, main thread) and CPU in % of one core over `seconds`."""
    (w0, m0), c0, t0 = wake_ups(pid), cpu_ns(pid), time.monotonic()
    time.sleep(seconds)
    (w1, m1), c1, t1 = wake_ups(pid), cpu_ns(pid), time.monotonic()
    return (w1 - w0) / (t1 - t0), (m1 - m0) / (t1 - t0), (c1 - c0) / 1e9 / (t1 - t0) * 100.0


def idle_lines(name, figures):
    wakes, main, cpu = figures
    return [(f"idle wake-ups, {name} (voluntary context switches over {WAKE_SECONDS:.0f} s; all threads / "
             "main thread)", f"{wakes:.1f} / {main:.1f}", "per s"),
            (f"idle CPU, {name} (one core = 100)", f"{cpu:.2f}", "%")]


def measure_idle(display, peers, base_dpi, show_calipers):
    """Each peer idle after start; Kalibrix also with both calipers shown (show_calipers(run))."""
    lines = []
    for p in peers:
        def idle(run):
            time.sleep(SETTLE_SECONDS)
            display.move_mouse(1000, 700)
            return idle_figures(run.pid)
        lines += idle_lines(p.name, with_peer(display, p, base_dpi, idle))

    def calipers(run):
        time.sleep(SETTLE_SECONDS)
        show_calipers(run)
        display.move_mouse(1000, 700)
        time.sleep(SETTLE_SECONDS)
        return idle_figures(run.pid)
    lines += idle_lines(f"{peers[0].name} with both calipers shown", with_peer(display, peers[0], base_dpi, calipers))
    return lines


# Dragging ------------------------------------------------------------------------------------


def drag_path(x0, y0):
    """Back and forth by up to 40 pixels across and 20 down, 2 pixels per move, DRAG_SECONDS long; it
    ends away from the start, so that the window's final place shows that it followed."""
    path = []
    while len(path) < DRAG_SECONDS / DRAG_STEP_PAUSE:
        path += [(x0 + 2 * i, y0 + i) for i in list(range(1, 21)) + list(range(19, -1, -1))]
    return path[:int(DRAG_SECONDS / DRAG_STEP_PAUSE)] + [(x0 + 20, y0 + 10)]


def drag_cost(display, pid, wid, grip):
    """Drags window `wid` by the point `grip` of it along drag_path; returns the CPU use of the
    program, the X server and the window manager meanwhile (% of one core), the seconds and the
    pointer moves per second."""
    g = display.geometry(wid)
    x0, y0 = g.x + grip[0], g.y + grip[1]
    path = drag_path(x0, y0)
    server, wm = display.xvfb.pid, display.openbox.pid
    display.press(x0, y0)
    try:
        time.sleep(harness.PRESS_BEFORE_MOVE)
        c0 = [cpu_ns(p) for p in (pid, server, wm)]
        t0 = time.monotonic()
        display.move_along(path, DRAG_STEP_PAUSE)
        seconds = time.monotonic() - t0
        c1 = [cpu_ns(p) for p in (pid, server, wm)]
    finally:
        display.release()
    end = (g.x + 20, g.y + 10)
    try:
        harness.wait_value(lambda: display.geometry(wid), lambda b: (b.x, b.y) == end, 10.0,
                           f"the window to end its drag at {end}")
    except TimeoutError as e:
        raise harness.HarnessError(f"the window did not follow the drag: {e}") from None
    cpu = [(b - a) / 1e9 / seconds * 100.0 for a, b in zip(c0, c1)]
    return cpu, seconds, len(path) / seconds


def drag_lines(name, results):
    """Medians of the drags' results (drag_cost), and the spread of their totals."""
    program, server, wm = (statistics.median(r[0][i] for r in results) for i in range(3))
    totals = [sum(r[0]) for r in results]
    seconds, rate = results[0][1], statistics.median(r[2] for r in results)
    return [(f"dragging {name} over {seconds:.0f} s ({rate:.0f} pointer moves/s), median of {len(results)}: "
             "CPU of the program / X server / window manager (one core = 100)",
             f"{program:.1f} / {server:.1f} / {wm:.1f} (total {statistics.median(totals):.1f}; "
             f"{min(totals):.1f} to {max(totals):.1f})", "%")]
