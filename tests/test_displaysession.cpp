// Which window platform Kalibrix asks Qt for, and what it says when no display can be opened: on a
// Wayland session XWayland unless the user chose a platform, a one-line reason for each missing display.

#include "platform/displaysession.h"

#include <QTest>

namespace {

const char* const kVariables[] = {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM", "DISPLAY"};

} // namespace

class TestDisplaySession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void platformAndDisplayProblem_data() {
        QTest::addColumn<QStringList>("environment"); // WAYLAND_DISPLAY, XDG_SESSION_TYPE, QT_QPA_PLATFORM, DISPLAY
        QTest::addColumn<QString>("platform");        // QT_QPA_PLATFORM after the choice
        QTest::addColumn<QString>("problem");         // a part of the message; empty: none
        // ":65000" is a display no X server serves here.
        QTest::newRow("Wayland session, XWayland gone") << QStringList{"wayland-0", "wayland", "", ":65000"} << "xcb"
                                                       << "is XWayland running";
        QTest::newRow("Wayland socket without XWayland") << QStringList{"wayland-0", "", "", ""} << "xcb"
                                                        << "needs XWayland";
        QTest::newRow("session type alone") << QStringList{"", "wayland", "", ""} << "xcb" << "needs XWayland";
        QTest::newRow("the user's platform wins") << QStringList{"wayland-0", "wayland", "wayland", ""} << "wayland"
                                                  << "";
        QTest::newRow("the user's xcb, no X") << QStringList{"", "", "xcb", ""} << "xcb" << "DISPLAY is empty";
        QTest::newRow("X11 session, dead display") << QStringList{"", "x11", "", ":65000"} << "" << "\":65000\"";
        QTest::newRow("nothing set") << QStringList{"", "", "", ""} << "" << "no display is set";
    }
    void platformAndDisplayProblem() {
        QFETCH(QStringList, environment);
        QFETCH(QString, platform);
        QFETCH(QString, problem);
        for (int i = 0; i < 4; ++i) {
            if (environment[i].isEmpty())
                qunsetenv(kVariables[i]);
            else
                qputenv(kVariables[i], environment[i].toUtf8());
        }
        const bool chose = kx::chooseWindowPlatform();
        QCOMPARE(qEnvironmentVariable("QT_QPA_PLATFORM"), platform);
        const QString message = kx::displayProblem();
        QVERIFY2(problem.isEmpty() ? message.isEmpty() : message.contains(problem), qPrintable(message));
        QVERIFY(!message.contains(QLatin1Char('\n')));
        if (chose) kx::forgetChosenPlatform();
        QCOMPARE(qEnvironmentVariable("QT_QPA_PLATFORM"), environment[2]);
    }
};

QTEST_APPLESS_MAIN(TestDisplaySession)
#include "test_displaysession.moc"
