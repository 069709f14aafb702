"""The Windows program under Wine on Xvfb with openbox: the control panel appears, the horizontal
caliper shows with its slider at its zero point on the beam, a changed zero point is written to the
registry key of the per-user settings while the program runs, as a string, and closing the panel
ends the program and writes nothing it did not change. A second start brings the running,
minimised panel back to the front and ends by itself; the end of the session (log-off) ends the
program, again writing nothing it did not change. At 192 dpi the panel and the beam are twice their size.

KALIBRIX_BIN is kalibrix.exe; KALIBRIX_WINEPREFIX the Wine prefix to run it in (made when missing;
the program's settings key is emptied there before each run)."""

import os
import re
import shutil
import subprocess

import pytest

import harness
from harness import CHECK1, HORIZONTAL, PANEL_SIZE, PANEL_TITLE

BEAM_OUTSIDE = (200, 60)  # beam-relative: below its bar, off the panel
DESKTOP = (1270, 790)  # a screen point no window of the program covers
SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\Kalibrix"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"  # LogPixels: the desktop's dpi
# Wine's first start in a prefix (or after wineserver ended) is slow on a busy machine.
WINE_TIMEOUT = max(harness.WINDOW_TIMEOUT, 120.0)


class Wine:
    def __init__(self, display):
        self.display = display
        prefix = os.environ.get("KALIBRIX_WINEPREFIX") \
            or os.path.join(os.path.dirname(harness.program_path()), "wine-desktop")
        self.env = {"WINEPREFIX": os.path.abspath(prefix), "WINEDEBUG": "-all"}
        if not os.path.exists(os.path.join(self.env["WINEPREFIX"], "user.reg")):
            # No prompts for Wine's .NET and HTML engines: the program needs neither.
            self("wineboot", "-i", extra={"WINEDLLOVERRIDES": "mscoree,mshtml="})

    def __call__(self, *args, extra=None, check=True):
        result = subprocess.run(args, env=dict(self.display.env, **self.env, **(extra or {})),
                                stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                timeout=WINE_TIMEOUT)
        if check and result.returncode != 0:
            raise harness.HarnessError(f"{' '.join(args)} failed ({result.returncode}): "
                                       f"{result.stderr.strip()[-2000:]}")
        return result.stdout

    def stored_settings(self):
        """The values under the settings key as {name: (registry type, text)}."""
        out = self("wine", "reg", "query", SETTINGS_KEY + r"\Settings", check=False)
        return {m.group(1): (m.group(2), m.group(3))
                for m in re.finditer(r"^\s+(\S+)\s+(REG_\w+)\s+(.*?)\s*$", out, re.MULTILINE)}

    def start_afresh(self, start, scale=1.0):
        """Empties the settings key and starts the program."""
        self("wine", "reg", "delete", SETTINGS_KEY, "/f", check=False)
        assert self.stored_settings() == {}
        run = start(binary=shutil.which("wine"), args=[harness.program_path()], env=self.env,
                    scale=scale, timeout=WINE_TIMEOUT)
        g = run.origin
        assert g[2:] == harness.scaled(PANEL_SIZE, scale)
        self.display.wait_pixels(lambda im: len(harness.colour_counts(im)) > 2, g,
                                 what="the panel to be painted")
        return run


@pytest.fixture(scope="module")
def wine(display):
    wine = Wine(display)
    yield wine
    wine("wineserver", "-k", check=False)


def strings(values):
    return {key: ("REG_SZ", value) for key, value in values.items()}


def test_panel_caliper_and_registry(display, start, wine):
    d = display
    run = wine.start_afresh(start)

    # The horizontal caliper: both windows mapped, the slider at its zero point on the beam, and
    # the beam shaped: its bar is drawn, and beside the bar the desktop shows through.
    run.click_panel(CHECK1)
    beam = d.wait_window(HORIZONTAL.beam_title, program=run.program)
    slider = d.wait_window("0.00 cm", program=run.program)
    b = harness.wait_value(lambda: d.geometry(beam), lambda b: b[2:] == HORIZONTAL.beam_size,
                           harness.WINDOW_TIMEOUT, "the beam's size")
    harness.wait_value(lambda: d.geometry(slider), lambda s: (*s[2:], s.x - b.x, s.y - b.y)
                       == (*HORIZONTAL.slider_size, *HORIZONTAL.zero_offset),
                       harness.WINDOW_TIMEOUT, "the slider at its zero point on the beam")

    def shaped(image):
        desktop = image.getpixel(DESKTOP)
        return (image.getpixel((b.x + HORIZONTAL.grip[0], b.y + HORIZONTAL.grip[1])) != desktop
                and image.getpixel((b.x + BEAM_OUTSIDE[0], b.y + BEAM_OUTSIDE[1])) == desktop)

    d.wait_pixels(shaped, what="the beam's bar drawn and the desktop beside it")

    # A changed zero point is written by itself a moment later, while the program runs.
    rect = run.panel_rect(harness.HSCROLL1_RECT)
    banner = d.screenshot(*rect).tobytes()
    run.click_panel(harness.CHECK4)
    d.wait_pixels(lambda im: im.tobytes() != banner, rect, what="the calibration view to be shown")
    harness.wait_settled(lambda: d.screenshot(*rect).tobytes(), harness.WINDOW_TIMEOUT,
                         "the calibration view to be painted")
    run.click_panel(harness.HSCROLL1_RIGHT)
    harness.wait_value(wine.stored_settings, lambda v: v.get("Label1") == ("REG_SZ", "-7199"),
                       harness.WINDOW_TIMEOUT, "the changed zero point in the registry",
                       interval=0.25)
    assert run.program.running()

    # Closing the panel ends the program and writes only what changed.
    run.close(timeout=WINE_TIMEOUT)
    assert wine.stored_settings() == strings({"Label1": "-7199"})


def test_second_start_and_end_of_session(display, start, wine):
    d = display
    run = wine.start_afresh(start)
    run.click_panel(harness.COMMAND3)
    d.wait_window_gone(run.panel, timeout=harness.WINDOW_TIMEOUT)
    # A second start brings the running panel back to the front and ends.
    second = d.launch(shutil.which("wine"), [harness.program_path()], env=wine.env)
    assert second.wait(timeout=WINE_TIMEOUT) == 0, second.describe()
    harness.wait_until(lambda: d.is_viewable(run.panel), harness.WINDOW_TIMEOUT,
                       "the running panel to be restored")
    harness.wait_value(d.active_window, lambda w: w == run.panel, harness.WINDOW_TIMEOUT,
                       "the running panel to be the active window")
    assert d.window_ids(PANEL_TITLE) == [run.panel]

    # Logging off ends the program (the system ends what is left of it once its windows have
    # answered); nothing was changed, so nothing is written.
    wine("wineboot", "--end-session")
    run.program.wait(timeout=WINE_TIMEOUT)
    assert wine.stored_settings() == {}


def test_panel_and_caliper_at_200_percent(display, start, wine):
    wine("wine", "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "192", "/f")
    wine("wineserver", "-k", check=False)  # the next program starts with the new dpi
    try:
        run = wine.start_afresh(start, scale=2.0)
        run.click_panel(CHECK1)
        beam = display.wait_window(HORIZONTAL.beam_title, program=run.program)
        harness.wait_value(lambda: display.geometry(beam)[2:],
                           lambda size: size == harness.scaled(HORIZONTAL.beam_size, 2),
                           harness.WINDOW_TIMEOUT, "the beam's size at 200 %")
        run.close(timeout=WINE_TIMEOUT)
    finally:
        wine("wine", "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f", check=False)
        wine("wineserver", "-k", check=False)
