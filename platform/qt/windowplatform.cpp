#include "platform/displaysession.h"

#include <QCoreApplication>
#include <QList>
#include <QMessageLogContext>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

namespace kx {

void forgetChosenPlatform() {
    qunsetenv("QT_QPA_PLATFORM");
}

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

// What a WindowPlatformStart keeps while it exists. Messages may come from any thread.
struct PlatformStart {
    QtMessageHandler previous = nullptr;
    QList<HeldMessage> held;
    QString cannot;    // "Kalibrix cannot start the window platform ...", in the user's language
    QString installed; // "Installed: %1."
    int exitCode = 0;
};

std::mutex g_mutex;
std::optional<PlatformStart> g_start;

// Qt lists the platforms it has at the end of its message: "Available platform plugins are: a, b.".
QString installedPlatforms(const QString& qtMessage) {
    static const QLatin1String kList("Available platform plugins are:");
    const qsizetype at = qtMessage.lastIndexOf(kList);
    if (at < 0) return {};
    QString list = qtMessage.mid(at + kList.size()).trimmed();
    if (list.endsWith(QLatin1Char('.'))) list.chop(1);
    return list;
}

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::lock_guard lock(g_mutex);
    if (!g_start) return qt_message_output(type, context, text); // it has just gone
    if (type != QtFatalMsg) {
        g_start->held.append({type, QByteArray(context.category), text});
        return;
    }
    QString line = g_start->cannot;
    if (const QString platforms = installedPlatforms(text); !platforms.isEmpty())
        line += QLatin1Char(' ') + g_start->installed.arg(platforms);
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
    // Nothing has been kept or shown yet: there is nothing to put away.
    std::_Exit(g_start->exitCode);
}

// The platform the user named: the -platform option wins over QT_QPA_PLATFORM, as in Qt.
QString namedPlatform(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

} // namespace

WindowPlatformStart::WindowPlatformStart(int argc, char** argv, int exitCode) {
    const std::lock_guard lock(g_mutex);
    PlatformStart& start = g_start.emplace();
    start.exitCode = exitCode;
    const QString named = namedPlatform(argc, argv);
    start.cannot =
        named.isEmpty()
            ? QCoreApplication::translate("Kalibrix", "Kalibrix cannot start Qt's window platform: it is not "
                                                      "installed, or it cannot start here.")
            : QCoreApplication::translate("Kalibrix",
                                          "Kalibrix cannot start the window platform \"%1\" "
                                          "(QT_QPA_PLATFORM or -platform): it is not installed, or "
                                          "it cannot start here.")
                  .arg(named);
    start.installed = QCoreApplication::translate("Kalibrix", "Installed: %1.");
    start.previous = qInstallMessageHandler(holdOrEnd);
}

WindowPlatformStart::~WindowPlatformStart() {
    std::optional<PlatformStart> start;
    {
        const std::lock_guard lock(g_mutex);
        qInstallMessageHandler(g_start->previous);
        start.swap(g_start);
    }
    for (const HeldMessage& message : start->held) {
        const QMessageLogContext context(nullptr, 0, nullptr,
                                         message.category.isNull() ? nullptr : message.category.constData());
        start->previous(message.type, context, message.text);
    }
}

} // namespace kx
