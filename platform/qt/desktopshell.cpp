#include "platform/qt/desktopshell.h"

#include "platform/qt/systemhooks.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

namespace kx {

bool DesktopShell::open(const QString& document, QString* whyNot) {
    const bool isAddress = document.contains(QLatin1String("://"));
    if (!isAddress && !QFileInfo::exists(document)) {
        if (whyNot) *whyNot = QCoreApplication::translate("Kalibrix", "The file does not exist.");
        return false;
    }
    return openOnDesktop(document, isAddress, whyNot);
}

void DesktopShell::copyText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    // X11 also has the selection that a middle click pastes.
    if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
}

} // namespace kx
