"""Kalibrix on Wayland desktops: headless KWin, Mutter and sway with XWayland, with Qt's Wayland
plugin installed and QT_QPA_PLATFORM unset. The program must come up on XWayland by itself; the
caliper appears with its slider on the beam, keeps it there through a drag and is kept on top;
without a screen-cast portal the magnifier switches itself off and says why. On sway, whose X window
manager tiles or centres what it manages, the panel and the caliper stand where the program puts
them, shaped (the desktop shows around them, not black), the slider drawn above its beam, and a
click reaches the caliper where it lies over the panel even after the panel was activated.

With the desktops' own screen-cast portals, the permission granted ahead as a user answering the
desktop's dialog would: on GNOME the magnifier shows exactly the screen around the pointer, twice,
each time with the restore token the last session handed out; on KDE, whose headless KWin never
sends a picture, it says so; on sway through xdg-desktop-portal-wlr (built from Debian's source with
the change that lets it cast without a GPU; skipped where that cannot be built) it shows the screen.

Through a stand-in for the portal that serves a real PipeWire test stream, the faults a real portal
cannot be made to show: the view shows the stream enlarged three times around the stream's pointer
(also from a stream in device pixels that gives no position), keeps the desktop's permission for
the next time, and says so when the user refuses, the stream ends with or without the session,
sends no picture, or PipeWire goes away.

Pixels are read from the control panel's own window (XWayland gives no root window pixels), on
sway from the screen through grim."""

from Xlib.ext import shape

import pytest

import harness
import waylandsession
from harness import HORIZONTAL, MAGNIFIER_BUTTON, VIEW

NOTICE_BACKGROUND = (0xFF, 0xFF, 0xE1)
STREAM_POINTER = (1000, 600)  # where the stream's cursor data puts the pointer
REAL_POINTER = (700, 650)  # where the pointer really is meanwhile, over no window
STREAM_END_MS = 3000
SCREENCAST = "kwin-screencast"  # KWin with PipeWire and the portal's stand-in
PORTALS = ("mutter-portal", "kwin-portal", "sway-portal")  # with the desktop's own portal
# Where the program puts the panel's client area and the horizontal beam at their first start.
PANEL_PLACE, BEAM_PLACE = (253, 95), (13, 13)
PATTERN = (700, 420, 400, 300)  # a window showing the test pattern, clear of the program's
PATTERN_POINTER = (900, 570)


@pytest.fixture(scope="module")
def display(request):
    """The desktop named by the test's `screens` marker: a compositor, SCREENCAST or one of
    PORTALS."""
    compositor, _, extra = request.param.partition("-")
    portal = {"screencast": "fake", "portal": "real"}.get(extra)
    if compositor == "sway" and portal == "real":
        problem = waylandsession.build_portal_wlr()
        if problem:
            pytest.skip(f"xdg-desktop-portal-wlr could not be built here: {problem}")
    missing = waylandsession.missing_tools(compositor, portal=portal)
    if missing:
        pytest.skip("missing: " + ", ".join(missing) + " (scripts/deps installs them)")
    with waylandsession.WaylandDesktop(compositor) as desktop:
        if portal == "fake":
            desktop.start_pipewire()
        elif portal == "real":
            desktop.start_portal()
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


def wait_stream_view(run, what, pointer=STREAM_POINTER):
    expected = harness.expected_view(harness.pattern_image(run.display.size), pointer)
    harness.wait_picture(lambda: harness.without_marks(view(run)), harness.without_marks(expected), what,
                         "stream-view", timeout=harness.WINDOW_TIMEOUT)


def shape_mask(display, wid):
    """The window's shape as a picture of its size: white inside, black outside."""
    g = display.geometry(wid)
    mask = harness.Image.new("1", g[2:], 0)
    for r in display.window(wid).shape_get_rectangles(shape.SK.Bounding).rectangles:
        mask.paste(1, (r.x, r.y, r.x + r.width, r.y + r.height))
    return mask


