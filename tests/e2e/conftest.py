"""The end-to-end tests' fixtures:

- display: a private Xvfb (harness.Display) for the test module, set up as the test's `screens`
  marker says (on the test, its class or the module's `pytestmark`); with several screens, the test
  runs once on each (test ids [openbox], [no-wm]). Without Xvfb the tests are skipped.
- start: starts the program on the display, with a settings directory emptied for the test, and
  returns a harness.Kalibrix once its control panel is mapped; kalibrix: one such start with no
  options. At the end of the test a program still running is closed and must end with exit code 0.

A failing test leaves a screenshot of its display under $KALIBRIX_E2E_ARTIFACTS (the build's
tests/e2e/failures), named in the report. A file whose cases were all skipped, or that needed Xvfb
where there is none, ends with 77, which ctest reports as skipped."""

import os
import shutil

import pytest

import harness


def pytest_generate_tests(metafunc):
    if "display" in metafunc.fixturenames:
        marker = metafunc.definition.get_closest_marker("screens")
        metafunc.parametrize("display", marker.args if marker else (harness.OPENBOX,),
                             indirect=True, scope="module", ids=str)


@pytest.fixture(scope="module")
def display(request):
    if shutil.which("Xvfb") is None:
        request.session.xvfb_missing = True
        pytest.skip("Xvfb is not installed, so end-to-end tests cannot run here (scripts/deps "
                    "installs it)")
    with harness.Display(request.param) as d:
        yield d


@pytest.fixture
def start(display, request):
    display.reset_config()
    first, runs = len(display.programs), []

    def start(env=None, binary=None, args=(), scale=1.0, timeout=harness.WINDOW_TIMEOUT):
        runs.append(harness.Kalibrix(display, display.launch(binary, args, env), scale, timeout))
        return runs[-1]

    yield start
    try:
        if not getattr(request.node, "failed", True):  # after a failure, only stopped
            for run in runs:
                if run.program.running():
                    run.close()
    finally:
        for program in display.programs[first:]:  # also those a case launched itself
            program.stop()
        del display.programs[first:]


@pytest.fixture
def kalibrix(start):
    return start()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    report = (yield).get_result()
    if report.when != "call":
        return
    item.failed = report.failed
    display = item.funcargs.get("display") if hasattr(item, "funcargs") else None
    if report.failed and isinstance(display, harness.Display) and display.x is not None:
        try:
            folder = harness.save_pictures(item.nodeid.rpartition("/")[2],
                                           screen=display.screenshot())
            report.sections.append(("screenshot", f"the screen at the failure: {folder}/screen.png"))
        except Exception as e:  # e.g. XWayland, which gives no screen pixels
            report.sections.append(("screenshot", f"none: {e}"))


def pytest_sessionfinish(session, exitstatus):
    stats = session.config.pluginmanager.get_plugin("terminalreporter").stats
    if exitstatus == 0 and (getattr(session, "xvfb_missing", False)
                            or stats.get("skipped") and not stats.get("passed")):
        session.exitstatus = harness.SKIP_RETURN_CODE


RECORDING_OPENER = """#!/bin/sh
# Stands in for the desktop's opener: records each call as its argument count and then each argument
# on a line of its own.
{ printf '%s\\n' "$#"; for a in "$@"; do printf '%s\\n' "$a"; done; } >> "$KALIBRIX_OPEN_LOG"
"""


class Opener:
    """A recording stand-in for xdg-open; `env` puts it first on a program's PATH."""

    def __init__(self, folder):
        os.makedirs(folder / "bin")
        script = folder / "bin" / "xdg-open"
        script.write_text(RECORDING_OPENER)
        script.chmod(0o755)
        self.log = folder / "opened.txt"
        self.env = {"PATH": f"{folder / 'bin'}{os.pathsep}{os.environ.get('PATH', os.defpath)}",
                    "KALIBRIX_OPEN_LOG": str(self.log)}

    def calls(self):
        """The recorded calls, each a list of its arguments; a call still being written is left
        out."""
        lines = self.log.read_text(encoding="utf-8").split("\n") if self.log.exists() else []
        calls, i = [], 0
        while i < len(lines) and lines[i].isdigit():
            n = int(lines[i])
            if i + 1 + n >= len(lines):  # the closing newline of the last argument must be there
                break
            calls.append(lines[i + 1:i + 1 + n])
            i += 1 + n
        return calls

    def wait_calls(self, count):
        return harness.wait_value(self.calls, lambda calls: len(calls) >= count, harness.STEP_TIMEOUT,
                                  f"{count} call(s) of the opener")


@pytest.fixture
def opener(tmp_path):
    return Opener(tmp_path / "opener")
