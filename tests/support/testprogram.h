#pragma once

#include "caliper/beam.h"
#include "caliper/slider.h"
#include "foldingrule/zollstock.h"
#include "model/formnames.h"
#include "model/settingstable.h"
#include "panel/program.h"
#include "panel/start.h"
#include "platform/clock.h"
#include "platform/fake/fakeplatform.h"
#include "settings/settingsstore.h"

#include <chrono>
#include <memory>

namespace kx::test {

// The platform's test doubles: a hand-driven clock, a synthetic 1280 x 800 screen at 15 twips per
// pixel, a recording window system, an in-memory settings store and a recording shell.
struct Doubles {
    ManualClock clock;
    FakeScreen screen;
    FakeWindowSystem windows;
    MemorySettingsStore settings;
    FakeShell shell;
    forms::Environment env{clock, screen, windows, settings, shell};
};

// The whole program on the test doubles.
struct TestProgram : Doubles {
    std::unique_ptr<Program> program = std::make_unique<Program>(env);

    // Stores a value as an earlier run (or the user) would have; `key` stands for the setting's own
    // key, as with a monitor's calibration.
    void store(const StoredSetting& s, const QString& value, const QString& key = {}) {
        settings.setValue(setting::kApp, s.section, key.isEmpty() ? QString(s.key) : key, value);
    }
    QString stored(const StoredSetting& s, const QString& key = {}) const {
        return settings.value(setting::kApp, s.section, key.isEmpty() ? QString(s.key) : key);
    }
    bool isStored(const StoredSetting& s) const { return settings.contains(setting::kApp, s.section, s.key); }

    void start() { program->start(); }
    void advance(int ms) { clock.advance(std::chrono::milliseconds(ms)); }

    Module1& m() { return program->model(); }
    forms::Application& app() { return program->app(); }
    Start& start_() { return app().form<Start>(names::Start); }
    Beam& form1() { return app().form<Beam>(names::Form1); }
    Beam& form31() { return app().form<Beam>(names::Form31); }
    Slider& form2() { return app().form<Slider>(names::Form2); }
    Slider& form42() { return app().form<Slider>(names::Form42); }
    Zollstock& zollstock() { return app().form<Zollstock>(names::Zollstock); }
};

} // namespace kx::test
