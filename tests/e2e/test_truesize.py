"""True size on a real X server: started with `-dpi 120`, the server's screen is 120 pixels to the
inch, so with "True size" on the jaws 120 pixels apart read one real inch, "2.54 cm"; with it off the
same gap reads the desktop's logical "3.17 cm". The switch is the settings file's Display/TrueSize;
the jaws are keyed apart on the focused slider and their gap is checked on the windows' places."""

import pytest

import harness

GAP = 120  # pixels: one inch at 120 dpi
pytestmark = pytest.mark.screens(harness.Screen(xvfb_args=("-dpi", "120")))


@pytest.mark.parametrize("true_size, reading", [("true", "2.54 cm"), ("false", "3.17 cm")])
def test_true_size_reads_real_centimetres_at_the_servers_density(display, start, true_size, reading):
    harness.write_settings(display.settings_path(), {}, {"Display": {"TrueSize": true_size}})
    run = start()
    beam, slider = run.show(harness.HORIZONTAL)
    run.click_in(beam, harness.HORIZONTAL.grip)  # hands the keyboard to the slider
    harness.wait_value(display.active_window, lambda w: w == slider, harness.STEP_TIMEOUT,
                       "the slider to have the keyboard focus")
    display.key(*["shift+Right"] * (GAP // 10))
    zero = harness.HORIZONTAL.zero_offset[0]
    harness.wait_value(lambda: run.place(slider)[0] - run.place(beam)[0] - zero, lambda n: n == GAP,
                       harness.STEP_TIMEOUT, f"the jaws {GAP} pixels apart")
    assert harness.wait_settled(lambda: display.window_name(slider), harness.STEP_TIMEOUT,
                                "the reading to settle") == reading
