"""Start-up and shutdown of the whole program: the control panel appears, closing it ends the
program cleanly, the two zero points survive from one run to the next, and the command line
answers without a display."""

import os
import subprocess

import pytest

import harness

PANEL_GREY = (0xE0, 0xE0, 0xE0)
# Client-area points that only the window's own background covers: the margin left of the
# left frame and the gap between the left frame and the banner.
BACKGROUND_POINTS = ((3, 100), (188, 100))


def desktop_entry():
    path = os.path.join(os.path.dirname(__file__), "..", "..", "data", "org.example.Kalibrix.desktop")
    with open(path, encoding="utf-8") as f:
        return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)


def run_and_close(start, display, stored=None):
    """One whole run: optional stored settings, start, wait for the panel, close it. Returns the
    settings the program left behind."""
    path = display.settings_path()
    if stored is not None:
        harness.write_settings(path, stored)
    start().close()
    return harness.read_settings(path)


@pytest.mark.screens(harness.OPENBOX, harness.NO_WM)
def test_panel_is_the_only_window_shown_and_a_close_without_changes_writes_nothing(display, kalibrix):
    assert not os.path.exists(display.settings_path())
    g = display.geometry(kalibrix.panel)
    assert g[2:] == harness.PANEL_SIZE
    assert 0 <= g.x and g.x + g.width <= display.size[0] and 0 <= g.y \
        and g.y + g.height <= display.size[1], f"the panel lies (partly) off the screen: {g}"
    # The caliper and folding-rule windows are loaded hidden: nothing else of the program is shown.
    assert display.window_ids(pid=kalibrix.program.pid) == [kalibrix.panel]
    display.wait_pixels(lambda im: all(im.getpixel(p) == PANEL_GREY for p in BACKGROUND_POINTS),
                        rect=g, what="the panel's light grey background to be painted")
    # Docks match the window with its desktop entry by its class, and take the icon in every size.
    window = display.window(kalibrix.panel)
    assert window.get_wm_class()[1] == desktop_entry()["StartupWMClass"]
    icon, sizes = display.property(window, "_NET_WM_ICON"), []
    while icon:
        sizes.append(icon[0])
        icon = icon[2 + icon[0] * icon[1]:]
    assert sizes == [16, 24, 32, 48, 64, 128, 256]
    # A Wayland desktop's screen sharing (PipeWire) and Qt's networking are not loaded on X11, nor are
    # image-format plugins: the program reads no picture files.
    with open(f"/proc/{kalibrix.program.pid}/maps", encoding="utf-8") as f:
        mapped = f.read()
    for library in ("libpipewire", "libQt6Network", "/imageformats/"):
        assert library not in mapped, f"{library} is mapped after the start"
    kalibrix.close()
    display.wait_window_gone(kalibrix.panel)
    assert not os.path.exists(display.settings_path())


# What the user stored is read, and left exactly as it was when nothing is changed: in range, at the
# end of a range, damaged (read as the default) and out of range (read as the default).
@pytest.mark.parametrize("stored", [
    {"Label1": "-7100", "Label2": "614"},
    {"Label1": "garbage", "Label2": "300"},
    {"Label1": "-9000", "Label2": "99999"},
], ids=["in range", "damaged", "out of range"])
def test_stored_zero_points_are_read_and_left_as_the_user_wrote_them(display, start, stored):
    assert run_and_close(start, display, stored) == stored
    assert run_and_close(start, display) == stored


def run_without_display(tmp, *args, locale="C.UTF-8", variables=None):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE")}
    env.update(HOME=str(tmp), XDG_CONFIG_HOME=str(tmp / "config"), XDG_RUNTIME_DIR=str(tmp),
               LC_ALL=locale, **(variables or {}))
    return subprocess.run([harness.program_path(), *args], env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=harness.EXIT_TIMEOUT)


# Each way of having no display that can be opened, with what the one-line message must name.
# ":65000" is a display no X server serves; the Wayland socket does not exist either.
@pytest.mark.parametrize("variables, named", [
    ({}, "display"),
    ({"DISPLAY": ":65000"}, ":65000"),
    ({"WAYLAND_DISPLAY": "wayland-kalibrix-none"}, "XWayland"),
    ({"WAYLAND_DISPLAY": "wayland-kalibrix-none", "XDG_SESSION_TYPE": "wayland",
      "DISPLAY": ":65000"}, "XWayland"),
    ({"DISPLAY": ":65000", "LANGUAGE": "de"}, "kann die X-Anzeige"),
], ids=["nothing set", "dead DISPLAY", "Wayland socket without XWayland",
        "Wayland session whose XWayland is gone", "dead DISPLAY in German"])
def test_reports_the_missing_display_in_one_line_and_exits_2(tmp_path, variables, named):
    result = run_without_display(tmp_path, variables=variables)
    assert result.returncode == 2, result.stderr
    assert result.stderr.count("\n") == 1 and named in result.stderr, result.stderr
    assert not os.path.exists(tmp_path / "config" / "Kalibrix"), \
        "a run that never started must not write settings"


def test_command_line_answers_without_a_display(tmp_path):
    version = run_without_display(tmp_path, "--version")
    assert (version.returncode, version.stdout) == (0, "Kalibrix 0.1.0\n")
    usage = run_without_display(tmp_path, "--help", locale="de_DE.UTF-8")
    assert usage.returncode == 0, usage.stderr
    assert "--version" in usage.stdout and "Messschieber" in usage.stdout  # the German description
    wrong = run_without_display(tmp_path, "--frobnicate")
    assert wrong.returncode == 2 and wrong.stderr.count("\n") == 1, wrong.stderr
