"""Kalibrix on Wayland desktops: headless KWin and Mutter with XWayland, with Qt's Wayland plugin
installed and QT_QPA_PLATFORM unset. The program must come up on XWayland by itself; the caliper
appears with its slider on the beam, keeps it there through a drag and is kept on top; without a
screen-cast portal the magnifier switches itself off and says why. Through a stand-in for the
portal that serves a real PipeWire test stream, the magnifier shows the stream enlarged three times
around the stream's pointer, keeps the desktop's permission for the next time, and says so when the
user refuses or the stream ends. (The real portals' permission dialogs cannot be answered headless.)

Pixels are read from the control panel's own window: XWayland gives no root window pixels."""

import pytest

import harness
import waylandsession
from harness import HORIZONTAL, MAGNIFIER_BUTTON, VIEW

NOTICE_BACKGROUND = (0xFF, 0xFF, 0xE1)
STREAM_POINTER = (1000, 600)  # where the stream's cursor data puts the pointer
REAL_POINTER = (700, 650)  # where the pointer really is meanwhile, over no window
STREAM_END_MS = 3000
SCREENCAST = "kwin-screencast"  # KWin with PipeWire, for the portal's stand-in


@pytest.fixture(scope="module")
def display(request):
    """The desktop named by the test's `screens` marker: a compositor, or SCREENCAST."""
    compositor = request.param.split("-")[0]
    missing = waylandsession.missing_tools(compositor, portal=request.param == SCREENCAST)
    if missing:
        pytest.skip("missing: " + ", ".join(missing) + " (scripts/deps installs them)")
    with waylandsession.WaylandDesktop(compositor) as desktop:
        if request.param == SCREENCAST:
            desktop.start_pipewire()
        yield desktop


def settled(run):
    """The compositor may still move a new window and hand it the focus: a click meanwhile would
    land elsewhere or be lost."""
    harness.wait_settled(lambda: run.origin, harness.WINDOW_TIMEOUT, "the panel to be placed",
                         polls=5, interval=0.1)
    run.settle_focus()
    return run


@pytest.fixture
def kalibrix(start):
    return settled(start())


def view(run):
    return run.display.window_image(run.panel, *VIEW)


def wait_notice(run):
    """Waits for the view to show a notice that stays: the magnifier has switched itself off (a
    running one would clear the view at its next refresh)."""
    def shown():
        return harness.colour_counts(view(run)).get(NOTICE_BACKGROUND, 0) > VIEW[2] * VIEW[3] // 2

    harness.wait_until(shown, harness.WINDOW_TIMEOUT, "a notice in the view")
    assert harness.wait_settled(shown, 5.0, "the notice to stay", polls=10)


def wait_stream_view(run, what):
    expected = harness.expected_view(harness.pattern_image(run.display.size), STREAM_POINTER)
    harness.wait_picture(lambda: view(run), expected, what, "stream-view",
                         timeout=harness.WINDOW_TIMEOUT)


@pytest.mark.screens(*waylandsession.COMPOSITORS)
def test_caliper_works_through_xwayland_and_the_magnifier_says_there_is_no_portal(display, kalibrix):
    # An X window at all: the program chose XWayland over Qt's Wayland plugin.
    run = kalibrix
    run.click_panel(HORIZONTAL.panel_button)
    beam = run.window_of_size(HORIZONTAL.beam_size, "beam")
    slider = run.window_of_size(HORIZONTAL.slider_size, "slider")
    run.wait_on_zero(HORIZONTAL, beam, slider)
    for wid in (beam, slider):
        assert "_NET_WM_STATE_ABOVE" in display.wm_state(wid)
    run.drag_beam(HORIZONTAL, beam, slider, (100, 300), steps=10)

    display.move_mouse(*REAL_POINTER)
    run.click_panel(MAGNIFIER_BUTTON)
    wait_notice(run)


def calls(log):
    with open(log, encoding="utf-8") as f:
        return f.read().splitlines()


@pytest.fixture
def portal(display):
    """Starts the portal's stand-in with the given options; stopped at the end."""
    yield lambda *args: display.start_fake_portal("--cursor", "%d,%d" % STREAM_POINTER, *args)
    display.stop_service("portal")


@pytest.mark.screens(SCREENCAST)
def test_view_shows_the_stream_around_its_pointer_and_the_permission_is_kept(display, portal, start):
    log = portal()
    run = settled(start())
    display.move_mouse(*REAL_POINTER)
    for n in (1, 2):
        run.click_panel(MAGNIFIER_BUTTON)
        wait_stream_view(run, f"the stream around its pointer (switched on {n}x)")
        run.click_panel(MAGNIFIER_BUTTON)  # off: the session ends
        harness.wait_until(lambda: calls(log)[-1] == "Close", harness.WINDOW_TIMEOUT,
                           "the portal session to be closed")
    selects = [c for c in calls(log) if c.startswith("SelectSources")]
    assert {"cursor_mode=4", "persist_mode=2"} <= set(selects[0].split()), selects
    assert "restore_token" not in selects[0], selects
    assert "restore_token=token1" in selects[1].split(), selects
    run.close()
    screencast = harness.read_settings(display.settings_path(), "ScreenCast")
    assert screencast.get("RestoreToken") == "token2"


@pytest.mark.screens(SCREENCAST)
@pytest.mark.parametrize("args", [["--refuse"], ["--end-after", STREAM_END_MS]],
                         ids=["refused", "ended"])
def test_refused_and_ended_sharing_switch_the_magnifier_off_with_a_notice(display, portal, start,
                                                                          args):
    portal(*args)
    run = settled(start())
    run.click_panel(MAGNIFIER_BUTTON)
    if "--end-after" in args:
        wait_stream_view(run, "the stream before it ends")
    wait_notice(run)
