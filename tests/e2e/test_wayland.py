#!/usr/bin/env python3
"""Kalibrix on Wayland desktops: headless KWin and Mutter with XWayland, with Qt's Wayland plugin
installed and QT_QPA_PLATFORM unset. The program must come up on XWayland by itself; the caliper
appears with its slider on the beam, keeps it there through a drag and is kept on top; without a
screen-cast portal the magnifier switches itself off and says why. Through a stand-in for the
portal that serves a real PipeWire test stream, the magnifier shows the stream enlarged three times
around the stream's pointer, keeps the desktop's permission for the next time, and says so when the
user refuses or the stream ends. (The real portals' permission dialogs cannot be answered headless.)

Pixels are read from the control panel's own window: XWayland gives no root window pixels."""

import configparser
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_caliper  # noqa: E402
import test_magnifier  # noqa: E402
import waylandsession  # noqa: E402

PANEL_TITLE = "Kalibrix"
MAGNIFIER_BUTTON = test_magnifier.MAGNIFIER_BUTTON
VIEW = test_magnifier.VIEW
NOTICE_BACKGROUND = (0xFF, 0xFF, 0xE1)
DRAG_STEPS = 10
STREAM_POINTER = (1000, 600)  # where the stream's cursor data puts the pointer
REAL_POINTER = (700, 650)  # where the pointer really is meanwhile, over no window
STREAM_END_MS = 3000


class ProgramOnDesktop(unittest.TestCase):
    """Starts the program on cls.desktop for each case and closes it again."""

    desktop = None
    # Borrowed from the X11 caliper test: finding, placing and dragging the caliper's windows.
    mapped_window = test_caliper.Calipers.mapped_window
    place = test_caliper.Calipers.place
    wait_place = test_caliper.Calipers.wait_place
    drag_beam = test_caliper.Calipers.drag_beam

    def launch(self):
        self.display = self.desktop
        self.program = self.desktop.launch()
        self.panel = self.desktop.wait_window(PANEL_TITLE, program=self.program)
        # The compositor may still move the new window and hand it the focus: a click meanwhile
        # would land elsewhere or be lost.
        self.origin = harness.wait_settled(lambda: self.desktop.geometry(self.panel),
                                           harness.WINDOW_TIMEOUT, "the panel to be placed",
                                           polls=5, interval=0.1)
        harness.wait_settled(self.desktop.active_window, harness.WINDOW_TIMEOUT,
                             "the focus to settle")

    def close_program(self):
        self.desktop.close_window(self.panel)
        self.assertEqual(self.program.wait(), 0, self.program.describe())

    def click_panel(self, point):
        self.desktop.click(self.origin.x + point[0], self.origin.y + point[1])

    def panel_image(self, rect):
        return self.desktop.window_image(self.panel, *rect)

    def wait_notice(self):
        """Waits for the view to show a notice that stays: the magnifier has switched itself off
        (a running one would clear the view at its next refresh)."""
        def shown():
            return self.panel_image(VIEW).count(NOTICE_BACKGROUND) > VIEW[2] * VIEW[3] // 2

        harness.wait_until(shown, harness.WINDOW_TIMEOUT, "a notice in the view")
        self.assertTrue(harness.wait_settled(shown, 5.0, "the notice to stay", polls=10))

    def wait_view(self, expected, what):
        last = []

        def shows():
            last[:] = [self.panel_image(VIEW)]
            return last[0].rgb == expected.rgb

        try:
            harness.wait_until(shows, harness.WINDOW_TIMEOUT, what)
        except TimeoutError as e:
            self.fail(f"{e}: {test_magnifier.differences(last[0], expected)}\n"
                      + self.program.describe())


