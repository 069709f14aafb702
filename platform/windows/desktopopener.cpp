#include "platform/qt/systemhooks.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace kx {

bool openOnDesktop(const QString& document, bool isAddress, QString* whyNot) {
    const QUrl url = isAddress ? QUrl(document) : QUrl::fromLocalFile(document);
    if (QDesktopServices::openUrl(url)) return true;
    if (whyNot) *whyNot = QCoreApplication::translate("Kalibrix", "The desktop has no program to open it.");
    return false;
}

} // namespace kx
