"""The magnifier, the help button and the web link on a real display.

The desktop shows a test pattern in which every pixel has a colour of its own (the root window's
background). The magnifier's view must show the pattern around the pointer enlarged three times,
black beyond the screen's edge (or as many times as the wheel chose), apart from its marks of the
pixel under the pointer: the crosshair round that pixel's block and the colour line along the
bottom, whose swatch has the pixel's colour and whose colour Ctrl+C copies. Documents reach the
desktop through a recording stand-in for xdg-open that is first on the program's PATH."""

import os
import shutil

import pytest
from PIL import Image

import harness
from harness import BANNER, COLOUR_LINE, HELP_BUTTON, MAGNIFIER_BUTTON, pointer_block, without_marks

WEB_ADDRESS = os.environ.get("KALIBRIX_WEB_ADDRESS", "https://www.example.org/kalibrix")
HELP_FILE = "HILFE.hlp"
# Pointer positions whose 60 x 60 square no window covers (at 200 %: 120 x 120, below the panel).
OPEN_DESKTOP = (1000, 600)
NEAR_CORNER = (4, 790)
OPEN_WHEN_SCALED = (1100, 700)


@pytest.fixture(scope="module")
def pattern(display):
    """Makes the test pattern the root window's background."""
    image = harness.pattern_image(display.size)
    display.set_background(image)
    x, y = OPEN_DESKTOP
    display.wait_pixels(lambda im: im.tobytes() == image.crop((x, y, x + 10, y + 10)).tobytes(),
                        (x, y, 10, 10), what="the test pattern to reach the screen")
    return image


@pytest.fixture
def program_dir(tmp_path):
    """The program installed in a directory whose name has spaces and non-ASCII letters, with its
    help file."""
    folder = tmp_path / "Meine Programme" / "Maßband ä"
    folder.mkdir(parents=True)
    shutil.copy2(harness.program_path(), folder / "kalibrix")
    (folder / HELP_FILE).write_text("Hilfe\n", encoding="utf-8")
    return folder


@pytest.fixture
def kalibrix(start, pattern, program_dir, opener):
    return start(binary=str(program_dir / "kalibrix"), env=opener.env)


def view(run):
    return run.display.screenshot(*run.panel_rect(harness.VIEW))


def zoomed_view(pattern, pointer, scale, zoom):
    """What the view shows of `pattern` at a zoom other than 3x: every device pixel a zoom x zoom
    block, the pointer's one holding the view's middle, and from 6x a grey grid between the blocks
    (blended in at 96/256)."""
    size = round(harness.VIEW[2] * scale)
    offset, count = size // 2 // zoom, -(-size // zoom)
    x, y = pointer[0] - offset, pointer[1] - offset
    image = pattern.crop((x, y, x + count, y + count)).resize((count * zoom,) * 2, Image.NEAREST)
    image = image.crop((0, 0, size, size))
    if zoom >= 6:
        first = pointer_block(size, scale, zoom) % zoom
        pixels = image.load()
        for v in range(size):
            for u in range(size):
                if (u - first) % zoom == 0 or (v - first) % zoom == 0:
                    pixels[u, v] = tuple(c + ((128 - c) * 96 >> 8) for c in pixels[u, v])
    return image


def magnify_at(run, pattern, pointer, zoom=3):
    run.display.move_mouse(*pointer)
    expected = harness.expected_view(pattern, pointer, run.scale) if zoom == 3 else \
        zoomed_view(pattern, pointer, run.scale, zoom)
    harness.wait_picture(lambda: without_marks(view(run), run.scale, zoom),
                         without_marks(expected, run.scale, zoom),
                         f"the view of the pattern around {pointer} at {zoom}x",
                         f"view-{pointer[0]}-{pointer[1]}")


def test_view_shows_the_pattern_around_the_pointer_and_the_banner_comes_back(kalibrix, pattern):
    # Right after the start the first paint may still be on its way.
    harness.wait_until(lambda: len(harness.colour_counts(view(kalibrix))) > 1, harness.STEP_TIMEOUT,
                       "the banner to be painted")
    banner = harness.wait_settled(lambda: view(kalibrix), harness.STEP_TIMEOUT,
                                  "the banner to settle", interval=0.1)
    kalibrix.click_panel(MAGNIFIER_BUTTON)
    magnify_at(kalibrix, pattern, OPEN_DESKTOP)
    magnify_at(kalibrix, pattern, NEAR_CORNER)  # beyond the screen's edge the view is black
    kalibrix.click_panel(MAGNIFIER_BUTTON)
    kalibrix.display.move_mouse(*OPEN_DESKTOP)
    harness.wait_picture(lambda: view(kalibrix), banner,
                         "the banner after switching the magnifier off", "banner")


