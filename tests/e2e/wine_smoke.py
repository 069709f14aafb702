#!/usr/bin/env python3
"""The Windows program under Wine on Xvfb with openbox: the control panel appears, the horizontal
caliper shows with its slider at its zero point on the beam, a changed zero point is written to the
registry key of the per-user settings while the program runs, and closing the panel ends the
program and leaves both zero points there, as strings. A second start brings the running,
minimised panel back to the front and ends by itself; the end of the session (log-off) saves both
zero points too. At 192 dpi the panel and the beam are twice their size.

KALIBRIX_BIN is kalibrix.exe; KALIBRIX_WINEPREFIX the Wine prefix to run it in (made when missing;
the program's settings key is emptied there before the run)."""

import os
import re
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PANEL_TITLE = "Kalibrix"
PANEL_CLIENT_SIZE = (395, 197)
CHECK1 = (44, 48)  # client-area point of the horizontal caliper's button on the panel
COMMAND3 = (385, 100)  # the narrow button that minimises the panel
CHECK4 = (132, 28)  # set square: the calibration view
HSCROLL1_RIGHT = (308, 76)  # the right arrow of the horizontal zero point's scroll bar
HSCROLL1_RECT = (200, 72, 113, 9)
BEAM_SIZE, SLIDER_SIZE = (508, 165), (100, 165)
ZERO_OFFSET = (28, -1)  # the slider's top-left corner from the beam's, at the zero point
BEAM_BAR, BEAM_OUTSIDE = (300, 12), (200, 60)  # beam-relative: on its bar; below it, off the panel
DESKTOP = (1270, 790)  # a screen point no window of the program covers
SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\Kalibrix"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"  # LogPixels: the desktop's dpi
DEFAULTS = {"Label1": "-7200", "Label2": "414"}
# Wine's first start in a prefix (or after wineserver ended) is slow on a busy machine.
WINE_TIMEOUT = max(harness.WINDOW_TIMEOUT, 120.0)


def wine_prefix():
    return os.path.abspath(os.environ.get("KALIBRIX_WINEPREFIX")
                           or os.path.join(os.path.dirname(harness.program_path()), "wine-desktop"))


