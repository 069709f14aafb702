#!/usr/bin/env python3
"""The folding rule on a real display: a click on the panel's ruler strip maps the rule's window and
unfolds it to the open rule's outline; a click on either end folds it and unmaps the window."""

import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
RULE_TITLE = "Form3"
# Client-area points of the panel: the middle of the ruler strip.
RULER_STRIP = (96, 176)
# Window points of the rule: over its left end and over the right end of the open rule.
LEFT_END = (8, 176)
RIGHT_END = (368, 176)
# The outline of the open rule (frame 5) as the X server's shape extents: width, height, x, y.
OPEN_RULE_EXTENTS = (378, 16, 0, 168)
# Seconds from the click's release until the window is seen unmapped. The program's own part is five or
# six frame ticks and the 300 ms hide, about 0.45 s; pressing through xdotool and polling the map state
# through xwininfo add 0.1-0.15 s on a busy machine, so the bound leaves room for that.
FOLD_AND_HIDE_LIMIT = 0.8


def shape_extents(display, wid):
    """The window's bounding shape extents (width, height, x, y), or None without a shape."""
    out = display.tool("xwininfo", "-shape", "-id", str(wid))
    match = re.search(r"shape extents:\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)", out)
    return tuple(int(v) for v in match.groups()) if match else None


class FoldingRule(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def setUp(self):
        self.display.reset_config()
        self.program = self.display.launch()
        self.panel = self.display.wait_window(PANEL_TITLE, program=self.program)

    def tearDown(self):
        self.display.close_window(self.panel)
        self.assertEqual(self.program.wait(), 0, self.program.describe())

    def unfold(self):
        d = self.display
        g = d.geometry(self.panel)
        d.click(g.x + RULER_STRIP[0], g.y + RULER_STRIP[1])
        rule = d.wait_window(RULE_TITLE, program=self.program)
        seen = []

        def open_outline():
            seen[:] = [shape_extents(d, rule)]
            return seen[0] == OPEN_RULE_EXTENTS

        try:
            harness.wait_until(open_outline, harness.WINDOW_TIMEOUT, "the open rule's outline")
        except TimeoutError as e:
            self.fail(f"{e}; last outline extents: {seen[0]}, expected {OPEN_RULE_EXTENTS}")
        return rule

    def fold_at(self, rule, point):
        d = self.display
        g = d.geometry(rule)
        d.click(g.x + point[0], g.y + point[1])
        released = time.monotonic()
        try:
            harness.wait_until(lambda: not d.is_viewable(rule), FOLD_AND_HIDE_LIMIT,
                               "the rule's window to be unmapped", interval=0.01)
        except TimeoutError:
            self.fail(f"the rule was still mapped {FOLD_AND_HIDE_LIMIT * 1000:.0f} ms after the click "
                      f"at {point}; its outline: {shape_extents(d, rule)}")
        return time.monotonic() - released

    def test_unfolds_to_the_open_outline_and_either_end_folds_and_hides_it(self):
        rule = self.unfold()
        elapsed = self.fold_at(rule, LEFT_END)
        print(f"left end: unmapped {elapsed * 1000:.0f} ms after the click", flush=True)
        # Once more, closing from the other end, which exists only on the open rule.
        rule = self.unfold()
        elapsed = self.fold_at(rule, RIGHT_END)
        print(f"right end: unmapped {elapsed * 1000:.0f} ms after the click", flush=True)


if __name__ == "__main__":
    harness.run_tests()
