#include "caliper/caliperpanel.h"

#include "forms/forms.h"
#include "model/formnames.h"

namespace kx {

CaliperPanel& caliperPanel(forms::Application& app) {
    return dynamic_cast<CaliperPanel&>(app.form(names::Start));
}

CaliperPanel* loadedCaliperPanel(forms::Application& app) {
    return app.isLoaded(names::Start) ? &caliperPanel(app) : nullptr;
}

} // namespace kx
