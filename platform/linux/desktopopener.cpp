#include "platform/qt/systemhooks.h"

#include <QCoreApplication>
#include <QProcess>

namespace kx {

bool openOnDesktop(const QString& document, bool, QString* whyNot) {
    // One argument, no shell: spaces, quotes and $(...) in the name arrive unchanged.
    if (QProcess::startDetached(QStringLiteral("xdg-open"), {document})) return true;
    if (whyNot)
        *whyNot =
            QCoreApplication::translate("Kalibrix", "The desktop's opener (xdg-open) could not be started.");
    return false;
}

} // namespace kx
