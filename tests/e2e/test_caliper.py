"""The two calipers on a real display under openbox, driven through the control panel and the
sliders' own buttons: showing and hiding, the slider's place on its beam, nudging one pixel and
repeating while a button is held, the reading in the slider's window title and on the slider
itself, the nudge buttons' tooltips, the slider following its beam through a drag, and the close
spot; the keyboard and the clipboard on a slider, and the help button handing its page to the
desktop's opener."""

import locale
import os
import subprocess
import time

import pytest
from PIL import Image

import harness
from harness import CALIPERS, HORIZONTAL, UNIT_BUTTONS, VERTICAL

TWIPS_PER_UNIT = {"cm": 567, "pic": 15, "zoll": 1440, "twi": 1, "pkt": 20}
TWIPS_PER_PIXEL = 15
BUTTON_SIZE = (58, 66)  # both caliper buttons, 28 left of and 32 above their click points
# Held this long, " - " repeats at 150 and 300 ms and adds one step on release: three pixels.
# The repeat runs on real timers, so one step more or less is accepted.
HOLD_SECONDS = 0.4
HOLD_STEPS = range(2, 5)
# How far the test drags each beam: keeps it on screen and off the panel.
DRAG = {HORIZONTAL: (100, 300), VERTICAL: (700, 30)}
# Bursts of clicks 1 ms apart on a panel's caliper button, even and odd, so that either state ends
# one.
RAPID_BURSTS = (200, 201) * 3


@pytest.fixture
def kalibrix(start, opener):
    return start(env=opener.env)


def reading(pixels, unit):
    """The reading of a slider `pixels` screen pixels from its zero point, as its title shows it."""
    return f"{pixels * TWIPS_PER_PIXEL / TWIPS_PER_UNIT[unit]:.2f} {unit}"


def button_look(run, caliper):
    x, y = caliper.panel_button
    return run.display.screenshot(*run.panel_point((x - 28, y - 32)), *BUTTON_SIZE).tobytes()


def steps_from_zero(run, caliper, beam, slider):
    """How many pixels the slider stands from its zero point on the beam, along its axis."""
    (bx, by), (sx, sy) = run.place(beam), run.place(slider)
    dx, dy = sx - bx - caliper.zero_offset[0], sy - by - caliper.zero_offset[1]
    along, across = (dx, dy) if caliper.axis == (1, 0) else (dy, dx)
    assert across == 0, "the slider has left its beam's line"
    return along


@pytest.mark.parametrize("caliper", CALIPERS, ids=str)
def test_caliper(display, kalibrix, caliper):
    run, d = kalibrix, display
    x, y = run.panel_point(caliper.panel_button)
    d.wait_pixels(lambda im: len(harness.colour_counts(im)) > 2, (x - 28, y - 32, *BUTTON_SIZE),
                  what="the panel's caliper button to be painted")
    raised = harness.wait_settled(lambda: button_look(run, caliper), harness.STEP_TIMEOUT,
                                  "the panel's caliper button to settle")

    # Shown by the panel's button, the slider at the zero point of its beam.
    beam, slider = run.show(caliper)
    assert d.window_name(beam) == caliper.beam_title
    harness.wait_value(lambda: button_look(run, caliper), lambda look: look != raised,
                       harness.STEP_TIMEOUT, "the panel's caliper button to look pressed")
    zero = run.wait_on_zero(caliper, beam, slider)
    run.wait_title(slider, "0.00 cm")

    # One click on "+": one pixel away from the fixed jaw; 15 twips read 0.03 cm.
    run.click_in(slider, caliper.plus)
    run.wait_place(slider, (zero[0] + caliper.axis[0], zero[1] + caliper.axis[1]),
                   "the slider one pixel further")
    run.wait_title(slider, "0.03 cm")

    # The unit changes the reading, not the place.
    run.click_panel(UNIT_BUTTONS["pic"])
    run.wait_title(slider, "1.00 pic")
    assert steps_from_zero(run, caliper, beam, slider) == 1

    # " - " held: repeats while held, one more step on release. Wait until the place and the
    # title stay put and agree.
    run.click_in(slider, caliper.minus, hold=HOLD_SECONDS)

    def state():
        return steps_from_zero(run, caliper, beam, slider), d.window_name(slider)

    harness.wait_value(state, lambda s: s[1] == reading(s[0], "pic"), harness.STEP_TIMEOUT,
                       "the slider's title to match its place")
    steps, title = harness.wait_settled(state, harness.STEP_TIMEOUT, "the slider to come to rest")
    assert title == reading(steps, "pic")
    assert 1 - steps in HOLD_STEPS, f"holding ' - ' for {HOLD_SECONDS * 1000:.0f} ms moved the " \
        f"slider {1 - steps} pixels toward the fixed jaw"

    run.click_panel(UNIT_BUTTONS["zoll"])
    run.wait_title(slider, reading(steps, "zoll"))

    # The slider rides along while the beam is dragged.
    run.drag_beam(caliper, beam, slider, DRAG[caliper])
    assert steps_from_zero(run, caliper, beam, slider) == steps

    # "Ende" hides both windows, raises the panel's button and selects "Pixel".
    beam_at, slider_at = run.place(beam), run.place(slider)
    run.click_in(beam, caliper.close_spot)
    for wid in (beam, slider):
        d.wait_window_gone(wid)
    harness.wait_value(lambda: button_look(run, caliper), lambda look: look == raised,
                       harness.STEP_TIMEOUT, "the panel's caliper button to look raised again")
    run.wait_title(slider, reading(steps, "pic"))

    # The panel's button is unticked, so one click shows both again where they were.
    run.click_panel(caliper.panel_button)
    harness.wait_until(lambda: d.is_viewable(beam) and d.is_viewable(slider), harness.STEP_TIMEOUT,
                       "the caliper to be shown again")
    assert run.place(beam) == beam_at
    run.wait_place(slider, slider_at, "the slider where it was on its beam")
    assert d.window_name(slider) == reading(steps, "pic")


