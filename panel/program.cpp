#include "panel/program.h"

#include "caliper/beam.h"
#include "caliper/slider.h"
#include "foldingrule/zollstock.h"
#include "model/formnames.h"
#include "panel/start.h"

namespace kx {

Program::Program(forms::Environment env) : m_app(env) {
    m_app.registerForm(names::Start,
                       [this](forms::Application& a) { return std::make_unique<Start>(a, m_model); });
    // Each caliper's beam and slider, made from their twin tables, and the folding rule: loaded at the
    // start, made when they are first shown (their pictures and windows cost memory and time at the
    // start). A caliper window made then takes what the panel did to it before; a slider takes its zero
    // point at its load.
    const auto caliperMade = [this](forms::Form& window) {
        if (Start* panel = loadedPanel()) panel->caliperMade(window);
    };
    for (const BeamTwin* twin : {&horizontalBeamTwin(), &verticalBeamTwin()})
        m_app.registerForm(
            twin->name, [this, twin](forms::Application& a) { return std::make_unique<Beam>(a, m_model, *twin); },
            {.atLoad = {}, .atCreation = caliperMade, .atUnload = [this, twin] { m_app.unload(twin->slider); }});
    for (const SliderTwin* twin : {&horizontalSliderTwin(), &verticalSliderTwin()})
        m_app.registerForm(
            twin->name, [this, twin](forms::Application& a) { return std::make_unique<Slider>(a, m_model, *twin); },
            {.atLoad = [this, twin] { Slider::takeZeroPoint(m_app, m_model, *twin); },
             .atCreation = caliperMade,
             .atUnload = {}});
    m_app.registerForm(
        names::Zollstock, [](forms::Application& a) { return std::make_unique<Zollstock>(a); }, {});
}

Program::~Program() {
    shutDown();
}

void Program::start() {
    m_app.load(names::Start);
}

void Program::shutDown() {
    m_app.unload(names::Start);
}

Start* Program::loadedPanel() {
    return m_app.isLoaded(names::Start) ? &m_app.form<Start>(names::Start) : nullptr;
}

void Program::bringToFront() {
    if (Start* panel = loadedPanel()) panel->bringToFront();
}

void Program::keepCalibration(std::chrono::milliseconds limit) {
    if (Start* panel = loadedPanel()) panel->saveChangedZeroPoints();
    m_app.env().settings.flush(limit);
}

} // namespace kx
