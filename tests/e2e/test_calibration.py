"""The calibration is never lost: a changed zero point reaches the settings file however the program
ends (a termination signal, the X server going away), closing does not hang on a lock of the
settings file that cannot be taken, a save that fails is shown to the user while the program goes
on, a second start brings the running control panel to the front instead of opening another, and
nothing done from outside (a full disk, an editor, another local user, a display that never answers)
loses the calibration or stops the program."""

import concurrent.futures
import contextlib
import os
import signal
import socket
import stat
import subprocess
import sys
import threading
import time

import pytest

import harness

STORED = {"Label1": "-7200", "Label2": "300"}
CHANGED = {"Label1": "-7199", "Label2": "300"}  # one click on the arrow
CLOSE_LIMIT = 3.0  # closing with a lock that cannot be taken
ANOTHER_USER = 65534


def started(display, start):
    harness.write_settings(display.settings_path(), STORED)
    return start()


def change_zero_point(run):
    """One click on the horizontal zero point's arrow, well within the second after which a change
    is written by itself; returns once the program has handled it: a later click, on the caliper
    button, has hidden the beam that the button showed before."""
    d = run.display
    run.click_panel(harness.CHECK1)
    beam = run.window_of_size(harness.HORIZONTAL.beam_size, "beam")
    run.settle_focus()  # the beam hands the focus to its slider: a click meanwhile would be lost
    rect = run.panel_rect(harness.HSCROLL1_RECT)
    banner = d.screenshot(*rect).tobytes()
    run.click_panel(harness.CHECK4)
    d.wait_pixels(lambda im: im.tobytes() != banner, rect, what="the calibration view to be shown")
    harness.wait_settled(lambda: d.screenshot(*rect).tobytes(), harness.STEP_TIMEOUT,
                         "the calibration view to be painted")
    run.click_panel(harness.HSCROLL1_RIGHT)
    run.click_panel(harness.CHECK1)
    d.wait_window_gone(beam)


# How each way of ending shows in the exit status: Qt ends a program whose X server went away with 1.
@pytest.mark.parametrize("ending, exit_code", [
    (signal.SIGTERM, 0), (signal.SIGHUP, 0), (signal.SIGINT, 0),
    (signal.SIGQUIT, 128 + signal.SIGQUIT), (None, 1)],
    ids=["SIGTERM", "SIGHUP", "SIGINT", "SIGQUIT", "the X server going away"])
def test_a_changed_zero_point_is_kept_however_the_program_ends(display, start, ending, exit_code):
    # The X server's end is the display's end: that row has a display of its own.
    with contextlib.nullcontext(display) if ending else harness.Display() as d:
        run = started(d, start if ending else lambda: harness.Kalibrix(d, d.launch()))
        change_zero_point(run)
        if ending:
            os.kill(run.program.pid, ending)
        else:
            d.xvfb.kill()
        assert run.program.wait() == exit_code, run.program.describe()
        assert harness.read_settings(d.settings_path()) == CHANGED


def folder(lock):
    os.mkdir(lock)


def unreadable(lock):
    with open(lock, "w") as f:
        f.write("held by someone else")
    os.chmod(lock, 0)
    if os.getuid() == 0:
        os.chown(lock, ANOTHER_USER, ANOTHER_USER)


@pytest.mark.parametrize("make_lock", [folder, unreadable], ids=lambda f: f.__name__)
def test_closing_does_not_wait_for_a_lock_that_cannot_be_taken(display, start, make_lock):
    run = started(display, start)
    make_lock(display.settings_path() + ".lock")
    change_zero_point(run)  # something for the close to write
    began = time.monotonic()
    run.close()
    assert time.monotonic() - began < CLOSE_LIMIT, "closing waited for the lock"
    assert ".lock" in run.program.stderr_text()
    assert harness.read_settings(display.settings_path()) == STORED


def test_a_save_that_fails_is_shown_once_and_the_program_goes_on(display, start):
    run = started(display, start)
    os.chmod(display.settings_path(), 0o444)
    change_zero_point(run)

    message = run.wait_message("about the save")
    assert run.program.running() and display.is_viewable(run.panel)
    display.close_window(message)
    display.wait_window_gone(message)
    run.close()
    assert harness.read_settings(display.settings_path()) == STORED