def test_keys_on_the_slider_and_copy(display, kalibrix):
    run, d = kalibrix, display
    beam, slider = run.show(HORIZONTAL)
    run.click_panel(UNIT_BUTTONS["pic"])
    run.wait_title(slider, "0.00 pic")
    # A press on the beam hands the keyboard to the slider.
    run.click_in(beam, HORIZONTAL.grip)
    harness.wait_value(d.active_window, lambda wid: wid == slider, harness.STEP_TIMEOUT,
                       "the slider to have the keyboard focus")
    d.key("Right", "Right", "Right")
    run.wait_title(slider, "3.00 pic")
    harness.wait_value(lambda: steps_from_zero(run, HORIZONTAL, beam, slider), lambda n: n == 3,
                       harness.STEP_TIMEOUT, "the slider three pixels from its zero point")
    d.key("ctrl+c")
    harness.wait_value(d.clipboard, lambda text: text == "3.00 pic", harness.STEP_TIMEOUT,
                       "the clipboard to hold the reading")


def test_help_button_hands_an_existing_page_to_the_opener(kalibrix, opener):
    kalibrix.click_panel(harness.HELP_BUTTON)
    calls = opener.wait_calls(1)
    assert len(calls) == 1 and len(calls[0]) == 1, calls
    assert calls[0][0].endswith("/index.html") and os.path.isfile(calls[0][0]), calls


def test_each_slider_reads_its_own_axis(display, kalibrix):
    run = kalibrix
    horizontal, vertical = run.show(HORIZONTAL)[1], run.show(VERTICAL)[1]
    run.click_in(horizontal, HORIZONTAL.plus)
    run.click_panel(UNIT_BUTTONS["pic"])
    run.wait_title(horizontal, "1.00 pic", "the horizontal slider's title")
    run.wait_title(vertical, "0.00 pic", "the vertical slider's title")
    for _ in range(2):
        run.click_in(vertical, VERTICAL.plus)
    run.wait_title(vertical, "2.00 pic", "the vertical slider's title")
    assert display.window_name(horizontal) == "1.00 pic"


def readout_picture(display, caliper, text):
    """The slider's readout box as the program draws `text` into it: its place on the slider and
    its pixels."""
    out = subprocess.run([os.environ["KALIBRIX_READOUT_PICTURE"], caliper.name, text],
                         env=display.env, stdin=subprocess.DEVNULL, capture_output=True, check=True,
                         timeout=60).stdout
    _magic, place, size, _maxval, pixels = out.split(b"\n", 4)
    return tuple(map(int, place[1:].split())), Image.frombytes("RGB", tuple(map(int, size.split())),
                                                               pixels)