def inside(rects, x, y):
    return any(r.x <= x < r.x + r.width and r.y <= y < r.y + r.height for r in rects)


def behind_the_caliper(run, *unknown):
    """What a window of the caliper shows around its shape: the panel over its client area, sway's
    background where no window is; unknown over the panel's frame, elsewhere on KWin (no desktop
    shell draws there) and in the `unknown` rectangles."""
    d, g = run.display, run.origin
    panel, frame = d.window_image(run.panel, 0, 0, g.width, g.height), \
        harness.Geometry(g.x - 4, g.y - 30, g.width + 8, g.height + 34)

    def colour(x, y):
        if inside([g], x, y) and not inside(unknown, x, y):
            return panel.getpixel((x - g.x, y - g.y))
        if d.compositor != "sway" or inside([frame, *unknown], x, y):
            return None
        return waylandsession.SWAY_BACKGROUND

    return colour


def assert_drawn_shaped(display, wid, background, above=()):
    """Waits until the screen shows the window's picture inside its shape, and outside it what lies
    behind (not black): background(x, y) for a screen point, None where unknown. The rectangles
    `above` the window may hide both."""
    g, mask = display.geometry(wid), shape_mask(display, wid)
    seen = []  # the screen, the window's own picture, the pixels that differ

    def expected(own, x, y):
        if inside(above, g.x + x, g.y + y):
            return None
        return own.getpixel((x, y)) if mask.getpixel((x, y)) else background(g.x + x, g.y + y)

    def right():
        screen, own = display.screenshot(*g), display.window_image(wid, 0, 0, *g[2:])
        seen[:] = [screen, own, [((x, y), screen.getpixel((x, y)))
                                 for y in range(0, g.height, 2) for x in range(0, g.width, 2)
                                 if expected(own, x, y) not in (None, screen.getpixel((x, y)))]]
        return not seen[2]

    try:
        harness.wait_until(right, harness.STEP_TIMEOUT, f"0x{wid:x} drawn shaped and on top")
    except TimeoutError as e:
        folder = harness.save_pictures(f"shaped-0x{wid:x}", screen=seen[0], own=seen[1])
        raise AssertionError(f"{e}: {len(seen[2])} pixels wrong, e.g. {seen[2][:3]} (pictures in "
                             f"{folder})") from None


@pytest.mark.screens(*waylandsession.COMPOSITORS, "sway")
def test_caliper_through_xwayland_stands_shaped_where_put_and_the_magnifier_says_there_is_no_portal(
        display, kalibrix):
    # An X window at all: the program chose XWayland over Qt's Wayland plugin.
    run, sway = kalibrix, display.compositor == "sway"
    if sway:  # its window manager centres the panel; the program puts it back
        assert run.origin[:2] == PANEL_PLACE
    beam, slider = run.show(HORIZONTAL)
    run.wait_on_zero(HORIZONTAL, beam, slider)
    if sway:  # not managed, so where the program put it, and always above the others
        assert run.place(beam) == BEAM_PLACE
        assert_drawn_shaped(display, beam, behind_the_caliper(run), above=[display.geometry(slider)])
        assert_drawn_shaped(display, slider, behind_the_caliper(run))
    else:
        for wid in (beam, slider):
            assert "_NET_WM_STATE_ABOVE" in display.wm_state(wid)
    run.drag_beam(HORIZONTAL, beam, slider, (100, 300), steps=10)
    run.drag_beam(HORIZONTAL, beam, slider, (150, -113), steps=4)  # over the panel's lower half
    if display.compositor != "mutter":  # which gives no screen pixels here
        assert_drawn_shaped(display, beam, behind_the_caliper(run), above=[display.geometry(slider)])
    if sway:  # the window manager raises the panel in X's stacking order as it activates it: a
        # press on the beam over the panel must still reach the beam, and the slider stay above
        display.activate(run.panel)
        harness.wait_settled(lambda: run.place(beam), harness.STEP_TIMEOUT, "the beam to stay")
        run.drag_beam(HORIZONTAL, beam, slider, (-60, 20), steps=5)
        assert_drawn_shaped(display, slider, behind_the_caliper(run, display.geometry(beam)))
    # The folding rule unfolds over the panel (the caliper may stay above it): nothing of its folded
    # frames stays on the screen.
    run.click_panel(harness.RULER_STRIP)
    rule = display.wait_window("Form3", program=run.program)
    harness.wait_value(lambda: display.shape_extents(rule), lambda e: e == (378, 16, 0, 168),
                       harness.WINDOW_TIMEOUT, "the open rule's outline")
    if display.compositor != "mutter":
        assert_drawn_shaped(display, rule, behind_the_caliper(run),
                            above=[display.geometry(w) for w in (beam, slider)])

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
@pytest.mark.parametrize("args", [[], ["--scale", 2, "--no-position"]],
                         ids=["desktop pixels", "device pixels, no position"])
