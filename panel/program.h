#pragma once

#include "model/module1.h"
#include "platform/forms.h"

namespace kx {

// The whole program: the shared values and the application object with its six windows.
class Program {
public:
    explicit Program(forms::Environment env);
    ~Program();
    // Loads the control panel, which brings up everything else.
    void start();
    // Closes the control panel if it is still loaded, which saves the calibration and unloads the rest.
    void shutDown();

    Module1& model() { return m_model; }
    forms::Application& app() { return m_app; }

private:
    Module1 m_model;
    forms::Application m_app;
};

} // namespace kx