class Compositor:
    """The cases run on each compositor (a mixin: KWin and Mutter below are the test classes)."""
    compositor = None

    @classmethod
    def setUpClass(cls):
        missing = waylandsession.missing_tools(cls.compositor)
        if missing:
            raise unittest.SkipTest("missing: " + ", ".join(missing))
        cls.desktop = waylandsession.WaylandDesktop(cls.compositor).start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def test_caliper_works_through_xwayland_and_the_magnifier_says_there_is_no_portal(self):
        self.launch()  # an X window at all: the program chose XWayland over Qt's Wayland plugin
        d, caliper = self.desktop, test_caliper.HORIZONTAL
        self.click_panel(caliper.panel_button)
        beam = self.mapped_window(caliper.beam_size, "beam")
        slider = self.mapped_window(caliper.slider_size, "slider")
        (bx, by) = self.place(beam)
        self.wait_place(slider, (bx + caliper.zero_offset[0], by + caliper.zero_offset[1]),
                        "the slider on its beam's zero point")
        for wid in (beam, slider):
            self.assertIn("_NET_WM_STATE_ABOVE", d.wm_state(wid))
        test_caliper.DRAG_STEPS, saved = DRAG_STEPS, test_caliper.DRAG_STEPS
        try:
            self.drag_beam(caliper, beam, slider)
        finally:
            test_caliper.DRAG_STEPS = saved

        d.move_mouse(*REAL_POINTER)
        self.click_panel(MAGNIFIER_BUTTON)
        self.wait_notice()
        self.close_program()


class KWin(Compositor, ProgramOnDesktop):
    compositor = "kwin"


class Mutter(Compositor, ProgramOnDesktop):
    compositor = "mutter"


def read_token(desktop):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(desktop.settings_path(), encoding="utf-8")
    return parser.get("ScreenCast", "RestoreToken", fallback=None)


def calls(log):
    with open(log, encoding="utf-8") as f:
        return f.read().splitlines()


class ScreenCastPortal(ProgramOnDesktop):
    @classmethod
    def setUpClass(cls):
        missing = waylandsession.missing_tools("kwin", portal=True)
        if missing:
            raise unittest.SkipTest("missing: " + ", ".join(missing))
        cls.desktop = waylandsession.WaylandDesktop("kwin").start()
        cls.desktop.start_pipewire()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def setUp(self):
        self.desktop.reset_config()

    def tearDown(self):
        self.desktop.stop_service("portal")

    def expected(self):
        return test_magnifier.expected_view(self.desktop, STREAM_POINTER)

    def test_view_shows_the_stream_around_its_pointer_and_the_permission_is_kept(self):
        log = self.desktop.start_fake_portal("--cursor", "%d,%d" % STREAM_POINTER)
        self.launch()
        self.desktop.move_mouse(*REAL_POINTER)
        for run in range(2):
            self.click_panel(MAGNIFIER_BUTTON)
            self.wait_view(self.expected(), f"the stream around its pointer (switched on {run + 1}x)")
            self.click_panel(MAGNIFIER_BUTTON)  # off: the session ends
            harness.wait_until(lambda: calls(log)[-1] == "Close", harness.WINDOW_TIMEOUT,
                               "the portal session to be closed")
        selects = [c for c in calls(log) if c.startswith("SelectSources")]
        self.assertIn("cursor_mode=4", selects[0].split())
        self.assertIn("persist_mode=2", selects[0].split())
        self.assertNotIn("restore_token", selects[0])
        self.assertIn("restore_token=token1", selects[1].split())
        self.close_program()
        self.assertEqual(read_token(self.desktop), "token2")

    def test_refused_and_ended_sharing_switch_the_magnifier_off_with_a_notice(self):
        for args in (["--refuse"], ["--end-after", STREAM_END_MS]):
            with self.subTest(portal=args):
                self.desktop.start_fake_portal("--cursor", "%d,%d" % STREAM_POINTER, *args)
                try:
                    self.launch()
                    self.click_panel(MAGNIFIER_BUTTON)
                    if "--end-after" in args:
                        self.wait_view(self.expected(), "the stream before it ends")
                    self.wait_notice()
                    self.close_program()
                finally:
                    self.desktop.stop_service("portal")


def main():
    harness.skip_without_xvfb = lambda: None  # no Xvfb needed here
    if all(waylandsession.missing_tools(c) for c in waylandsession.COMPOSITORS):
        print("SKIPPED: neither KWin nor Mutter with XWayland is installed (scripts/deps installs "
              "them).", flush=True)
        sys.exit(harness.SKIP_RETURN_CODE)
    harness.run_tests()


if __name__ == "__main__":
    main()
