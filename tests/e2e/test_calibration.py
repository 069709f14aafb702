"""The calibration is never lost: a changed zero point reaches the settings file however the program
ends (a termination signal, the X server going away), closing does not hang on a lock of the
settings file that cannot be taken, a save that fails is shown to the user while the program goes
on, and a second start brings the running control panel to the front instead of opening another."""

import contextlib
import os
import signal
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
