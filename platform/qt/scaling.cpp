#include "platform/scaling.h"

#include <QByteArray>
#include <QtGlobal>

namespace kx {

namespace {
RequestedScaling g_requested;

double positiveNumber(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && v > 0 && v < 100 ? v : 0.0;
}
} // namespace

double RequestedScaling::factorFor(const QString& name, int index) const {
    double perScreen = 1.0;
    int place = 0;
    for (const Entry& e : screens) {
        if (e.name.isEmpty()) {
            if (place++ == index) perScreen = e.factor;
        } else if (e.name == name) {
            perScreen = e.factor;
        }
    }
    return factor * perScreen;
}

QList<RequestedScaling::Entry> parseScreenFactors(const QString& text) {
    QList<RequestedScaling::Entry> entries;
    for (const QString& item : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        RequestedScaling::Entry e;
        if (eq >= 0) e.name = item.left(eq).trimmed();
        e.factor = positiveNumber(eq >= 0 ? item.mid(eq + 1) : item);
        if (e.factor > 0 && (eq < 0 || !e.name.isEmpty())) entries.append(e);
    }
    return entries;
}

void takeOverScaling() {
    if (const double f = positiveNumber(qEnvironmentVariable("QT_SCALE_FACTOR")); f > 0) g_requested.factor = f;
    g_requested.screens = parseScreenFactors(qEnvironmentVariable("QT_SCREEN_SCALE_FACTORS"));
    // Qt applies these even with its own scaling off; the program applies them instead.
    for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                             "QT_USE_PHYSICAL_DPI"})
        qunsetenv(name);
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

const RequestedScaling& requestedScaling() {
    return g_requested;
}

} // namespace kx
