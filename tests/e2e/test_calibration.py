#!/usr/bin/env python3
"""The calibration is never lost: a changed zero point reaches the settings file however the program
ends (a termination signal, the X server going away), closing does not hang on a lock of the
settings file that cannot be taken, a save that fails is shown to the user while the program goes
on, and a second start brings the running control panel to the front instead of opening another."""

import os
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
# Client-area points of the control panel.
CHECK1 = (44, 48)  # horizontal caliper
CHECK4 = (132, 28)  # set square: the calibration view
HSCROLL1_RIGHT = (308, 76)  # the right arrow of the horizontal zero point's scroll bar
HSCROLL1_RECT = (200, 72, 113, 9)
COMMAND3 = (385, 100)  # the narrow button that minimises the panel
BEAM_SIZE = (508, 165)
STORED = {"Label1": "-7200", "Label2": "300"}
CHANGED = {"Label1": "-7199", "Label2": "300"}  # one click on the arrow
STEP_TIMEOUT = 10.0
CLOSE_LIMIT = 3.0  # closing with a lock that cannot be taken
# How each way of ending shows in the exit status: Qt ends a program whose X server went away with 1.
ENDINGS = (("SIGTERM", signal.SIGTERM, 0), ("SIGHUP", signal.SIGHUP, 0), ("SIGINT", signal.SIGINT, 0),
           ("SIGQUIT", signal.SIGQUIT, 128 + signal.SIGQUIT), ("the X server going away", None, 1))
ANOTHER_USER = 65534


class Run:
    """The program started on a display with stored zero points."""

    def __init__(self, display, stored=STORED):
        self.display = display
        display.reset_config()
        self.path = display.settings_path()
        harness.write_settings(self.path, stored)
        self.program = display.launch()
        self.panel = display.wait_window(PANEL_TITLE, program=self.program)
        self.origin = display.geometry(self.panel)

    def click(self, point):
        self.display.click(self.origin.x + point[0], self.origin.y + point[1])

    def change_zero_point(self):
        """One click on the horizontal zero point's arrow, well within the second after which a change
        is written by itself; returns once the program has handled it: a later click, on the caliper
        button, has hidden the beam that the button showed before."""
        d = self.display
        self.click(CHECK1)
        beam = harness.wait_value(self.beam, lambda wid: wid, STEP_TIMEOUT, "the beam to be shown")
        rect = (self.origin.x + HSCROLL1_RECT[0], self.origin.y + HSCROLL1_RECT[1], *HSCROLL1_RECT[2:])
        banner = d.screenshot(*rect).rgb
        self.click(CHECK4)
        d.wait_pixels(lambda im: im.rgb != banner, rect=rect, timeout=STEP_TIMEOUT,
                      what="the calibration view to be shown")
        harness.wait_settled(lambda: d.screenshot(*rect).rgb, STEP_TIMEOUT,
                             "the calibration view to be painted")
        self.click(HSCROLL1_RIGHT)
        self.click(CHECK1)
        harness.wait_until(lambda: not d.is_viewable(beam), STEP_TIMEOUT, "the beam to be hidden")

    def beam(self):
        d = self.display
        return next((w for w in d.window_ids(pid=self.program.pid)
                     if (d.geometry(w).width, d.geometry(w).height) == BEAM_SIZE), None)

    def other_windows(self):
        d = self.display
        return [w for w in d.window_ids(pid=self.program.pid) if w != self.panel and d.window_name(w) == PANEL_TITLE]

    def close(self):
        """Closes the panel; returns the exit code and the seconds until the program ended."""
        start = time.monotonic()
        self.display.close_window(self.panel)
        code = self.program.wait()
        return code, time.monotonic() - start


class Calibration(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def tearDown(self):
        # A case that failed half-way must not leave its program running for the next.
        for program in self.display.programs:
            program.stop()
        self.display.programs.clear()

    def test_a_changed_zero_point_is_kept_however_the_program_ends(self):
        for name, signal_number, exit_code in ENDINGS:
            with self.subTest(name):
                # The X server's end is the display's end: that row has a display of its own.
                display = self.display if signal_number else harness.Display(wm=True).start()
                try:
                    run = Run(display)
                    run.change_zero_point()
                    if signal_number:
                        os.kill(run.program.pid, signal_number)
                    else:
                        display.xvfb.kill()
                    self.assertEqual(run.program.wait(), exit_code, run.program.describe())
                    self.assertEqual(harness.read_settings(run.path), CHANGED)
                finally:
                    if display is not self.display:
                        display.close()

    def test_closing_does_not_wait_for_a_lock_that_cannot_be_taken(self):
        def folder(lock):
            os.mkdir(lock)

        def unreadable(lock):
            with open(lock, "w") as f:
                f.write("held by someone else")
            os.chmod(lock, 0)
            if os.getuid() == 0:
                os.chown(lock, ANOTHER_USER, ANOTHER_USER)

        for make_lock in (folder, unreadable):
            with self.subTest(make_lock.__name__):
                run = Run(self.display)
                make_lock(run.path + ".lock")
                code, seconds = run.close()
                self.assertEqual(code, 0, run.program.describe())
                self.assertLess(seconds, CLOSE_LIMIT, "closing waited for the lock")
                self.assertIn(".lock", run.program.stderr_text())
                self.assertEqual(harness.read_settings(run.path), STORED)

    def test_a_save_that_fails_is_shown_once_and_the_program_goes_on(self):
        run = Run(self.display)
        os.chmod(run.path, 0o444)
        run.change_zero_point()
        message = harness.wait_value(run.other_windows, lambda ids: ids, STEP_TIMEOUT,
                                     "a message window about the save")
        self.assertEqual(len(message), 1)
        self.assertTrue(run.program.running() and self.display.is_viewable(run.panel))
        self.display.close_window(message[0])
        self.display.wait_window_gone(message[0])
        code, _ = run.close()
        self.assertEqual(code, 0, run.program.describe())
        self.assertEqual(harness.read_settings(run.path), STORED)

    def test_a_second_start_brings_the_running_panel_to_the_front(self):
        d = self.display
        first = Run(d)
        first.click(COMMAND3)
        harness.wait_until(lambda: not d.is_viewable(first.panel), STEP_TIMEOUT,
                           "the panel to be minimised")
        second = d.launch()
        self.assertEqual(second.wait(), 0, second.describe())
        harness.wait_until(lambda: d.is_viewable(first.panel), STEP_TIMEOUT,
                           "the running panel to be restored")
        harness.wait_value(d.active_window, lambda w: w == first.panel, STEP_TIMEOUT,
                           "the running panel to be the active window")
        self.assertEqual(d.window_ids("^" + PANEL_TITLE + "$"), [first.panel])

        # A program that crashed does not stop the next start.
        first.program.proc.kill()
        first.program.wait()
        third = Run(d)
        self.assertEqual(third.close()[0], 0, third.program.describe())


if __name__ == "__main__":
    harness.run_tests()
