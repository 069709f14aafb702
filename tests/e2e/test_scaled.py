"""The calipers on scaled desktops and on two monitors, on a real display under openbox.

At 150 % and 200 % (from Xft.dpi or QT_SCALE_FACTOR) the jaws touch at the zero point, a click on
"+" moves the moving jaw one device pixel, and "Pixel" reads the device pixels between the jaws, as
a screenshot counts them. On one wide screen split into two monitors, the control panel opens on the
primary monitor, and a beam dragged across the border keeps its slider on it at every step; where
the right monitor asks for 200 %, the beam and slider are drawn again twice as large when the
pointer brings them onto it, and at 100 % when it takes them back.

As everywhere under Xvfb, only pixels inside the windows' shapes are looked at (see test_shaped)."""

import time

import pytest

import harness
from harness import CALIPERS, HORIZONTAL, VERTICAL, scaled

FIXED_EDGE = (0x00, 0x0F, 0x20)  # the measuring edges' colours: the beam's jaw and the slider's
MOVING_EDGE = (0x20, 0x27, 0x4C)
NUDGES = 3
JAW_REACH = 70  # how far from the beam's outer edge the jaws' gap is looked for
# Beam-relative lines across the jaws (rows of the horizontal, columns of the vertical caliper)
# where the gap is counted.
ACROSS = {harness.HORIZONTAL: (90, 150), harness.VERTICAL: (20, 80)}
# Room for the vertical caliper at 200 % (856 device pixels high, 102 below the top).
SCALED_SCREEN = harness.Screen(size=(1920, 1200))
LEFT = harness.Monitor("LEFT", 0, 0, 1280, 800)
RIGHT = harness.Monitor("RIGHT", 1280, 0, 1280, 800, primary=True)
TWO_MONITORS = harness.Screen(size=(2560, 800), monitors=(LEFT, RIGHT))


def jaw_gap(image, caliper, line, scale):
    """The device pixels between the fixed jaw's measuring edge and the moving jaw's edge on one
    line across the jaws of a screenshot taken at the beam's top-left corner; None when either
    edge is missing there."""
    at, along = round(line * scale), caliper.axis == (1, 0)
    colours = [image.getpixel((i, at) if along else (at, i))
               for i in range(image.width if along else image.height)]
    moving = next((i for i, c in enumerate(colours) if c == MOVING_EDGE), None)
    if moving is None:
        return None
    fixed = next((i for i in range(moving - 1, -1, -1) if colours[i] == FIXED_EDGE), None)
    return None if fixed is None else moving - fixed - 1


def wait_gap(run, caliper, beam, gap, what, scale=None):
    """Waits until a screenshot shows `gap` device pixels between the jaws on every line."""
    scale = scale or run.scale
    g = run.display.geometry(beam)
    reach = round(JAW_REACH * scale)
    rect = (g.x, g.y, reach, g.height) if caliper.axis == (1, 0) else (g.x, g.y, g.width, reach)
    seen = []

    def right(image):
        seen[:] = [jaw_gap(image, caliper, line, scale) for line in ACROSS[caliper]]
        return all(s == gap for s in seen)

    try:
        run.display.wait_pixels(right, rect, what=what)
    except TimeoutError as e:
        raise AssertionError(f"{e}: gaps {seen} on lines {ACROSS[caliper]} (None: an edge is "
                             "missing)") from None


@pytest.mark.screens(SCALED_SCREEN)
@pytest.mark.parametrize("scaling", harness.SCALINGS, ids=str)
def test_pixel_reads_the_device_pixels_between_the_jaws_at_each_scale(display, start, scaling):
    display.set_dpi(scaling.dpi)
    try:
        run = start(env=dict(scaling.env), scale=scaling.scale)
        run.click_panel(harness.UNIT_BUTTONS["pic"])
        for caliper in CALIPERS:
            beam, slider = run.show(caliper)
            run.wait_title(slider, "0.00 pic")
            wait_gap(run, caliper, beam, 0, "the jaws to touch at the zero point")
            for _ in range(NUDGES):
                run.click_in(slider, caliper.plus)
            run.wait_title(slider, f"{NUDGES}.00 pic")
            wait_gap(run, caliper, beam, NUDGES, f"{NUDGES} device pixels between the jaws")
            run.click_panel(caliper.panel_button)  # hidden: it would cover the next
            display.wait_window_gone(beam)
    finally:
        display.set_dpi(None)