class WineSmoke(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = harness.Display(wm=True).start()
        cls.wine_env = {"WINEPREFIX": wine_prefix(), "WINEDEBUG": "-all"}
        if not os.path.exists(os.path.join(cls.wine_env["WINEPREFIX"], "user.reg")):
            # No prompts for Wine's .NET and HTML engines: the program needs neither.
            cls.wine("wineboot", "-i", extra={"WINEDLLOVERRIDES": "mscoree,mshtml="})

    @classmethod
    def tearDownClass(cls):
        cls.display.close()
        cls.wine("wineserver", "-k", check=False)

    @classmethod
    def wine(cls, *args, extra=None, check=True):
        env = dict(cls.display.env, **cls.wine_env, **(extra or {}))
        result = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                                text=True, timeout=WINE_TIMEOUT)
        if check and result.returncode != 0:
            raise harness.HarnessError(f"{' '.join(args)} failed ({result.returncode}): "
                                       f"{result.stderr.strip()[-2000:]}")
        return result.stdout

    def stored_settings(self):
        """The values under the settings key as {name: (registry type, text)}."""
        out = self.wine("wine", "reg", "query", SETTINGS_KEY + r"\Settings", check=False)
        return {m.group(1): (m.group(2), m.group(3))
                for m in re.finditer(r"^\s+(\S+)\s+(REG_\w+)\s+(.*?)\s*$", out, re.MULTILINE)}

    def start_afresh(self):
        """Empties the settings key and starts the program; returns (program, panel window)."""
        self.wine("wine", "reg", "delete", SETTINGS_KEY, "/f", check=False)
        self.assertEqual(self.stored_settings(), {})
        program = self.display.launch(shutil.which("wine"), [harness.program_path()], env=self.wine_env)
        return program, self.display.wait_window(PANEL_TITLE, program=program, timeout=WINE_TIMEOUT)

    def test_panel_caliper_and_registry(self):
        d = self.display
        program, panel = self.start_afresh()
        g = d.geometry(panel)
        self.assertEqual((g.width, g.height), PANEL_CLIENT_SIZE)

        # The horizontal caliper: both windows mapped, the slider at its zero point on the beam, and
        # the beam shaped: its bar is drawn, and beside the bar the desktop shows through.
        d.wait_pixels(lambda im: len(im.colors()) > 2, rect=(g.x, g.y, g.width, g.height),
                      what="the panel to be painted")
        d.click(g.x + CHECK1[0], g.y + CHECK1[1])
        beam = d.wait_window("Form1", program=program)
        slider = d.wait_window("0.00 cm", program=program)
        beam_g = harness.wait_value(lambda: d.geometry(beam),
                                    lambda b: (b.width, b.height) == BEAM_SIZE,
                                    harness.WINDOW_TIMEOUT, "the beam's size")
        harness.wait_value(lambda: d.geometry(slider),
                           lambda s: (s.width, s.height, s.x - beam_g.x, s.y - beam_g.y)
                           == (*SLIDER_SIZE, *ZERO_OFFSET),
                           harness.WINDOW_TIMEOUT, "the slider at its zero point on the beam")

        def shaped(image):
            desktop = image.pixel(*DESKTOP)
            return (image.pixel(beam_g.x + BEAM_BAR[0], beam_g.y + BEAM_BAR[1]) != desktop
                    and image.pixel(beam_g.x + BEAM_OUTSIDE[0], beam_g.y + BEAM_OUTSIDE[1]) == desktop)

        d.wait_pixels(shaped, what="the beam's bar drawn and the desktop beside it")

        # A changed zero point is written by itself a moment later, while the program runs.
        rect = (g.x + HSCROLL1_RECT[0], g.y + HSCROLL1_RECT[1], *HSCROLL1_RECT[2:])
        banner = d.screenshot(*rect).rgb
        d.click(g.x + CHECK4[0], g.y + CHECK4[1])
        d.wait_pixels(lambda im: im.rgb != banner, rect=rect, what="the calibration view to be shown")
        harness.wait_settled(lambda: d.screenshot(*rect).rgb, harness.WINDOW_TIMEOUT,
                             "the calibration view to be painted")
        d.click(g.x + HSCROLL1_RIGHT[0], g.y + HSCROLL1_RIGHT[1])
        harness.wait_value(self.stored_settings, lambda v: v.get("Label1") == ("REG_SZ", "-7199"),
                           harness.WINDOW_TIMEOUT, "the changed zero point in the registry", interval=0.25)
        self.assertTrue(program.running())

        # Closing the panel ends the program and writes both zero points as strings.
        d.close_window(panel)
        self.assertEqual(program.wait(timeout=WINE_TIMEOUT), 0, program.describe())
        self.assertEqual(self.stored_settings(),
                         {key: ("REG_SZ", value) for key, value in dict(DEFAULTS, Label1="-7199").items()})

    def test_second_start_and_end_of_session(self):
        d = self.display
        program, panel = self.start_afresh()
        g = d.geometry(panel)
        d.wait_pixels(lambda im: len(im.colors()) > 2, rect=(g.x, g.y, g.width, g.height),
                      what="the panel to be painted")
        d.click(g.x + COMMAND3[0], g.y + COMMAND3[1])
        harness.wait_until(lambda: not d.is_viewable(panel), harness.WINDOW_TIMEOUT,
                           "the panel to be minimised")
        # A second start brings the running panel back to the front and ends.
        second = d.launch(shutil.which("wine"), [harness.program_path()], env=self.wine_env)
        self.assertEqual(second.wait(timeout=WINE_TIMEOUT), 0, second.describe())
        harness.wait_until(lambda: d.is_viewable(panel), harness.WINDOW_TIMEOUT,
                           "the running panel to be restored")
        harness.wait_value(d.active_window, lambda w: w == panel, harness.WINDOW_TIMEOUT,
                           "the running panel to be the active window")
        self.assertEqual(d.window_ids("^" + PANEL_TITLE + "$"), [panel])

        # Logging off ends the program (the system ends what is left of it once its windows have
        # answered), and the zero points are kept.
        self.wine("wineboot", "--end-session")
        program.wait(timeout=WINE_TIMEOUT)
        self.assertEqual(self.stored_settings(),
                         {key: ("REG_SZ", value) for key, value in DEFAULTS.items()})

    def test_panel_and_caliper_at_200_percent(self):
        d = self.display
        self.wine("wine", "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "192", "/f")
        self.wine("wineserver", "-k", check=False)  # the next program starts with the new dpi
        try:
            program, panel = self.start_afresh()
            g = d.geometry(panel)
            self.assertEqual((g.width, g.height), tuple(2 * n for n in PANEL_CLIENT_SIZE))
            d.wait_pixels(lambda im: len(im.colors()) > 2, rect=(g.x, g.y, g.width, g.height),
                          what="the panel to be painted")
            d.click(g.x + 2 * CHECK1[0], g.y + 2 * CHECK1[1])
            beam = d.wait_window("Form1", program=program)
            harness.wait_value(lambda: d.geometry(beam),
                               lambda b: (b.width, b.height) == tuple(2 * n for n in BEAM_SIZE),
                               harness.WINDOW_TIMEOUT, "the beam's size at 200 %")
            d.close_window(panel)
            self.assertEqual(program.wait(timeout=WINE_TIMEOUT), 0, program.describe())
        finally:
            self.wine("wine", "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f", check=False)
            self.wine("wineserver", "-k", check=False)


if __name__ == "__main__":
    harness.run_tests()
