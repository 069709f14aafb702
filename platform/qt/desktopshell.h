#pragma once

#include "platform/shell.h"

namespace kx {

// Opens documents with the desktop's opener (xdg-open on Linux) as a separate process, passing the
// document as one argument with no shell in between; copies through the system clipboard.
class DesktopShell final : public Shell {
public:
    bool open(const QString& document, QString* whyNot = nullptr) override;
    void copyText(const QString& text) override;
};

} // namespace kx
