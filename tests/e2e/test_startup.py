#!/usr/bin/env python3
"""Start-up and shutdown of the whole program: the control panel appears, closing it ends the
program cleanly, the two zero points survive from one run to the next, and the command line
answers without a display."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
PANEL_CLIENT_SIZE = (395, 197)
PANEL_GREY = (0xE0, 0xE0, 0xE0)
# Client-area points that only the window's own background covers: the margin left of the
# left frame and the gap between the left frame and the banner.
BACKGROUND_POINTS = ((3, 100), (188, 100))
DEFAULTS = {"Label1": "-7200", "Label2": "414"}
RANGES = {"Label1": (-7400, -7000), "Label2": (214, 614)}


class PanelRun:
    """Helpers shared by the cases that start the program on a display."""

    display = None

    def start_panel(self):
        program = self.display.launch()
        wid = self.display.wait_window(PANEL_TITLE, program=program)
        return program, wid

    def close_and_wait(self, program, wid):
        self.display.close_window(wid)
        code = program.wait()
        self.assertEqual(code, 0, "closing the control panel must end the program with exit "
                         "code 0\n" + program.describe())
        return code

    def run_and_close(self, stored=None):
        """One whole run: optional stored settings, start, wait for the panel, close it.
        Returns the settings the program left behind."""
        path = self.display.settings_path()
        if stored is not None:
            harness.write_settings(path, stored)
        program, wid = self.start_panel()
        self.close_and_wait(program, wid)
        return harness.read_settings(path)


class StartupUnderWindowManager(PanelRun, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def setUp(self):
        self.display.reset_config()

    def test_panel_is_the_only_window_shown_with_its_client_size_and_background(self):
        program, wid = self.start_panel()
        d = self.display
        g = d.geometry(wid)
        self.assertEqual((g.width, g.height), PANEL_CLIENT_SIZE)
        self.assertTrue(0 <= g.x and g.x + g.width <= d.x.width
                        and 0 <= g.y and g.y + g.height <= d.x.height,
                        f"the panel lies (partly) off the screen: {g}")
        # The caliper and folding-rule windows are loaded hidden: nothing else of the
        # program is on screen.
        self.assertEqual(d.window_ids(pid=program.pid), [wid])
        d.wait_pixels(lambda im: all(im.pixel(x, y) == PANEL_GREY for x, y in BACKGROUND_POINTS),
                      rect=(g.x, g.y, g.width, g.height),
                      what="the panel's light grey background to be painted")
        self.close_and_wait(program, wid)
        d.wait_window_gone(wid)

    def test_first_close_on_empty_store_saves_both_defaults(self):
        self.assertFalse(os.path.exists(self.display.settings_path()))
        self.assertEqual(self.run_and_close(), DEFAULTS)

    def test_stored_zero_points_are_restored_and_written_back(self):
        # Inside the range, and one at the end of its range.
        stored = {"Label1": "-7100", "Label2": "614"}
        self.assertEqual(self.run_and_close(stored), stored)
        # And once more from what the first run left behind.
        self.assertEqual(self.run_and_close(), stored)

    def test_damaged_stored_value_is_replaced_by_its_default(self):
        saved = self.run_and_close({"Label1": "garbage", "Label2": "300"})
        self.assertEqual(saved, {"Label1": "-7200", "Label2": "300"})

    def test_out_of_range_stored_values_are_never_written_back(self):
        saved = self.run_and_close({"Label1": "-9000", "Label2": "99999"})
        for key, (low, high) in RANGES.items():
            self.assertRegex(saved.get(key, ""), r"^-?\d+$", f"{key} is not an integer")
            self.assertTrue(low <= int(saved[key]) <= high,
                            f"{key}={saved[key]} written outside {low}..{high}")


class StartupWithoutWindowManager(PanelRun, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=False).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def test_panel_maps_and_closes_without_a_window_manager(self):
        self.display.reset_config()
        program, wid = self.start_panel()
        g = self.display.geometry(wid)
        self.assertEqual((g.width, g.height), PANEL_CLIENT_SIZE)
        self.close_and_wait(program, wid)
        self.assertEqual(harness.read_settings(self.display.settings_path()), DEFAULTS)


class StartupWithoutDisplay(unittest.TestCase):
    # Each way of having no display that can be opened, with what the one-line message must name.
    # ":65000" is a display no X server serves; the Wayland socket does not exist either.
    CASES = {
        "nothing set": ({}, "display"),
        "a dead DISPLAY": ({"DISPLAY": ":65000"}, ":65000"),
        "a Wayland socket without XWayland": ({"WAYLAND_DISPLAY": "wayland-kalibrix-none"},
                                              "XWayland"),
        "a Wayland session whose XWayland is gone": ({"WAYLAND_DISPLAY": "wayland-kalibrix-none",
                                                      "XDG_SESSION_TYPE": "wayland",
                                                      "DISPLAY": ":65000"}, "XWayland"),
        "a dead DISPLAY, said in German": ({"DISPLAY": ":65000", "LANGUAGE": "de"},
                                           "kann die X-Anzeige"),
    }

    def run_without_display(self, tmp, *args, locale="C.UTF-8", variables=None):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE")}
        env.update(HOME=tmp, XDG_CONFIG_HOME=os.path.join(tmp, "config"), XDG_RUNTIME_DIR=tmp,
                   LC_ALL=locale, **(variables or {}))
        try:
            return subprocess.run([harness.program_path(), *args], env=env,
                                  stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                  timeout=harness.EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail(f"without a display the program did not end ({args})")

    def test_reports_the_missing_display_in_one_line_and_exits_2(self):
        for case, (variables, named) in self.CASES.items():
            with self.subTest(case), tempfile.TemporaryDirectory(prefix="kalibrix-e2e-") as tmp:
                result = self.run_without_display(tmp, variables=variables)
                self.assertEqual(result.returncode, 2, f"stderr: {result.stderr!r}")
                self.assertEqual(result.stderr.count("\n"), 1, f"one line: {result.stderr!r}")
                self.assertIn(named, result.stderr)
                self.assertFalse(os.path.exists(os.path.join(tmp, "config", "Kalibrix")),
                                 "a run that never started must not write settings")

    def test_command_line_answers_without_a_display(self):
        with tempfile.TemporaryDirectory(prefix="kalibrix-e2e-") as tmp:
            version = self.run_without_display(tmp, "--version")
            self.assertEqual((version.returncode, version.stdout), (0, "Kalibrix 0.1.0\n"))
            usage = self.run_without_display(tmp, "--help", locale="de_DE.UTF-8")
            self.assertEqual(usage.returncode, 0, usage.stderr)
            self.assertIn("--version", usage.stdout)
            self.assertIn("Messschieber", usage.stdout)  # the German description
            wrong = self.run_without_display(tmp, "--frobnicate")
            self.assertEqual(wrong.returncode, 2)
            self.assertEqual(wrong.stderr.count("\n"), 1, wrong.stderr)


if __name__ == "__main__":
    harness.run_tests()
