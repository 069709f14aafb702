#!/usr/bin/env python3
"""True size on a real X server: started with `-dpi 120`, the server's screen is 120 pixels to the
inch, so with "True size" on the jaws 120 pixels apart read one real inch, "2.54 cm"; with it off the
same gap reads the desktop's logical "3.17 cm". The switch is the settings file's Display/TrueSize;
the jaws are keyed apart on the focused slider and their gap is checked on the windows' places."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
CHECK1 = (44, 48)  # the horizontal caliper's button on the panel
BEAM_SIZE = (508, 165)
SLIDER_SIZE = (100, 165)
GRIP = (300, 12)  # beam-relative point of the bar, clear of the slider
ZERO_OFFSET = 28  # the slider's left edge from the beam's at the zero point
GAP = 120  # pixels: one inch at 120 dpi
STEP_TIMEOUT = 10.0


class TrueSize(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True, xvfb_args=("-dpi", "120")).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def tearDown(self):
        for program in self.display.programs:
            program.stop()
        self.display.programs.clear()

    def mapped(self, program, size):
        d = self.display

        def find():
            return next((w for w in d.window_ids(pid=program.pid)
                         if (d.geometry(w).width, d.geometry(w).height) == size), None)

        return harness.wait_value(find, lambda w: w is not None, harness.WINDOW_TIMEOUT,
                                  f"a {size[0]}x{size[1]} window to be mapped")

    def reading_of_an_inch(self, true_size):
        """The horizontal slider's title with its jaws GAP pixels apart, in centimetres."""
        d = self.display
        d.reset_config()
        harness.write_settings(d.settings_path(), {}, {"Display": {"TrueSize": true_size}})
        program = d.launch()
        panel = d.wait_window(PANEL_TITLE, program=program)
        origin = d.geometry(panel)
        d.click(origin.x + CHECK1[0], origin.y + CHECK1[1])
        beam, slider = self.mapped(program, BEAM_SIZE), self.mapped(program, SLIDER_SIZE)
        harness.wait_settled(d.active_window, STEP_TIMEOUT, "the focus to settle")
        g = d.geometry(beam)
        d.click(g.x + GRIP[0], g.y + GRIP[1])  # hands the keyboard to the slider
        harness.wait_value(d.active_window, lambda w: w == slider, STEP_TIMEOUT,
                           "the slider to have the keyboard focus")
        d.key(*["shift+Right"] * (GAP // 10))
        harness.wait_value(lambda: d.geometry(slider).x - d.geometry(beam).x - ZERO_OFFSET,
                           lambda n: n == GAP, STEP_TIMEOUT, f"the jaws {GAP} pixels apart")
        title = harness.wait_settled(lambda: d.window_name(slider), STEP_TIMEOUT, "the reading to settle")
        d.close_window(panel)
        self.assertEqual(program.wait(), 0, program.describe())
        return title

    def test_true_size_reads_real_centimetres_at_the_servers_density(self):
        self.assertEqual(self.reading_of_an_inch("true"), "2.54 cm")
        self.assertEqual(self.reading_of_an_inch("false"), "3.17 cm")


if __name__ == "__main__":
    harness.run_tests()
