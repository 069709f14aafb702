#pragma once

#include "platform/shell.h"

#include <QStringList>

namespace kx {

// The shell's test double: it notes what was opened and copied, and opens successfully unless told
// otherwise.
class FakeShell final : public Shell {
public:
    bool open(const QString& document, QString* whyNot) override {
        opened.append(document);
        if (!result && whyNot) *whyNot = QStringLiteral("The file does not exist.");
        return result;
    }
    void copyText(const QString& text) override { copied.append(text); }
    QStringList opened;
    QStringList copied;
    bool result = true;
};

} // namespace kx