@pytest.mark.parametrize("scaling", harness.SCALINGS, ids=str)
def test_view_shows_each_device_pixel_as_a_3_x_3_block_on_scaled_desktops(display, start, pattern,
                                                                           scaling):
    display.set_dpi(scaling.dpi)
    try:
        run = start(env=dict(scaling.env), scale=scaling.scale)
        run.click_panel(MAGNIFIER_BUTTON)
        magnify_at(run, pattern, OPEN_WHEN_SCALED)
    finally:
        display.set_dpi(None)


def test_colour_under_the_pointer_is_marked_named_and_copied_and_the_wheel_zooms(display, kalibrix,
                                                                                pattern):
    run = kalibrix
    run.click_panel(MAGNIFIER_BUTTON)  # the panel keeps the keyboard
    magnify_at(run, pattern, OPEN_DESKTOP)
    colour = pattern.getpixel(OPEN_DESKTOP)
    at = pointer_block(harness.VIEW[2], 1.0, 3)
    shown = view(run)
    assert shown.getpixel((at + 1, at + 1)) == colour, "the pointer's pixel must stay visible"
    # The crosshair's arms invert what is under them: just left of the block's frame.
    beside = pattern.getpixel((OPEN_DESKTOP[0] - 1, OPEN_DESKTOP[1]))
    assert shown.getpixel((at - 2, at + 1)) == tuple(255 - c for c in beside)
    # The colour line's swatch: a square of the pointer's colour in the strip along the bottom.
    strip = shown.crop((0, shown.height - COLOUR_LINE, shown.width, shown.height))
    assert harness.colour_counts(strip).get(colour, 0) >= 49, harness.colour_counts(strip)
    display.key("ctrl+c")
    harness.wait_value(display.clipboard, lambda text: text == "#%02X%02X%02X" % colour,
                       harness.STEP_TIMEOUT, "the clipboard to hold the pointer's colour")

    # Two notches of the wheel over the view: 6x, with a grid between the pixels' blocks.
    display.move_mouse(*run.panel_point(BANNER))
    for _ in range(2):
        display.click(*run.panel_point(BANNER), button=4)
    magnify_at(run, pattern, OPEN_DESKTOP, zoom=6)
    # Off and on again: 3x.
    run.click_panel(MAGNIFIER_BUTTON)
    run.click_panel(MAGNIFIER_BUTTON)
    magnify_at(run, pattern, OPEN_DESKTOP)


def test_help_button_and_banner_hand_over_exactly_one_argument_each(kalibrix, pattern, program_dir,
                                                                     opener):
    kalibrix.click_panel(HELP_BUTTON)
    assert opener.wait_calls(1) == [[str(program_dir / HELP_FILE)]]
    kalibrix.click_panel(BANNER)
    assert opener.wait_calls(2)[1] == [WEB_ADDRESS]
    # While the magnifier runs, the banner still opens the web page and the view keeps following.
    kalibrix.click_panel(MAGNIFIER_BUTTON)
    magnify_at(kalibrix, pattern, OPEN_DESKTOP)
    kalibrix.click_panel(BANNER)
    assert opener.wait_calls(3)[2] == [WEB_ADDRESS]
    magnify_at(kalibrix, pattern, OPEN_DESKTOP)
    assert len(opener.calls()) == 3


def test_missing_help_file_hands_nothing_over_and_says_so(display, kalibrix, program_dir, opener):
    (program_dir / HELP_FILE).unlink()
    kalibrix.click_panel(HELP_BUTTON)
    message = kalibrix.wait_message("about the missing help file")
    display.close_window(message)  # it may cover the banner
    display.wait_window_gone(message)
    kalibrix.click_panel(BANNER)  # handled after the help button, so its call marks the end
    assert opener.wait_calls(1) == [[WEB_ADDRESS]]
    assert kalibrix.program.running()
