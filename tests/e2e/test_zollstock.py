"""The folding rule on a real display: a click on the panel's ruler strip maps the rule's window and
unfolds it to the open rule's outline; a click on either end folds it and unmaps the window."""

import time

import harness

RULE_TITLE = "Form3"
# Window points of the rule: over its left end and over the right end of the open rule.
LEFT_END, RIGHT_END = (8, 176), (368, 176)
# The outline of the open rule (frame 5) as the X server's shape extents: width, height, x, y.
OPEN_RULE_EXTENTS = (378, 16, 0, 168)
# Seconds from the click's release until the window is seen unmapped. The program's own part is five or
# six frame ticks and the 300 ms hide, about 0.45 s; the rest is room for a busy machine.
FOLD_AND_HIDE_LIMIT = 0.8


def test_unfolds_to_the_open_outline_and_either_end_folds_and_hides_it(display, kalibrix):
    for end in (LEFT_END, RIGHT_END):  # the right end exists only on the open rule
        kalibrix.click_panel(harness.RULER_STRIP)
        rule = display.wait_window(RULE_TITLE, program=kalibrix.program)
        harness.wait_value(lambda: display.shape_extents(rule), lambda e: e == OPEN_RULE_EXTENTS,
                           harness.WINDOW_TIMEOUT, "the open rule's outline")
        kalibrix.click_in(rule, end)
        released = time.monotonic()
        harness.wait_value(lambda: (display.is_viewable(rule), display.shape_extents(rule)),
                           lambda state: not state[0], FOLD_AND_HIDE_LIMIT,
                           f"the rule's window to be unmapped after the click at {end} "
                           "(mapped, outline)", interval=0.01)
        print(f"{end}: unmapped {(time.monotonic() - released) * 1000:.0f} ms after the click")