def test_view_shows_the_stream_around_its_pointer_and_the_permission_is_kept(display, portal, start,
                                                                            args):
    log = portal(*args)
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
    starts = [c for c in calls(log) if c.startswith("Start")]
    assert f"parent_window=x11:{run.panel:x}" in starts[0].split(), starts
    run.close()
    screencast = harness.read_settings(display.settings_path(), "ScreenCast")
    assert screencast.get("RestoreToken") == "token2"


@pytest.mark.screens(SCREENCAST)
@pytest.mark.parametrize("args", [["--refuse"], ["--end-after", STREAM_END_MS],
                                  ["--vanish-after", STREAM_END_MS], ["--no-pictures"], ["pipewire"]],
                         ids=["refused", "ended", "ended without the session", "no pictures",
                              "PipeWire gone"])
def test_sharing_that_fails_or_ends_switches_the_magnifier_off_with_a_notice(display, portal, start,
                                                                            args):
    portal(*args[1:] if args == ["pipewire"] else args)
    run = settled(start())
    run.click_panel(MAGNIFIER_BUTTON)
    if args[0] in ("--end-after", "--vanish-after", "pipewire"):
        wait_stream_view(run, "the stream before it ends")
    if args == ["pipewire"]:
        display.stop_service("wireplumber")
        display.stop_service("pipewire")
    try:
        wait_notice(run)
    finally:
        if args == ["pipewire"]:
            display.stop_service("portal")
            display.start_pipewire()


def wait_screen_view(run, what):
    """Waits for the view to show the screen around the pointer: the test pattern (PATTERN)."""
    wait_stream_view(run, what, PATTERN_POINTER)


@pytest.mark.screens(*PORTALS)
def test_the_desktops_own_portal_shows_the_screen_or_says_why_and_keeps_the_permission(display,
                                                                                     start):
    # On sway a token left over from elsewhere, which the portal refuses: forgotten, sharing starts.
    granted = display.grant_screen() if display.compositor != "sway" else "left-over"
    harness.write_settings(display.settings_path(), {}, {"ScreenCast": {"RestoreToken": granted}})
    display.show_pattern(PATTERN)
    answers = display.watch_portal()
    run = settled(start())
    if display.compositor == "kwin":  # the permission holds, but its virtual screen sends no picture
        run.click_panel(MAGNIFIER_BUTTON)
        wait_notice(run)
    else:  # the second time with the token the first session handed out
        for n in (1, 2):
            run.click_panel(MAGNIFIER_BUTTON)
            display.move_mouse(*PATTERN_POINTER)
            wait_screen_view(run, f"the screen around the pointer (switched on {n}x)")
            run.click_panel(MAGNIFIER_BUTTON)
    run.close()
    started = [results for code, results in answers if code == 0 and "streams" in results]
    assert len(started) == (1 if display.compositor == "kwin" else 2), answers
    # Each session started with the token the last one handed out, without asking; one that hands
    # out none leaves none.
    tokens = [granted] + [results.get("restore_token", "") for results in started]
    kept = harness.read_settings(display.settings_path(), "ScreenCast").get("RestoreToken", "")
    assert kept == tokens[-1], (kept, tokens)
