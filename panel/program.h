#pragma once

#include "model/module1.h"
#include "forms/forms.h"

#include <chrono>

namespace kx {

class Start;

// The whole program: the shared values and the application object with its six windows.
class Program {
public:
    explicit Program(forms::Environment env);
    ~Program();
    // Loads the control panel, which brings up everything else.
    void start();
    // Closes the control panel if it is still loaded, which saves the calibration and unloads the rest.
    void shutDown();
    // Brings the control panel to the front (another start of the program asked for it).
    void bringToFront();
    // Writes the calibration changed since it was last written and waits at most `limit` for it to be
    // written: for when the program is about to end without closing its windows.
    void keepCalibration(std::chrono::milliseconds limit);

    Module1& model() { return m_model; }
    forms::Application& app() { return m_app; }

private:
    Start* loadedPanel(); // the control panel, or nothing while it is not loaded
    Module1 m_model;
    forms::Application m_app;
};

} // namespace kx
