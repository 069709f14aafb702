#include "support/testprogram.h"
#include "support/variantprinter.h"

#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using kx::Variant;
using kx::test::TestProgram;
namespace names = kx::names;

namespace {

const QString kLabel1 = QStringLiteral("Label1");
const QString kLabel2 = QStringLiteral("Label2");

// A zero reading as the readout shows it in the default locale.
QString zeroReading() {
    return QStringLiteral("0") + QLocale().decimalPoint() + QStringLiteral("00 cm");
}

const QStringList& otherWindows() {
    static const QStringList list{names::Form1, names::Form2, names::Form31, names::Form42, names::Zollstock};
    return list;
}

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

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void firstStartWithAnEmptyStore() {
        TestProgram t;
        t.start();
        kx::Start& s = t.start_();
        verifyZeroPoints(t, -7200, 414);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(t.m().TwipsPerUnit, std::int16_t(567));
        QCOMPARE(t.m().UnitSuffix, Variant::fromText(QStringLiteral(" cm")));
        QCOMPARE(t.m().PixelTwipsX, Variant::fromSingle(15.0f));
        QCOMPARE(t.m().PixelTwipsY, Variant::fromSingle(15.0f));
        QCOMPARE(t.screen.contextsTaken(), 1);
        QCOMPARE(t.m().DesktopDC, quintptr(0xDC));

        // The magnifier waits, ready to refresh every 50 ms; the mirror runs.
        QCOMPARE(s.Timer1->interval(), 50);
        QVERIFY(!s.Timer1->enabled());
        QVERIFY(!s.Timer2->enabled());
        QVERIFY(s.Timer3->running());

        // The banner from the hidden store is in place; the pointer is back to normal; Check1 has the focus.
        QVERIFY(!s.Picture4->picture().isNull());
        QCOMPARE(s.Picture1->picture(), s.Picture4->picture());
        QCOMPARE(s.Picture1->drawing(), s.Picture4->picture().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(s.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(s.focusWidget(), s.Check1->widget());
        QCOMPARE(t.app().helpFile(), t.app().path() + QStringLiteral("/HILFE.hlp"));

        // Every other window is loaded and hidden; the four caliper windows are kept on top.
        QVERIFY(s.isVisible());
        for (const QString& name : otherWindows()) {
            QVERIFY2(t.app().isLoaded(name), qPrintable(name));
            QVERIFY2(!t.app().form(name).isVisible(), qPrintable(name));
        }
        QCOMPARE(s.Check5->value(), 1);
        const QList<QPair<kx::forms::Form*, kx::forms::CheckBox*>> onTop{{&t.form1(), t.form1().Check1},
                                                                        {&t.form2(), t.form2().Check1},
                                                                        {&t.form31(), t.form31().Check1},
                                                                        {&t.form42(), t.form42().Check1}};
        for (const auto& [window, check] : onTop) {
            QCOMPARE(check->value(), 1);
            QVERIFY2(t.windows.isTopmost(window), qPrintable(window->formName()));
        }
    }

    void scaleAndReadingsAfterStartup() {
        TestProgram t;
        t.start();
        kx::Start& s = t.start_();
        QCOMPARE(t.m().ScaleFactor, std::int16_t(0)); // until the mirror's first tick
        t.advance(1);
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1));
        s.HScroll2->setValue(1000);
        QCOMPARE(s.Label7->caption(), QStringLiteral("1000"));
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1));
        t.advance(1);
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1000));

        // Both sliders stand at their zero points: both readings are zero, whatever the scale.
        t.advance(50);
        QCOMPARE(t.form2().Label1->caption(), zeroReading());
        QCOMPARE(t.form42().Label1->caption(), zeroReading());
        QCOMPARE(t.form2().caption(), zeroReading());
        QCOMPARE(s.Label3->caption(), zeroReading());
        QCOMPARE(s.Label4->caption(), zeroReading());
    }

    void mirrorTickWhileStartupYields() {
        // The panel's mirror ticks while startup lets pending events run: it reaches the sliders before
        // their turn to load, which must give the same program.
        TestProgram t;
        t.store(kLabel1, QStringLiteral("-7300"));
        QTimer::singleShot(0, [&t] { t.advance(1); });
        t.start();
        QCOMPARE(t.clock.now().count(), 1LL);
        QCOMPARE(t.m().ScaleFactor, std::int16_t(1));
        verifyZeroPoints(t, -7300, 414);
        if (QTest::currentTestFailed()) return;
        for (const QString& name : otherWindows()) QVERIFY2(!t.app().form(name).isVisible(), qPrintable(name));
        QVERIFY(t.windows.isTopmost(&t.form2()) && t.windows.isTopmost(&t.form42()));
        t.advance(51);
        QCOMPARE(t.start_().Label3->caption(), zeroReading());
        QCOMPARE(t.start_().Label4->caption(), zeroReading());
    }

    void restoresStoredZeroPoints_data() {
        QTest::addColumn<QString>("storedX");
        QTest::addColumn<QString>("storedY");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("inside") << "-7100" << "300" << -7100 << 300;
        QTest::newRow("defaults") << "-7200" << "414" << -7200 << 414;
        // Where the bar already stands after its range was set: no Change runs by itself.
        QTest::newRow("high and low ends") << "-7000" << "214" << -7000 << 214;
        QTest::newRow("low and high ends") << "-7400" << "614" << -7400 << 614;
        QTest::newRow("blanks around") << " -7399 " << "\t215" << -7399 << 215;
    }
    void restoresStoredZeroPoints() {
        QFETCH(QString, storedX);
        QFETCH(QString, storedY);
        QFETCH(int, x);
        QFETCH(int, y);
        TestProgram t;
        t.store(kLabel1, storedX);
        t.store(kLabel2, storedY);
        t.start();
        verifyZeroPoints(t, x, y);
        if (QTest::currentTestFailed()) return;
        t.advance(51);
        QCOMPARE(t.start_().Label3->caption(), zeroReading());
        QCOMPARE(t.start_().Label4->caption(), zeroReading());
        t.program->shutDown();
        QCOMPARE(t.stored(kLabel1), QString::number(x));
        QCOMPARE(t.stored(kLabel2), QString::number(y));
    }

    void badStoredValuesFallBackToTheDefault_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QList<QPair<const char*, QString>> bad{
            {"garbage", QStringLiteral("abc")},
            {"empty", QString()},
            {"exponent", QStringLiteral("1e9")},
            {"decimal", QStringLiteral("300.5")},
            {"huge", QStringLiteral("99999999999999999999")},
            {"very long", QString(5000, QLatin1Char('7'))},
            {"arabic-indic digits", QStringLiteral("\u0663\u0660\u0660")},
        };
        for (const QString& key : {kLabel1, kLabel2})
            for (const auto& [name, value] : bad) QTest::addRow("%s %s", qPrintable(key), name) << key << value;
        QTest::newRow("Label1 out of range") << kLabel1 << "-6999";
        QTest::newRow("Label1 other caliper's value") << kLabel1 << "414";
        QTest::newRow("Label2 out of range") << kLabel2 << "615";
        QTest::newRow("Label2 negative") << kLabel2 << "-300";
    }
    void badStoredValuesFallBackToTheDefault() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        TestProgram t;
        t.store(key, value);
        t.start();
        QVERIFY(t.start_().isVisible());
        QVERIFY(t.app().isLoaded(names::Zollstock)); // startup went to its end
        verifyZeroPoints(t, -7200, 414);
        if (QTest::currentTestFailed()) return;
        t.program->shutDown();
        QCOMPARE(t.stored(kLabel1), QStringLiteral("-7200"));
        QCOMPARE(t.stored(kLabel2), QStringLiteral("414"));
    }

    void shutdownWritesBothKeysAndEndsEverything_data() {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("shut down") << false;
        QTest::newRow("window closed") << true;
    }
    void shutdownWritesBothKeysAndEndsEverything() {
        QFETCH(bool, byClosing);
        TestProgram t;
        t.store(kLabel1, QStringLiteral("-7100"));
        t.store(kLabel2, QStringLiteral("500"));
        t.start();
        if (byClosing)
            t.start_().close();
        else
            t.program->shutDown();
        // Unchanged values are written all the same, each once.
        QCOMPARE(t.settings.writes(), 2);
        QCOMPARE(t.stored(kLabel1), QStringLiteral("-7100"));
        QCOMPARE(t.stored(kLabel2), QStringLiteral("500"));
        QCOMPARE(t.screen.contextsReleased(), 1);
        QVERIFY(!t.app().isLoaded(names::Start));
        for (const QString& name : otherWindows()) QVERIFY2(!t.app().isLoaded(name), qPrintable(name));
        QCOMPARE(t.clock.runningTimers(), 0);
        t.program->shutDown(); // a second shutdown finds nothing to do
        QCOMPARE(t.settings.writes(), 2);
        QCOMPARE(t.screen.contextsReleased(), 1);
    }

    void readOnlyStoreDoesNotStopShutdown() {
        TestProgram t;
        t.settings.setReadOnly(true);
        t.start();
        t.program->shutDown();
        QCOMPARE(t.settings.writes(), 2);
        QVERIFY(!t.settings.contains(QStringLiteral("Kalibrix"), QStringLiteral("Settings"), kLabel1));
        QCOMPARE(t.screen.contextsReleased(), 1);
    }

    void calibrationSurvivesARestart() {
        QString savedX, savedY;
        {
            TestProgram first;
            first.start();
            kx::Start& s = first.start_();
            s.HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // one arrow click
            s.VScroll1->setValue(600);
            QCOMPARE(first.m().ZeroX, Variant::fromText(QStringLiteral("-7199")));
            first.start_().close();
            savedX = first.stored(kLabel1);
            savedY = first.stored(kLabel2);
        }
        QCOMPARE(savedX, QStringLiteral("-7199"));
        QCOMPARE(savedY, QStringLiteral("600"));
        TestProgram second;
        second.store(kLabel1, savedX);
        second.store(kLabel2, savedY);
        second.start();
        verifyZeroPoints(second, -7199, 600);
    }

    void calibrationSurvivesARestartInTheNativeStore() {
        // The platform's own per-user store, kept in a scratch configuration directory.
        QTemporaryDir config;
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        kx::NativeSettingsStore native;
        QCOMPARE(native.getSetting("Kalibrix", "Settings", kLabel1, "-7200"), QStringLiteral("-7200"));
        for (int run = 0; run < 2; ++run) {
            TestProgram t;
            t.program = std::make_unique<kx::Program>(kx::forms::Environment{t.clock, t.screen, t.windows, native, t.shell});
            t.start();
            if (run == 0) {
                t.start_().HScroll1->setValue(-7321);
                t.start_().VScroll1->setValue(222);
                t.start_().close();
            } else {
                verifyZeroPoints(t, -7321, 222);
            }
        }
        // Written as the decimal text under the application's name and section.
        QSettings file(QSettings::NativeFormat, QSettings::UserScope, "Kalibrix", "Kalibrix");
        QVERIFY(file.fileName().startsWith(config.path()));
        QCOMPARE(file.value("Settings/Label1").toString(), QStringLiteral("-7321"));
        // A value edited into something else from outside reads as no zero point.
        file.setValue("Settings/Label2", QStringList{"300", "400"});
        file.sync();
        QCOMPARE(kx::validZeroPoint(native.getSetting("Kalibrix", "Settings", kLabel2, "414"), kx::kVerticalZero), 414);
    }

    void closingWithTheMagnifierRunning() {
        TestProgram t;
        t.start();
        kx::Start& s = t.start_();
        s.Check3->setValue(1);
        QVERIFY(s.Timer1->running());
        t.advance(120);
        const int grabs = t.screen.grabs();
        QVERIFY(grabs > 0);
        s.close();
        QCOMPARE(t.screen.contextsReleased(), 1);
        QCOMPARE(t.settings.writes(), 2);
        QCOMPARE(t.clock.runningTimers(), 0);
        t.advance(1000); // nothing ticks any more
        QCOMPARE(t.screen.grabs(), grabs);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