def test_a_second_start_brings_the_running_panel_to_the_front(display, start):
    first = started(display, start)
    first.click_panel(harness.COMMAND3)
    display.wait_window_gone(first.panel)
    second = display.launch()
    assert second.wait() == 0, second.describe()
    harness.wait_until(lambda: display.is_viewable(first.panel), harness.STEP_TIMEOUT,
                       "the running panel to be restored")
    harness.wait_value(display.active_window, lambda w: w == first.panel, harness.STEP_TIMEOUT,
                       "the running panel to be the active window")
    assert display.window_ids(harness.PANEL_TITLE) == [first.panel]

    # A program that crashed does not stop the next start.
    first.program.proc.kill()
    first.program.wait()
    start().close()


# --------------------------------------------------------------------------------------------
# What others can do to the program from outside: fill the disk, edit or replace its file, knock at
# its one-instance channel, give it a display that never answers. Each row stages one of these and
# checks that the calibration is neither lost nor cut and that the program neither ends nor hangs
# (or, where it cannot start, says so in one line). Where a file holds a line that QSettings reads
# otherwise than configparser, the file is compared byte for byte.


def may(capability):
    """Whether this process has the capability (its number in linux/capability.h)."""
    with open("/proc/self/status") as f:
        effective = next(line for line in f if line.startswith("CapEff:")).split()[1]
    return bool(int(effective, 16) >> capability & 1)


CAP_SYS_ADMIN = 21
MOUNTS = pytest.mark.skipif(not may(CAP_SYS_ADMIN), reason="mounts a small tmpfs, which needs root "
                            "(CI runs as root)")
AS_ROOT = pytest.mark.skipif(os.geteuid() != 0, reason="acts as another user, which needs root (CI "
                             "runs as root)")
PAGE = 4096
# Free pages enough to save a 10 KB file: three for its new text, one for the lock file.
ROOM = 8
CONNECTIONS = 1100  # more than the program could hold open before it ran out of descriptors
SAVES = 4
START_LIMIT = 3.0  # the panel up and painted, with a settings file that never gives an answer
FAIL_LIMIT = 10.0  # an exit after one line, where the display or the window platform cannot be used
PANEL_GREY = (0xE0, 0xE0, 0xE0)
# A point of the panel that only its own background covers, below the message that comes with it.
PANEL_BACKGROUND = (3, 190)

# Another user at the program's channel (run as that user): connects COUNT times, asking on each
# connection for the panel to come to the front, and says how far it came; then waits for each
# connection to be let go of, says how many were, and holds them all until its input ends.
OTHER_USER = r"""
import errno, os, resource, socket, sys, time
path, count, deadline = sys.argv[1], int(sys.argv[2]), time.monotonic() + float(sys.argv[3])
resource.setrlimit(resource.RLIMIT_NOFILE, (resource.getrlimit(resource.RLIMIT_NOFILE)[1],) * 2)
held = []
try:
    for _ in range(count):
        c = socket.socket(socket.AF_UNIX)
        c.setblocking(False)
        while (error := c.connect_ex(path)) == errno.EAGAIN and time.monotonic() < deadline:
            time.sleep(0.005)  # the queue of new connections is full for the moment
        if error:
            raise OSError(error, os.strerror(error))
        held.append(c)
        try:
            c.sendall(b"front\n")
        except OSError:  # already let go of
            pass
except OSError as e:
    print(f"connected {len(held)}, then {e.strerror or repr(e)}", flush=True)
    sys.exit()
let_go = 0
for c in held:
    c.settimeout(max(0.001, deadline - time.monotonic()))
    try:
        let_go += c.recv(16) == b""
    except TimeoutError:
        pass
    except OSError:  # reset: closed with the request unread
        let_go += 1
print(f"connected {len(held)}, let go {let_go}", flush=True)
sys.stdin.read()
"""


def user_file(size):
    """A settings file as a user may keep it, of `size` bytes: a comment, the zero points, notes."""
    text = b"; calibrated on the office monitor\n[Settings]\nLabel1=-7200\nLabel2=300\n"
    note = b"; a note of the user's, kept as it stands\n"
    text += note * ((size - len(text)) // len(note))
    return text + b";" * (size - len(text) - 1) + b"\n"


def one_click_later(text):
    """The text with the horizontal zero point one click further, as the program writes it."""
    assert text.count(b"Label1=-7200\n") == 1
    return text.replace(b"Label1=-7200\n", b"Label1=-7199\n")


def put_file(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text)


def file_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def rewrite_in_place(path, text, at=0):
    """Cuts the file short at `at` and writes the rest of the text from there: with at=0, as an
    editor saving in place does."""
    with open(path, "r+b") as f:
        f.truncate(at)
        f.seek(at)
        f.write(text[at:])


@contextlib.contextmanager
def small_tmpfs(folder):
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=128k,mode=0700", "kalibrix-e2e", folder],
                   check=True)
    try:
        yield
    finally:
        subprocess.run(["umount", "--lazy", folder], check=True)