@pytest.mark.parametrize("caliper", CALIPERS, ids=str)
def test_readout_shows_the_whole_reading_and_the_tooltips_show(display, kalibrix, caliper):
    """Ten ' - ' in Pixel: the slider shows "-10.00 pic" exactly as the program's own font rule
    draws it into the readout box. The nudge buttons' tooltips show while the panel is the active
    window."""
    run, d = kalibrix, display
    run.click_panel(UNIT_BUTTONS["pic"])
    slider = run.show(caliper)[1]
    d.activate(run.panel)
    before = set(d.window_ids(pid=run.program.pid))
    x, y = run.at(slider, caliper.plus)
    d.move_mouse(x - 1, y)
    d.move_mouse(x, y)
    harness.wait_until(lambda: set(d.window_ids(pid=run.program.pid)) - before,
                       harness.STEP_TIMEOUT, "a tooltip to show")
    assert d.active_window() == run.panel
    for _ in range(10):
        run.click_in(slider, caliper.minus)
    run.wait_title(slider, "-10.00 pic")
    (x, y), drawn = readout_picture(d, caliper, "-10.00 pic")
    # The sleeve under the box is dark blue; only the light yellow text has much red.
    assert drawn.getextrema()[0][1] > 0xA0, "no reading in the drawn box"
    harness.wait_picture(lambda: d.screenshot(*run.at(slider, (x, y)), *drawn.size), drawn,
                         f"the {caliper} readout to show '-10.00 pic' as drawn", f"readout-{caliper}")


def test_rapid_clicks_keep_beam_slider_and_button_together(display, kalibrix):
    run, d = kalibrix, display
    d.move_mouse(*harness.AWAY)  # no button looks hovered
    looks = [harness.wait_settled(lambda: button_look(run, HORIZONTAL), harness.STEP_TIMEOUT,
                                  "the panel's caliper button to settle")]
    run.show(HORIZONTAL)
    d.move_mouse(*harness.AWAY)
    looks.append(harness.wait_settled(lambda: button_look(run, HORIZONTAL), harness.STEP_TIMEOUT,
                                      "the panel's caliper button to settle"))

    def state():
        # Qt makes new X windows when it shows a window whose keep-on-top state has changed.
        shown = {}
        for wid in d.window_ids(pid=run.program.pid):
            name = d.window_name(wid)
            if name == HORIZONTAL.beam_title or name.endswith(" cm"):
                shown[name == HORIZONTAL.beam_title] = "_NET_WM_STATE_ABOVE" in d.wm_state(wid)
        # The button is pressed if it looks nearer to pressed than to raised.
        look = button_look(run, HORIZONTAL)
        raised, down = (sum(a != b for a, b in zip(look, ref)) for ref in looks)
        pressed = down < raised
        # None: not shown; False: shown, but not on top.
        return shown.get(True), shown.get(False), pressed

    def together(s):
        return s[0] == s[1] == (True if s[2] else None)

    x, y = run.panel_point(HORIZONTAL.panel_button)
    for i, clicks in enumerate(RAPID_BURSTS):
        for _ in range(clicks):
            d.click(x, y, hold=0.0)
            time.sleep(0.001)
        d.move_mouse(*harness.AWAY)
        # Twice: the second answer comes after the clicks have reached the button.
        d.ping(run.panel)
        d.ping(run.panel)
        what = f"after {clicks} clicks (burst {i + 1}): beam, slider on top (None: hidden), pressed"
        harness.wait_value(state, together, harness.STEP_TIMEOUT, f"them to agree {what}")
        rest = harness.wait_settled(state, harness.STEP_TIMEOUT, "the caliper to come to rest",
                                    polls=4, interval=0.1)
        assert together(rest), f"{what}: {rest}"


def test_readings_in_a_german_locale(start):
    """On a German desktop (LANG=de_DE.UTF-8, the German locale installed) the C library writes
    numbers with a decimal comma; every unit still reads right, with the comma: one pixel from the
    fixed jaw, then four."""
    try:
        locale.setlocale(locale.LC_NUMERIC, "de_DE.UTF-8")
        locale.setlocale(locale.LC_NUMERIC, "C")
    except locale.Error:
        pytest.fail("the German locale de_DE.UTF-8 is not installed (scripts/deps installs it)")
    run = start(env={"LC_ALL": "de_DE.UTF-8", "LANG": "de_DE.UTF-8"})
    beam, slider = run.show(HORIZONTAL)
    run.wait_on_zero(HORIZONTAL, beam, slider)
    run.wait_title(slider, "0,00 cm")
    run.click_in(slider, HORIZONTAL.plus)
    for unit, shown in (("cm", "0,03"), ("pic", "1,00"), ("zoll", "0,01"), ("twi", "15,00"),
                        ("pkt", "0,75")):
        run.click_panel(UNIT_BUTTONS[unit])
        run.wait_title(slider, f"{shown} {unit}")
    for _ in range(3):
        run.click_in(slider, HORIZONTAL.plus)
    run.wait_title(slider, "3,00 pkt")
    run.click_panel(UNIT_BUTTONS["cm"])
    run.wait_title(slider, "0,11 cm")
