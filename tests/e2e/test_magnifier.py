"""The magnifier, the help button and the web link on a real display.

The desktop shows a test pattern in which every pixel has a colour of its own (the root window's
background). The magnifier's view must show the pattern around the pointer enlarged three times,
black beyond the screen's edge. Documents reach the desktop through a recording stand-in for
xdg-open that is first on the program's PATH."""

import os
import shutil

import pytest

import harness
from harness import BANNER, HELP_BUTTON, MAGNIFIER_BUTTON

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
    pixmap = display.root.create_pixmap(*display.size, display.x.screen().root_depth)
    gc = pixmap.create_gc()
    pixmap.put_pil_image(gc, 0, 0, image)
    display.root.change_attributes(background_pixmap=pixmap)
    display.root.clear_area()
    gc.free()
    pixmap.free()  # the root keeps its background
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


def magnify_at(run, pattern, pointer):
    run.display.move_mouse(*pointer)
    harness.wait_picture(lambda: view(run), harness.expected_view(pattern, pointer, run.scale),
                         f"the view of the pattern around {pointer}",
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