def fill_up(folder, free_pages):
    """Fills the file system of `folder` until `free_pages` pages are left."""
    before = os.statvfs(folder)
    assert before.f_frsize == PAGE
    put_file(os.path.join(folder, "filler"), bytes(PAGE * (before.f_bavail - free_pages)))
    assert os.statvfs(folder).f_bavail == free_pages


def ends_with_one_line(program, line):
    """The program gives up at once: exit code 2, within FAIL_LIMIT, after one line on stderr."""
    assert program.wait(FAIL_LIMIT) == 2, program.describe()
    text = program.stderr_text()
    assert text.count("\n") == 1 and line in text, program.describe()


def near_full_disk(free_pages):
    """The settings folder on a tmpfs with `free_pages` pages left, and a change to save: the file
    holds its old text or the complete new one, never part of it, and nothing else is left in its
    folder; where the save fails, one message says so and the program goes on."""
    def row(display, start):
        path, folder = display.settings_path(), display.env["XDG_CONFIG_HOME"]
        before = user_file(10 * 1024)
        with small_tmpfs(folder):
            put_file(path, before)
            fill_up(folder, free_pages)
            run = start()
            change_zero_point(run)
            if free_pages >= ROOM:
                after = harness.wait_value(lambda: file_bytes(path), lambda text: text != before,
                                           harness.STEP_TIMEOUT, "the change to be saved")
                assert after == one_click_later(before) and not run.messages()
            else:
                message = run.wait_message("about the save")
                assert file_bytes(path) == before
                display.close_window(message)
                display.wait_window_gone(message)
            run.close()
            assert file_bytes(path) == (one_click_later(before) if free_pages >= ROOM else before)
            assert os.listdir(os.path.dirname(path)) == [os.path.basename(path)]
    return row


def another_user(display, start):
    """Another local user at the program's channel, with the panel minimised: the channel's folder
    keeps them out; one who gets past it (a helper with root's powers and the other user's id) holds
    many connections, each asking for the panel: the program lets go of each at once and ignores it,
    stays alive and saves a change, and a second start of its own user still brings the panel to
    the front."""
    run = started(display, start)
    place = run.origin
    run.click_panel(harness.COMMAND3)
    display.wait_window_gone(run.panel)
    channel, = [e.path for e in os.scandir(display.env["XDG_RUNTIME_DIR"])
                if stat.S_ISSOCK(e.stat().st_mode)]

    def other_user(count, *powers):
        return [f"--reuid={ANOTHER_USER}", f"--regid={ANOTHER_USER}", "--clear-groups", *powers,
                sys.executable, "-c", OTHER_USER, channel, str(count), str(harness.STEP_TIMEOUT)]

    kept_out = subprocess.run(["setpriv", *other_user(1)], cwd="/", capture_output=True, text=True,
                              timeout=harness.EXIT_TIMEOUT)
    assert kept_out.stdout == "connected 0, then Permission denied\n", kept_out
    past_the_folder = other_user(CONNECTIONS, "--inh-caps=+dac_override",
                                 "--ambient-caps=+dac_override")
    with subprocess.Popen(["setpriv", *past_the_folder], cwd="/", stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, text=True) as other:
        try:
            assert other.stdout.readline() == f"connected {CONNECTIONS}, let go {CONNECTIONS}\n"
            # Whatever the requests made the program do has reached the window manager.
            display.ping(run.panel)
            display.sync_window_manager()
            assert run.program.running(), run.program.describe()
            assert not display.is_viewable(run.panel), "another user brought the panel to the front"

            second = display.launch()
            assert second.wait() == 0, second.describe()
            harness.wait_value(display.active_window, lambda w: w == run.panel,
                               harness.STEP_TIMEOUT, "the panel to be restored and active")
            harness.wait_value(lambda: run.origin, lambda g: g == place, harness.STEP_TIMEOUT,
                               "the panel back in its place")
            change_zero_point(run)
            run.close()
        finally:
            other.stdin.close()
    assert harness.read_settings(display.settings_path()) == CHANGED


