"""The jaws find the edges on a real display, at 100 % and 200 % (Xft.dpi 192).

The root window shows white with a black rectangle and a black block with a white gap in it, at
known device pixels along each caliper's measuring line. With the jaws open round the rectangle,
Space closes them on it: the fixed jaw moves with the beam onto its first column (or row) and the
reading in Pixel is its width in device pixels; Ctrl+Z puts both jaws back. With the pointer in the
gap and the jaws open round the whole block, Shift+Space opens them to the gap's walls: the reading
is the gap's width. Beams and sliders never cover the line between the jaws, so the screen copy
there shows the root window (see test_shaped for what screenshots show inside the windows' boxes)."""

import pytest
from PIL import Image, ImageDraw

import harness
from harness import CALIPERS, HORIZONTAL, UNIT_BUTTONS

SCREEN = harness.Screen(size=(1920, 1200))  # room for the vertical caliper at 200 %
# Where each beam is put (device pixels): clear of the control panel at both scales.
BEAM_AT = {HORIZONTAL: (100, 650), harness.VERTICAL: (1400, 100)}
TOUCH = 28  # 96-dpi pixels from the beam's left or top edge to the first pixel between the jaws
OBJECT = (60, 37)  # device pixels past the fixed jaw, and the width
BLOCK, GAP = (200, 200), (250, 53)  # the black block, and the white gap in it
CLOSED_OPEN, GAP_OPEN = 150, 450  # how far the jaws are opened for each command (device pixels)
POINTER_ACROSS = 120  # 96-dpi pixels across from the beam's edge: between the jaws


def along_rect(caliper, start, length, across_from, across_length):
    """A rectangle (x0, y0, x1, y1) of device pixels along the caliper's axis."""
    if caliper.axis == (1, 0):
        return (start, across_from, start + length - 1, across_from + across_length - 1)
    return (across_from, start, across_from + across_length - 1, start + length - 1)


def draw_scene(display, caliper, fixed, across):
    """White, the rectangle and the gapped block along the line from `fixed`, across the rows or
    columns `across` (first, length); made the root window's background."""
    image = Image.new("RGB", display.size, (255, 255, 255))
    draw = ImageDraw.Draw(image)
    draw.rectangle(along_rect(caliper, fixed + OBJECT[0], OBJECT[1], *across), fill=(0, 0, 0))
    draw.rectangle(along_rect(caliper, fixed + BLOCK[0], BLOCK[1], *across), fill=(0, 0, 0))
    draw.rectangle(along_rect(caliper, fixed + GAP[0], GAP[1], *across), fill=(255, 255, 255))
    display.set_background(image)
    x, y = (fixed + OBJECT[0], across[0]) if caliper.axis == (1, 0) else (across[0], fixed + OBJECT[0])
    display.wait_pixels(lambda im: im.getpixel((0, 0)) == (0, 0, 0), (x, y, 1, 1),
                        what="the scene to reach the screen")


@pytest.mark.screens(SCREEN)
@pytest.mark.parametrize("scale", (1.0, 2.0), ids=("100%", "200%"))
@pytest.mark.parametrize("caliper", CALIPERS, ids=str)
def test_jaws_close_on_a_rectangle_and_open_in_a_gap(display, start, caliper, scale):
    display.set_dpi(192 if scale == 2.0 else None)
    try:
        run = start(scale=scale)
        d = run.display
        beam, slider = run.show(caliper)
        run.click_panel(UNIT_BUTTONS["pic"])
        run.wait_title(slider, "0.00 pic")
        home = BEAM_AT[caliper]
        d.move_window(beam, *home)
        run.wait_place(beam, home, "the beam at its place")
        run.wait_on_zero(caliper, beam, slider)
        horizontal = caliper.axis == (1, 0)
        fixed = (home[0] if horizontal else home[1]) + round(TOUCH * scale)
        edge = home[1] if horizontal else home[0]
        # Across: from the jaws' inner reach to beyond their tips, so that the tips' line crosses it.
        across = (edge + round((40 if horizontal else 0) * scale), round(130 * scale))
        draw_scene(d, caliper, fixed, across)

        def moved(by):
            return (home[0] + by, home[1]) if horizontal else (home[0], home[1] + by)

        def open_by(pixels, reading):
            run.click_in(beam, caliper.grip)  # a press on the beam hands the keyboard to the slider
            harness.wait_value(d.active_window, lambda wid: wid == slider, harness.STEP_TIMEOUT,
                               "the slider to have the keyboard focus")
            d.key(*["shift+" + ("Right" if horizontal else "Down")] * (pixels // 10))
            run.wait_title(slider, f"{reading}.00 pic")

        # Close, measured along the tips with the pointer away.
        open_by(CLOSED_OPEN, CLOSED_OPEN)
        d.move_mouse(*harness.AWAY)
        d.key("space")
        run.wait_title(slider, f"{OBJECT[1]}.00 pic")
        run.wait_place(beam, moved(OBJECT[0]), "the fixed jaw on the rectangle's first pixel")
        d.key("ctrl+z")
        run.wait_title(slider, f"{CLOSED_OPEN}.00 pic")
        run.wait_place(beam, home, "the beam back after Ctrl+Z")

        # Open, from the pointer in the gap.
        open_by(GAP_OPEN - CLOSED_OPEN, GAP_OPEN)
        middle = fixed + GAP[0] + GAP[1] // 2
        pointer_across = edge + round(POINTER_ACROSS * scale) if horizontal else edge + round(60 * scale)
        d.move_mouse(*((middle, pointer_across) if horizontal else (pointer_across, middle)))
        d.key("shift+space")
        run.wait_title(slider, f"{GAP[1]}.00 pic")
        run.wait_place(beam, moved(GAP[0]), "the fixed jaw on the gap's first pixel")
        d.key("ctrl+z")
        run.wait_title(slider, f"{GAP_OPEN}.00 pic")
        run.wait_place(beam, home, "the beam back after Ctrl+Z")
    finally:
        display.set_dpi(None)
