#include "panel/program.h"

#include "caliper/beam.h"
#include "caliper/slider.h"
#include "foldingrule/zollstock.h"
#include "model/formnames.h"
#include "panel/start.h"

namespace kx {

Program::Program(forms::Environment env) : m_app(env) {
    m_app.registerForm(names::Start, [this](forms::Application& a) { return std::make_unique<Start>(a, m_model); });
    m_app.registerForm(names::Form1, [this](forms::Application& a) {
        return std::make_unique<Beam>(a, m_model, horizontalBeamTwin());
    });
    m_app.registerForm(names::Form31, [this](forms::Application& a) {
        return std::make_unique<Beam>(a, m_model, verticalBeamTwin());
    });
    m_app.registerForm(names::Form2, [this](forms::Application& a) {
        return std::make_unique<Slider>(a, m_model, horizontalSliderTwin());
    });
    m_app.registerForm(names::Form42, [this](forms::Application& a) {
        return std::make_unique<Slider>(a, m_model, verticalSliderTwin());
    });
    m_app.registerForm(names::Zollstock, [](forms::Application& a) { return std::make_unique<Zollstock>(a); });
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

void Program::bringToFront() {
    if (m_app.isLoaded(names::Start)) m_app.form<Start>(names::Start).bringToFront();
}

void Program::keepCalibration(std::chrono::milliseconds limit) {
    if (m_app.isLoaded(names::Start)) m_app.form<Start>(names::Start).saveChangedZeroPoints();
    m_app.env().settings.flush(limit);
}

} // namespace kx