def unmatched_quote(display, start):
    """A quote left open in another section, which QSettings reads on to the end of the file, so
    that the [Settings] lines after it are not read (the program starts from its default zero
    points): a change is written where it is read, the next start reads it back and changes it in
    place, and the file does not grow from run to run."""
    path = display.settings_path()
    before = b'[ScreenCast]\nRestoreToken="abc-123\n[Settings]\nLabel1=-7100\nLabel2=300\n'
    put_file(path, before)
    runs = []
    for _ in range(2):
        run = start()
        change_zero_point(run)
        run.close()
        runs.append(file_bytes(path))
    first, second = runs
    # The default zero point, one click on, and every line as it was.
    assert first.count(b"Label1=-7199\n") == 1 and before in first, first
    assert second == first.replace(b"Label1=-7199\n", b"Label1=-7198\n"), second


def rewritten_in_place(display, start):
    """Another program rewriting the 1 MB settings file in place over and over (cutting it short and
    writing it anew, as `cat >` does) while the program reads and saves it several times: the
    program neither crashes nor hangs."""
    path = display.settings_path()
    text = user_file(1000 * 1000)
    put_file(path, text)
    run = start()
    done = threading.Event()

    # The whole file now and then, its end many times in between: a program reading the file
    # through a map would find the end gone under it.
    def rewrite():
        while not done.is_set():
            for at in [0] + [len(text) - 16 * PAGE] * 20:
                rewrite_in_place(path, text, at)

    def file_in_place():  # each save puts a new file in the old one's place
        assert run.program.running(), run.program.describe()
        return os.stat(path).st_ino

    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        rewriter = pool.submit(rewrite)
        try:
            replaced = file_in_place()
            change_zero_point(run)
            for save in range(SAVES):
                if save:
                    run.click_panel(harness.HSCROLL1_RIGHT)
                replaced = harness.wait_value(file_in_place, lambda i: i != replaced,
                                              harness.STEP_TIMEOUT, f"save {save + 1}")
            run.close()
        finally:
            done.set()
        rewriter.result()  # the rewriter's own failure, if any


def edited_while_running(display, start):
    """Label2 edited by hand while the program runs, then Label1 changed by the program, which is
    closed within the second: the file keeps the edit and every line as the user left it."""
    path = display.settings_path()
    harness.write_settings(path, STORED)
    run = start()
    edited = b"[Settings]\nLabel1=-7200\n; set by hand\nLabel2=600\n"
    rewrite_in_place(path, edited)
    change_zero_point(run)
    run.close()
    assert file_bytes(path) == one_click_later(edited)


def fifo_as_the_file(display, start):
    """A FIFO in the settings file's place that no one writes to: the panel is up and painted within
    START_LIMIT, one message says that the calibration cannot be read, the close ends the program
    normally, and the FIFO stays a FIFO."""
    path = display.settings_path()
    os.makedirs(os.path.dirname(path))
    os.mkfifo(path)
    began = time.monotonic()
    run = start(timeout=START_LIMIT)
    display.wait_pixels(lambda im: im.getpixel(PANEL_BACKGROUND) == PANEL_GREY, tuple(run.origin),
                        max(0.0, began + START_LIMIT - time.monotonic()), "the panel to be painted")
    message = run.wait_message("about the settings file")
    display.close_window(message)
    display.wait_window_gone(message)
    run.close()
    assert stat.S_ISFIFO(os.stat(path).st_mode)


def silent_display(display, start):
    """DISPLAY names an X server that takes the connection and never answers: one line naming it,
    and exit code 2."""
    with socket.socket(socket.AF_UNIX) as server:
        for number in range(64000, 65000):  # libxcb tries the abstract socket first
            with contextlib.suppress(OSError):
                server.bind(f"\0/tmp/.X11-unix/X{number}")
                break
        server.listen()
        ends_with_one_line(display.launch(env={"DISPLAY": f":{number}"}), "does not answer")


def platform_that_cannot_start(display, start):
    """QT_QPA_PLATFORM names a window platform there is none of: one line naming it, and exit code
    2."""
    ends_with_one_line(display.launch(env={"QT_QPA_PLATFORM": "nonesuch"}),
                       'Kalibrix cannot start the window platform "nonesuch"')


@pytest.mark.parametrize("done_from_outside", [
    *(pytest.param(near_full_disk(free), id=f"disk with {free} free page{'s' * (free > 1)}",
                   marks=MOUNTS) for free in (1, 2, 3, ROOM)),
    pytest.param(another_user, marks=AS_ROOT),
    unmatched_quote, rewritten_in_place, edited_while_running, fifo_as_the_file, silent_display,
    platform_that_cannot_start], ids=lambda row: row.__name__.replace("_", " "))
def test_nothing_done_from_outside_loses_the_calibration_or_stops_the_program(display, start,
                                                                              done_from_outside):
    done_from_outside(display, start)
