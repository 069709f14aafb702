// Startup and shutdown of the whole program: the command line, the zero points from the settings store
// into the panel, the model and the sliders and back, the windows loaded with the panel, and what ends
// with it.

#include "startup/commandline.h"
#include "support/testprogram.h"
#include "support/variantprinter.h"

#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <memory>

using kx::Variant;
using kx::test::TestProgram;
namespace names = kx::names;

namespace {

const kx::StoredSetting& kZeroX = kx::setting::HorizontalZero;
const kx::StoredSetting& kZeroY = kx::setting::VerticalZero;
const QStringList kOtherWindows{names::Form1, names::Form2, names::Form31, names::Form42, names::Zollstock};

// Both zero points as the panel, the model and the sliders hold them after startup.
void verifyZeroPoints(TestProgram& t, int x, int y) {
    kx::Start& s = t.start_();
    QCOMPARE(s.HScroll1->value(), x);
    QCOMPARE(s.Label1->caption(), QString::number(x));
    QCOMPARE(t.m().ZeroX, Variant::fromText(QString::number(x)));
    QCOMPARE(t.m().SliderOffsetX, Variant::fromText(QString::number(x)));
    QCOMPARE(s.VScroll1->value(), y);
    QCOMPARE(s.Label2->caption(), QString::number(y));
    QCOMPARE(t.m().ZeroY, Variant::fromText(QString::number(y)));
    QCOMPARE(t.m().SliderOffsetY, Variant::fromText(QString::number(y)));
}

void verifyZeroReadings(TestProgram& t) {
    QCOMPARE(t.start_().Label3->caption(), QStringLiteral("0.00 cm"));
    QCOMPARE(t.start_().Label4->caption(), QStringLiteral("0.00 cm"));
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // --help and --version answer and end; an unknown option or a stray argument is one line of error
    // and exit code 2; Qt's own options go on to start the program.
    void commandLine_answersOrStarts_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("start");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // a part of standard output
        QTest::addColumn<QString>("error");
        QTest::newRow("none") << QStringList{} << true << 0 << "" << "";
        QTest::newRow("--help") << QStringList{"--help"} << false << 0 << "--version" << "";
        QTest::newRow("--help-all") << QStringList{"--help-all"} << false << 0 << "-platform <value>" << "";
        QTest::newRow("-v") << QStringList{"-v"} << false << 0 << "Kalibrix 0.1.0\n" << "";
        QTest::newRow("Qt's options") << QStringList{"-platform", "xcb", "-reverse"} << true << 0 << "" << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << false << 2 << ""
                                        << "kalibrix: Unknown option 'frobnicate'.\n";
        QTest::newRow("stray argument") << QStringList{"datei.txt"} << false << 2 << ""
                                        << "kalibrix: Unexpected argument 'datei.txt'.\n";
    }
    void commandLine_answersOrStarts() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, start);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, error);
        QCoreApplication::setApplicationName(QStringLiteral("Kalibrix"));
        QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0"));
        const kx::CommandLineAnswer answer = kx::parseCommandLine(QStringList{"/usr/bin/kalibrix"} + arguments);
        QCOMPARE(answer.start, start);
        QCOMPARE(answer.exitCode, exitCode);
        QVERIFY2(answer.output.contains(output) && (output.isEmpty() || !answer.output.isEmpty()), qPrintable(answer.output));
        QCOMPARE(answer.error, error);
    }

    void firstStartWithAnEmptyStore() {
        TestProgram t;
        t.start();
        kx::Start& s = t.start_();
        verifyZeroPoints(t, -7200, 414);
        QCOMPARE(t.m().PixelTwipsX, Variant::fromSingle(15.0f));
        QCOMPARE(t.m().PixelTwipsY, Variant::fromSingle(15.0f));
        QCOMPARE(s.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(s.focusWidget(), s.Check1->widget());

        // Every other window is loaded and hidden; the four caliper windows are kept on top.
        QVERIFY(s.isVisible());
        for (const QString& name : kOtherWindows) {
            QVERIFY2(t.app().isLoaded(name), qPrintable(name));
            QVERIFY2(!t.app().form(name).isVisible(), qPrintable(name));
            QCOMPARE(t.windows.isTopmost(&t.app().form(name)), name != names::Zollstock);
        }

        // The scale is read at the mirror's ticks; both readings are zero, whatever the scale.
        QCOMPARE(t.m().ScaleFactor, std::int16_t(0));
        t.advance(1);
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1));
        s.HScroll2->setValue(1000);
        QCOMPARE(s.Label7->caption(), QStringLiteral("1000"));
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1));
        t.advance(1);
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1000));
        t.advance(50);
        QCOMPARE(t.form2().Label1->caption(), QStringLiteral("0.00 cm"));
        verifyZeroReadings(t);
    }

    void mirrorTickWhileStartupYields() {
        // The panel's mirror ticks while startup lets pending events run: it reaches the sliders before
        // their turn to load, which must give the same program.
        TestProgram t;
        t.store(kZeroX, QStringLiteral("-7300"));
        QTimer::singleShot(0, [&t] { t.advance(1); });
        t.start();
        QCOMPARE(t.clock.now().count(), 1LL);
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1));
        verifyZeroPoints(t, -7300, 414);
        for (const QString& name : kOtherWindows) QVERIFY2(!t.app().form(name).isVisible(), qPrintable(name));
        QVERIFY(t.windows.isTopmost(&t.form2()) && t.windows.isTopmost(&t.form42()));
        t.advance(51);
        verifyZeroReadings(t);
    }

    // What startup makes of the stored values, and what shutdown (or closing the panel, with the
    // magnifier running) writes back: nothing that was not changed, not even a damaged value read as
    // the default; a change not yet saved is written. Nothing runs afterwards.
    void zeroPointsFromStartupToShutdown_data() {
        QTest::addColumn<QString>("storedX");
        QTest::addColumn<QString>("storedY");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("byClosing");
        QTest::addColumn<bool>("changeX"); // HScroll1 moved to -7123 just before the end
        QTest::newRow("inside") << "-7100" << "300" << -7100 << 300 << false << false;
        // Where the bar already stands after its range was set: no Change runs by itself.
        QTest::newRow("high and low ends") << "-7000" << "214" << -7000 << 214 << true << true;
        QTest::newRow("low and high ends") << "-7400" << "614" << -7400 << 614 << false << true;
        QTest::newRow("blanks around") << " -7399 " << "\t215" << -7399 << 215 << true << false;
        QTest::newRow("garbage, empty") << "abc" << "" << -7200 << 414 << false << false;
        QTest::newRow("just out of range") << "-6999" << "615" << -7200 << 414 << true << true;
        QTest::newRow("the other caliper's values") << "414" << "-7200" << -7200 << 414 << false << false;
        QTest::newRow("huge, decimal") << "99999999999999999999" << "300.5" << -7200 << 414 << true << false;
    }
    void zeroPointsFromStartupToShutdown() {
        QFETCH(QString, storedX);
        QFETCH(QString, storedY);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, byClosing);
        QFETCH(bool, changeX);
        TestProgram t;
        t.store(kZeroX, storedX);
        t.store(kZeroY, storedY);
        t.start();
        QVERIFY(t.app().isLoaded(names::Zollstock)); // startup went to its end
        verifyZeroPoints(t, x, y);
        t.advance(51);
        verifyZeroReadings(t);

        t.start_().Check3->setValue(1);
        t.advance(1120);
        QCOMPARE(t.settings.writes(), 0);
        if (changeX) t.start_().HScroll1->setValue(-7123);
        const int grabs = t.screen.grabs();
        if (byClosing)
            t.start_().close();
        else
            t.program->shutDown();
        QCOMPARE(t.settings.writes(), changeX ? 1 : 0);
        QCOMPARE(t.stored(kZeroX), changeX ? QStringLiteral("-7123") : storedX);
        QCOMPARE(t.stored(kZeroY), storedY);
        QVERIFY(!t.app().isLoaded(names::Start));
        for (const QString& name : kOtherWindows) QVERIFY2(!t.app().isLoaded(name), qPrintable(name));
        QCOMPARE(t.clock.runningTimers(), 0);
        t.advance(1000);
        QCOMPARE(t.screen.grabs(), grabs);
        t.program->shutDown(); // a second shutdown finds nothing to do
        QCOMPARE(t.settings.writes(), changeX ? 1 : 0);
    }

    // The Display section read at start: true size, a monitor's calibration and the known-length scale,
    // each ignored when it does not make sense. The horizontal jaws stand 120 pixels apart on the
    // fake 96-dpi monitor, which reports no size.
    void realLengthsFromTheStore_data() {
        QTest::addColumn<QString>("trueSize");
        QTest::addColumn<QString>("density"); // of the monitor "fake"
        QTest::addColumn<QString>("knownScale");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("scaleShown");
        QTest::newRow("nothing stored") << "" << "" << "" << "3.17 cm" << "1";
        QTest::newRow("calibrated to 120 ppi") << "true" << "120 120" << "" << "2.54 cm" << "1";
        QTest::newRow("only across calibrated") << "true" << "120 0" << "" << "2.54 cm" << "1";
        QTest::newRow("known-length scale") << "" << "" << "2.5" << "7.94 cm" << "2.5";
        QTest::newRow("both") << "true" << "120 120" << "0.5" << "1.27 cm" << "0.5";
        QTest::newRow("damaged switch") << "yes" << "120 120" << "" << "3.17 cm" << "1";
        QTest::newRow("absurd density") << "true" << "5000 abc" << "" << "3.17 cm" << "1";
        QTest::newRow("negative scale") << "" << "" << "-3" << "3.17 cm" << "1";
        QTest::newRow("scale not a number") << "" << "" << "abc" << "3.17 cm" << "1";
    }
    void realLengthsFromTheStore() {
        QFETCH(QString, trueSize);
        QFETCH(QString, density);
        QFETCH(QString, knownScale);
        QFETCH(QString, reading);
        QFETCH(QString, scaleShown);
        TestProgram t;
        t.store(kx::setting::TrueSize, trueSize);
        t.store(kx::setting::Density, density, "Density.fake");
        t.store(kx::setting::KnownLengthScale, knownScale);
        t.start();
        for (int i = 0; i < 120; ++i) t.form2().Command1_Click();
        t.advance(51);
        QCOMPARE(t.start_().Label3->caption(), reading);
        QCOMPARE(t.start_().Label7->caption(), scaleShown);
        t.start_().close();
        QCOMPARE(t.settings.writes(), 0); // nothing was changed: nothing is written
    }

    void changedZeroPointsAreWrittenWithinASecond() {
        TestProgram t;
        t.start();
        kx::Start& s = t.start_();
        s.HScroll1->setValue(-7150);
        t.advance(300);
        s.HScroll1->setValue(-7140); // still moving: written once, where it came to rest
        t.advance(699);
        QCOMPARE(t.settings.writes(), 0);
        t.advance(1);
        QCOMPARE(t.settings.writes(), 1);
        QCOMPARE(t.stored(kZeroX), QStringLiteral("-7140"));
        QVERIFY(!t.isStored(kZeroY));
        // Moved away and back before the second is over: nothing to write.
        s.VScroll1->setValue(300);
        s.VScroll1->setValue(414);
        t.advance(5000);
        QCOMPARE(t.settings.writes(), 1);
    }

    void aStoreThatCannotBeWrittenIsToldOnceAndDoesNotStopShutdown() {
        TestProgram t;
        t.settings.setReadOnly(true);
        t.start();
        kx::Start& s = t.start_();
        for (int zero : {-7100, -7000}) {
            s.HScroll1->setValue(zero);
            t.advance(1000);
        }
        QCOMPARE(t.settings.writes(), 2);
        const auto messages = s.findChildren<QMessageBox*>();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0]->isVisible() && !messages[0]->isModal());
        QVERIFY(messages[0]->text().contains(QStringLiteral("memory:Kalibrix")));
        QVERIFY(messages[0]->text().contains(QStringLiteral("read-only")));
        QVERIFY(t.app().isLoaded(names::Form1)); // the program goes on
        // The zero point that could not be written is tried once more at the end; the other one was
        // never changed.
        t.program->shutDown();
        QCOMPARE(t.settings.writes(), 3);
        QVERIFY(!t.isStored(kZeroX));
    }

    // In the platform's own store: a change is kept across a restart, and a value the user edits in the
    // store while the program runs stays, since the program writes only what it changed itself.
    void calibrationSurvivesARestartInTheNativeStore() {
        // Under a scratch root of its own.
        kx::ScratchSettingsRoot scratch;
        kx::NativeSettingsStore native(scratch.root());
        QCOMPARE(native.getSetting("Kalibrix", "Settings", "Label1", "-7200"), QStringLiteral("-7200"));
        for (int run = 0; run < 2; ++run) {
            TestProgram t;
            t.program = std::make_unique<kx::Program>(kx::forms::Environment{t.clock, t.screen, t.windows, native, t.shell});
            t.start();
            if (run == 0) {
                t.start_().HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // one arrow click
                QCOMPARE(t.m().ZeroX, Variant::fromText(QStringLiteral("-7199")));
                t.advance(1000);
                QVERIFY(native.flush(std::chrono::seconds(10)));
                native.open("Kalibrix")->setValue("Settings/Label2", "600"); // the user, in an editor
                t.start_().close();
            } else {
                verifyZeroPoints(t, -7199, 600);
                t.start_().VScroll1->setValue(222);
                t.start_().close(); // within the second: written at the close
            }
        }
        QVERIFY(native.flush(std::chrono::seconds(10)));
        QCOMPARE(native.getSetting("Kalibrix", "Settings", "Label2", "414"), QStringLiteral("222"));
        // Written as the decimal text (a string, not a number) under the application's name and section.
        auto file = native.open("Kalibrix");
        QCOMPARE(file->value("Settings/Label1"), QVariant(QStringLiteral("-7199")));
        // A value edited into something else from outside reads as no zero point.
        file->setValue("Settings/Label2", QStringList{"300", "400"});
        file->sync();
        QCOMPARE(kx::storedInteger(kZeroY, native.getSetting("Kalibrix", "Settings", "Label2", "414")), 414);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
