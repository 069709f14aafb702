// Closing a window from the window manager (Alt+F4, a taskbar's close) must not lose a caliper.

#include "support/testprogram.h"

#include <QtTest>

using kx::test::TestProgram;

class TestWindowClose : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void closingACaliperWindowPutsTheCaliperAway_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("closeSlider");
        QTest::newRow("horizontal beam") << false << false;
        QTest::newRow("horizontal slider") << false << true;
        QTest::newRow("vertical beam") << true << false;
        QTest::newRow("vertical slider") << true << true;
    }
    void closingACaliperWindowPutsTheCaliperAway() {
        QFETCH(bool, vertical);
        QFETCH(bool, closeSlider);
        TestProgram t;
        t.start();
        kx::Start& panel = t.start_();
        kx::forms::CheckBox* button = vertical ? panel.Check2 : panel.Check1;
        kx::Beam& beam = vertical ? t.form31() : t.form1();
        kx::Slider& slider = vertical ? t.form42() : t.form2();
        button->setValue(1);
        slider.Command1_Click(); // the slider stands one pixel off its zero point
        const double offset = (vertical ? t.m().SliderOffsetY : t.m().SliderOffsetX).toDouble();

        QVERIFY(!(closeSlider ? static_cast<QWidget&>(slider) : beam).close());

        QVERIFY(t.app().isLoaded(vertical ? kx::names::Form31 : kx::names::Form1));
        QVERIFY(t.app().isLoaded(vertical ? kx::names::Form42 : kx::names::Form2));
        QVERIFY(!beam.isVisible() && !slider.isVisible());
        QCOMPARE(button->value(), 0); // the panel agrees
        QCOMPARE((vertical ? t.m().SliderOffsetY : t.m().SliderOffsetX).toDouble(), offset);
        button->setValue(1); // and shows the caliper again as it was
        QVERIFY(beam.isVisible() && slider.isVisible());
    }

    void closingTheFoldingRuleFoldsItUp() {
        TestProgram t;
        t.start();
        t.start_().Picture6_Click();
        t.advance(200);
        QVERIFY(!t.zollstock().close());
        QVERIFY(t.app().isLoaded(kx::names::Zollstock));
        t.advance(1000);
        QVERIFY(!t.zollstock().isVisible());
    }

    // A close that arrives while the panel is still starting (its start-up lets pending events run)
    // ends the program once the start-up is done, instead of finishing the start-up on a deleted
    // window; a zero point changed meanwhile is kept.
    void closingThePanelWhileItStartsEndsTheProgramAfterTheStart() {
        TestProgram t;
        bool ended = false;
        t.app().onLastUnloaded = [&] { ended = true; };
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                t.start_().HScroll1->setValue(-7100);
                t.start_().close();
                QVERIFY(t.app().isLoaded(kx::names::Start)); // unloaded once the start-up is done
            },
            Qt::QueuedConnection);
        t.start();
        QVERIFY(ended);
        QVERIFY(!t.app().isLoaded(kx::names::Start) && !t.app().isLoaded(kx::names::Form1));
        QCOMPARE(t.stored(kx::setting::HorizontalZero), QStringLiteral("-7100"));
    }
};

QTEST_MAIN(TestWindowClose)
#include "test_windowclose.moc"