def drag_across(run, caliper, beam, slider, path, scale_at, steps=12):
    """Drags the beam by its bar along `path` in `steps` pointer moves. After each move the beam
    must be drawn for the monitor under the pointer (scale_at(x)) with the pressed point still under
    the pointer, and the slider stand at its zero point with the jaws touching."""
    d = run.display

    def place(wid):
        return tuple(d.geometry(wid))

    bx, by, _, _ = place(beam)
    s = scale_at(bx)
    x0, y0 = bx + round(caliper.grip[0] * s), by + round(caliper.grip[1] * s)
    d.press(x0, y0)
    try:
        time.sleep(harness.PRESS_BEFORE_MOVE)
        for i in range(1, steps + 1):
            x, y = x0 + round(path[0] * i / steps), y0 + round(path[1] * i / steps)
            d.move_mouse(x, y)
            s = scale_at(x)
            gx, gy = scaled(caliper.grip, s)
            step = f"drag step {i} (pointer at {x}, {y})"
            beam_at = (x - gx, y - gy, *scaled(caliper.beam_size, s))
            harness.wait_value(lambda: place(beam), lambda p: p == beam_at, harness.STEP_TIMEOUT,
                               f"the beam drawn at {s:g}x after {step}")
            zx, zy = scaled(caliper.zero_offset, s)
            slider_at = (beam_at[0] + zx, beam_at[1] + zy, *scaled(caliper.slider_size, s))
            harness.wait_value(lambda: place(slider), lambda p: p == slider_at, harness.STEP_TIMEOUT,
                               f"the slider at its zero point after {step}")
            wait_gap(run, caliper, beam, 0, f"the jaws to touch after {step}", scale=s)
    finally:
        d.release()


@pytest.mark.screens(TWO_MONITORS)
@pytest.mark.parametrize("factors", ["", "LEFT=1;RIGHT=2"])
def test_panel_opens_on_the_primary_monitor_and_a_dragged_beam_keeps_its_slider(display, start,
                                                                                 factors):
    right = 2.0 if factors else 1.0

    def scale_at(x):
        return right if x >= RIGHT.x else 1.0

    run = start(env={"QT_SCREEN_SCALE_FACTORS": factors} if factors else None, scale=right)
    panel = display.geometry(run.panel)
    assert RIGHT.contains(panel), f"the panel is not on {RIGHT}: {panel}"
    assert panel[2:] == scaled(harness.PANEL_SIZE, right)
    beam, slider = run.show(HORIZONTAL)
    assert RIGHT.contains(display.geometry(beam))
    drag_across(run, HORIZONTAL, beam, slider, (-900, 40), scale_at)
    drag_across(run, HORIZONTAL, beam, slider, (900, -40), scale_at)


def test_a_caliper_too_long_for_its_monitor_lies_wholly_on_it_with_its_close_spot(display, start):
    """At 200 % on a 1280x800 screen the vertical beam (856 device pixels long, 102 below the top)
    is drawn shorter: the whole caliper shows, and its close spot at the bar's far end puts it
    away."""
    display.set_dpi(192)
    try:
        run = start(scale=2.0)
        run.click_panel(VERTICAL.panel_button)
        beam = display.wait_window(VERTICAL.beam_title, program=run.program)
        slider = display.wait_window("0.00 cm", program=run.program)
        g = display.geometry(beam)
        assert g.y >= 0 and g.y + g.height == display.size[1], g
        run.wait_on_zero(VERTICAL, beam, slider)
        run.settle_focus()
        x, _ = scaled(VERTICAL.close_spot, 2.0)
        display.click(g.x + x, g.y + g.height - 14)  # 7 96-dpi pixels above the far end
        display.wait_window_gone(beam)
    finally:
        display.set_dpi(None)
