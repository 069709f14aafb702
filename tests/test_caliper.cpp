// The two calipers on the test doubles: shaping, the on-top switch, the focus hand-over, the close
// spot, the slider's tracking, nudges, drag handle and readout, all driven by the hand-turned clock.

#include "shaped/regionfrompicture.h"
#include "support/testprogram.h"

#include <QMouseEvent>
#include <QTest>

using namespace kx;
using kx::test::TestProgram;

namespace {

// One caliper of a started program, shown by its panel check box.
struct Caliper {
    Beam& beam;
    Slider& slider;
    forms::CheckBox* panelCheck;
    bool vertical;

    QPoint sliderFromBeam() const { return slider.pos() - beam.pos(); }
    // Where the slider stands at the stored default zero point: the jaws touch.
    QPoint atZero() const { return vertical ? QPoint(-1, 28) : QPoint(28, -1); }
    // n pixels away from the fixed jaw.
    QPoint along(int n) const { return vertical ? QPoint(0, n) : QPoint(n, 0); }
};

Caliper caliper(TestProgram& t, bool vertical) {
    if (vertical) return {t.form31(), t.form42(), t.start_().Check2, true};
    return {t.form1(), t.form2(), t.start_().Check1, false};
}

Caliper shown(TestProgram& t, bool vertical) {
    t.start();
    Caliper c = caliper(t, vertical);
    c.panelCheck->setValue(1);
    t.advance(1);
    return c;
}

Variant& offset(TestProgram& t, bool vertical) {
    return vertical ? t.m().SliderOffsetY : t.m().SliderOffsetX;
}

forms::PictureBox* picture1(forms::Form& w) {
    if (auto* b = dynamic_cast<Beam*>(&w)) return b->Picture1;
    return static_cast<Slider&>(w).Picture1;
}

forms::CheckBox* check1(forms::Form& w) {
    if (auto* b = dynamic_cast<Beam*>(&w)) return b->Check1;
    return static_cast<Slider&>(w).Check1;
}

// A pointer movement delivered to the widget as the window system would, with or without a button held.
void hover(QWidget* w, QPoint at = QPoint(2, 2), Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// The rows of a test that runs once for each caliper.
void bothCalipers() {
    QTest::addColumn<bool>("vertical");
    QTest::newRow("horizontal") << false;
    QTest::newRow("vertical") << true;
}

} // namespace

class TestCaliper : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void load_windowTakesItsPictureAndOutline_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("horizontal beam") << names::Form1 << QSize(508, 165);
        QTest::newRow("horizontal slider") << names::Form2 << QSize(100, 167);
        QTest::newRow("vertical beam") << names::Form31 << QSize(165, 428);
        QTest::newRow("vertical slider") << names::Form42 << QSize(167, 100);
    }
    void load_windowTakesItsPictureAndOutline() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        TestProgram t;
        t.start();
        forms::Form& w = t.app().form(name);
        forms::PictureBox* picture = picture1(w);
        QCOMPARE(picture->picture().size(), size);
        QCOMPARE(picture->geometry(), QRect(QPoint(0, 0), size));
        QCOMPARE(w.size(), size);
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(t.windows.shapeCalls(&w), 1);
        const std::optional<QRegion> shape = t.windows.shape(&w);
        QVERIFY(shape && !shape->isEmpty());
        QVERIFY(shape->xored(*RegionFromPicture(picture->picture())).isEmpty());
        QVERIFY(!shape->contains(QPoint(0, 0)));
        QWidget* check = check1(w)->widget();
        QVERIFY(!shape->intersects(QRect(check->mapTo(&w, QPoint(0, 0)), check->size())));
    }

    void onTop_switchChangesOnlyTheLayer_data() {
        QTest::addColumn<QString>("name");
        for (const QString& n : {names::Form1, names::Form2, names::Form31, names::Form42}) QTest::newRow(qPrintable(n)) << n;
    }
    void onTop_switchChangesOnlyTheLayer() {
        QFETCH(QString, name);
        TestProgram t;
        t.start();
        t.start_().Check1->setValue(1);
        t.start_().Check2->setValue(1);
        t.advance(1);
        forms::Form& w = t.app().form(name);
        const QRect before = w.geometry();
        const int calls = t.windows.topmostCalls(&w);
        QVERIFY(t.windows.isTopmost(&w)); // the panel keeps the calipers on top from the start
        check1(w)->setValue(0);
        QVERIFY(!t.windows.isTopmost(&w));
        QCOMPARE(t.windows.lastActivated(), &w);
        check1(w)->setValue(1);
        QVERIFY(t.windows.isTopmost(&w));
        QCOMPARE(t.windows.topmostCalls(&w), calls + 2);
        t.advance(5);
        QCOMPARE(w.geometry(), before);
        QVERIFY(w.isVisible());
    }

    void onTop_panelOptionSetsAllFour() {
        TestProgram t;
        t.start();
        const QList<forms::Form*> all{&t.form1(), &t.form2(), &t.form31(), &t.form42()};
        for (int value : {1, 0, 1}) {
            t.start_().Check5->setValue(value);
            for (forms::Form* w : all) {
                QCOMPARE(check1(*w)->value(), value);
                QCOMPARE(t.windows.isTopmost(w), value == 1);
            }
        }
    }

    void handOver_pressFocusesSlider50msLater_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("horizontal, left") << false << Qt::LeftButton;
        QTest::newRow("horizontal, right") << false << Qt::RightButton;
        QTest::newRow("vertical, middle") << true << Qt::MiddleButton;
    }
    void handOver_pressFocusesSlider50msLater() {
        QFETCH(bool, vertical);
        QFETCH(Qt::MouseButton, button);
        TestProgram t;
        Caliper c = shown(t, vertical);
        t.windows.activate(&t.start_());
        const int loops = t.windows.moveLoopsStarted();
        const QPoint onBar = vertical ? QPoint(150, 200) : QPoint(200, 10);
        QTest::mousePress(c.beam.Picture1, button, {}, onBar);
        QVERIFY(c.beam.Timer1->enabled());
        QCOMPARE(t.windows.moveLoopsStarted(), loops + 1);
        QVERIFY(t.windows.isMoving(&c.beam));
        t.advance(49);
        QCOMPARE(t.windows.lastActivated(), &t.start_());
        t.advance(1);
        QCOMPARE(t.windows.lastActivated(), &c.slider);
        QCOMPARE(c.slider.focusWidget(), c.slider.Picture1);
        QVERIFY(!c.beam.Timer1->enabled());
        t.windows.releaseMove();
        QTest::mouseRelease(c.beam.Picture1, button, {}, onBar);
    }

    void handOver_retriedWhileSliderIsHidden() {
        TestProgram t;
        Caliper c = shown(t, false);
        c.slider.setVisibleState(false);
        t.windows.activate(&t.start_());
        c.beam.Picture1_MouseDown();
        t.advance(150);
        QVERIFY(c.beam.Timer1->enabled());
        QCOMPARE(t.windows.lastActivated(), &t.start_());
        c.slider.setVisibleState(true);
        t.advance(49);
        QVERIFY(c.beam.Timer1->enabled());
        t.advance(1);
        QVERIFY(!c.beam.Timer1->enabled());
        QCOMPARE(t.windows.lastActivated(), &c.slider);
    }

    void handOver_firstTickStopsTheOtherBeam_data() {
        QTest::addColumn<bool>("verticalFirst");
        QTest::newRow("horizontal pressed first") << false;
        QTest::newRow("vertical pressed first") << true;
    }
    void handOver_firstTickStopsTheOtherBeam() {
        QFETCH(bool, verticalFirst);
        TestProgram t;
        shown(t, false);
        t.start_().Check2->setValue(1);
        Caliper first = caliper(t, verticalFirst), second = caliper(t, !verticalFirst);
        first.beam.Picture1_MouseDown();
        second.beam.Picture1_MouseDown();
        t.advance(50);
        QVERIFY(!first.beam.Timer1->enabled());
        QVERIFY(!second.beam.Timer1->enabled());
        t.advance(100);
        QCOMPARE(t.windows.lastActivated(), &first.slider);
    }

    void handOver_cancelledByPointerOver_data() {
        QTest::addColumn<int>("spot");
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("cancels");
        QTest::newRow("panel background") << 0 << false << true;
        QTest::newRow("Frame1") << 1 << false << true;
        QTest::newRow("panel Check1") << 2 << false << true;
        QTest::newRow("panel Check2") << 3 << false << true;
        QTest::newRow("horizontal +") << 4 << false << true;
        QTest::newRow("horizontal - with a button held") << 5 << true << true;
        QTest::newRow("horizontal handle") << 6 << false << true;
        QTest::newRow("vertical +") << 7 << false << true;
        QTest::newRow("vertical handle with a button held") << 8 << true << true;
        QTest::newRow("panel option button") << 9 << false << false;
        QTest::newRow("slider picture") << 10 << false << false;
        QTest::newRow("panel Command1") << 11 << false << false;
        QTest::newRow("panel picture") << 12 << false << false;
        QTest::newRow("panel ruler strip") << 13 << false << false;
    }
    void handOver_cancelledByPointerOver() {
        QFETCH(int, spot);
        QFETCH(bool, held);
        QFETCH(bool, cancels);
        TestProgram t;
        shown(t, false);
        t.start_().Check2->setValue(1);
        Start& p = t.start_();
        QWidget* const spots[] = {&p,
                                  p.Frame1,
                                  p.Check1->widget(),
                                  p.Check2->widget(),
                                  t.form2().Command1,
                                  t.form2().Command2,
                                  t.form2().Label2,
                                  t.form42().Command1,
                                  t.form42().Label2,
                                  p.Option4,
                                  t.form2().Picture1,
                                  p.Command1,
                                  p.Picture1,
                                  p.Picture6};
        t.form1().Picture1_MouseDown();
        t.form31().Picture1_MouseDown();
        t.advance(20);
        hover(spots[spot], QPoint(3, 3), held ? Qt::LeftButton : Qt::NoButton);
        QCOMPARE(t.form1().Timer1->enabled(), !cancels);
        QCOMPARE(t.form31().Timer1->enabled(), !cancels);
    }

    void closeSpot_hidesCaliperUntilPanelShowsIt_data() { bothCalipers(); }
    void closeSpot_hidesCaliperUntilPanelShowsIt() {
        QFETCH(bool, vertical);
        TestProgram t;
        Caliper c = shown(t, vertical);
        c.beam.move(c.beam.pos() + QPoint(40, 30));
        t.advance(1);
        const QPoint beamAt = c.beam.pos(), sliderAt = c.slider.pos();
        c.beam.Picture1_MouseDown();
        t.windows.releaseMove();
        QTest::mouseClick(c.beam.Label1, Qt::LeftButton);
        QVERIFY(!c.beam.isVisible());
        QVERIFY(!c.slider.isVisible());
        QVERIFY(!c.beam.Timer1->enabled());
        QCOMPARE(c.panelCheck->value(), 0);
        QVERIFY(t.start_().Option3->value());
        QCOMPARE(t.m().TwipsPerUnit, 15);
        QCOMPARE(t.windows.lastActivated(), &t.start_());
        t.advance(100);
        QVERIFY(!c.slider.isVisible());
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.00 pic"));
        c.panelCheck->setValue(1);
        QVERIFY(c.beam.isVisible() && c.slider.isVisible());
        t.advance(1);
        QCOMPARE(c.beam.pos(), beamAt);
        QCOMPARE(c.slider.pos(), sliderAt);
    }

    void unload_beamUnloadsItsSlider() {
        TestProgram t;
        t.start();
        t.app().unload(names::Form31);
        QVERIFY(!t.app().isLoaded(names::Form42));
        QVERIFY(t.app().isLoaded(names::Form2));
        t.app().unload(names::Form1);
        QVERIFY(!t.app().isLoaded(names::Form2));
    }

    void nudge_holdingMinus400msMovesThreePixels_data() { bothCalipers(); }
    void nudge_holdingMinus400msMovesThreePixels() {
        QFETCH(bool, vertical);
        TestProgram t;
        Caliper c = shown(t, vertical);
        const double zero = offset(t, vertical).toDouble();
        QTest::mousePress(c.slider.Command2, Qt::LeftButton);
        t.advance(400);
        QTest::mouseRelease(c.slider.Command2, Qt::LeftButton);
        QCOMPARE(offset(t, vertical).toDouble(), zero - 45);
        t.advance(300); // released: no more repeats
        QCOMPARE(offset(t, vertical).toDouble(), zero - 45);
        QCOMPARE(c.sliderFromBeam(), c.atZero() - c.along(3));
    }

    void nudge_plusMovesOnePixelAtTheNextTick_data() { bothCalipers(); }
    void nudge_plusMovesOnePixelAtTheNextTick() {
        QFETCH(bool, vertical);
        TestProgram t;
        Caliper c = shown(t, vertical);
        QCOMPARE(offset(t, vertical).kind(), Variant::Kind::Text);
        const double zero = offset(t, vertical).toDouble();
        const QPoint before = c.slider.pos();
        QTest::mouseClick(c.slider.Command1, Qt::LeftButton);
        QCOMPARE(offset(t, vertical).kind(), Variant::Kind::Double);
        QCOMPARE(offset(t, vertical).toDouble(), zero + (vertical ? t.m().PixelTwipsY : t.m().PixelTwipsX).toDouble());
        t.advance(1);
        QCOMPARE(c.slider.pos(), before + c.along(1));
    }

    void nudge_pastEitherEndIsNotStopped_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("clicks"); // negative: " - "
        QTest::addColumn<QPoint>("sliderFromBeam");
        QTest::newRow("horizontal, 120 px past the far end") << false << 600 << QPoint(628, -1);
        QTest::newRow("horizontal, past the fixed jaw") << false << -100 << QPoint(-72, -1);
        QTest::newRow("vertical, 100 px past the far end") << true << 500 << QPoint(-1, 528);
        QTest::newRow("vertical, past the fixed jaw") << true << -100 << QPoint(-1, -72);
    }
    void nudge_pastEitherEndIsNotStopped() {
        QFETCH(bool, vertical);
        QFETCH(int, clicks);
        QFETCH(QPoint, sliderFromBeam);
        TestProgram t;
        Caliper c = shown(t, vertical);
        for (int i = 0; i < std::abs(clicks); ++i) clicks > 0 ? c.slider.Command1_Click() : c.slider.Command2_Click();
        t.advance(1);
        QCOMPARE(c.sliderFromBeam(), sliderFromBeam);
    }

    void tracking_followsMinimisedAndRestoredBeam() {
        TestProgram t;
        Caliper c = shown(t, true);
        c.beam.setWindowStateValue(1);
        t.advance(1);
        QCOMPARE(c.slider.windowStateValue(), 1);
        c.beam.setWindowStateValue(0);
        c.beam.move(c.beam.pos() + QPoint(25, 35));
        t.advance(1);
        QCOMPARE(c.slider.windowStateValue(), 0);
        QCOMPARE(c.sliderFromBeam(), c.atZero());
        c.slider.setWindowStateValue(2); // on its own it returns to normal at the next tick
        t.advance(1);
        QCOMPARE(c.slider.windowStateValue(), 0);
    }

    void tracking_maximisedBeamLiftsSliderOnce_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("onTop");
        QTest::newRow("horizontal, kept on top") << false << true;
        QTest::newRow("vertical, not kept on top") << true << false;
    }
    void tracking_maximisedBeamLiftsSliderOnce() {
        QFETCH(bool, vertical);
        QFETCH(bool, onTop);
        TestProgram t;
        Caliper c = shown(t, vertical);
        t.start_().Check5->setValue(onTop ? 1 : 0);
        const QPoint sliderAt = c.slider.pos();
        const int calls = t.windows.topmostCalls(&c.slider);
        Placement p = *t.windows.placement(&c.beam);
        p = {ShowState::Maximized, p.left + 50, p.top + 60, p.right + 50, p.bottom + 60};
        t.windows.overridePlacement(&c.beam, p);
        t.advance(10);
        QVERIFY(t.windows.isTopmost(&c.slider));
        QCOMPARE(t.windows.topmostCalls(&c.slider), calls + 1);
        QCOMPARE(c.slider.pos(), sliderAt);
        p.showCmd = ShowState::Normal;
        t.windows.overridePlacement(&c.beam, p);
        t.advance(10);
        QVERIFY(!t.windows.isTopmost(&c.slider));
        QCOMPARE(t.windows.topmostCalls(&c.slider), calls + 2);
        QCOMPARE(c.slider.Check1->value(), onTop ? 1 : 0);
        QCOMPARE(c.slider.pos(), QPoint(p.left, p.top) + c.atZero());
    }

    void tracking_hiddenBeamHidesSliderUntilPanelShowsIt() {
        TestProgram t;
        Caliper c = shown(t, false);
        Placement p = *t.windows.placement(&c.beam);
        p.showCmd = ShowState::Hidden;
        t.windows.overridePlacement(&c.beam, p);
        t.advance(1);
        QVERIFY(!c.slider.isVisible());
        t.windows.overridePlacement(&c.beam, std::nullopt); // the beam is reported shown again
        t.advance(20);
        QVERIFY(!c.slider.isVisible());
        c.panelCheck->setValue(0);
        c.panelCheck->setValue(1);
        QVERIFY(c.slider.isVisible());
    }

    void tracking_failedPlacementQueryChangesNothing() {
        TestProgram t;
        Caliper c = shown(t, false);
        const QRect sliderRect = c.slider.geometry();
        t.windows.failPlacement(&c.beam, true);
        c.beam.move(c.beam.pos() + QPoint(30, 40));
        c.slider.Command1_Click();
        c.beam.setWindowStateValue(1);
        t.advance(20);
        QCOMPARE(c.slider.geometry(), sliderRect);
        QVERIFY(c.slider.isVisible());
        QCOMPARE(c.slider.windowStateValue(), 0);
        t.windows.failPlacement(&c.beam, false);
        t.advance(1);
        QCOMPARE(c.slider.windowStateValue(), 1);
    }

    void drag_sliderRidesOnTheMovingBeam_data() { bothCalipers(); }
    void drag_sliderRidesOnTheMovingBeam() {
        QFETCH(bool, vertical);
        TestProgram t;
        Caliper c = shown(t, vertical);
        QCOMPARE(c.slider.size(), QSize(c.slider.Picture1->width(), c.beam.height()));
        const QPoint beamAt = c.beam.pos();
        c.beam.Picture1_MouseDown();
        QVERIFY(t.windows.isMoving(&c.beam));
        for (int i = 1; i <= 20; ++i) {
            const QPoint delta(i * 17, -i * 9); // ends above the screen's top
            t.windows.dragBy(delta);
            QCOMPARE(c.beam.pos(), beamAt + delta);
            QCOMPARE(c.sliderFromBeam(), c.atZero());
            if (i % 5 == 0) {
                t.advance(1);
                QCOMPARE(c.sliderFromBeam(), c.atZero());
            }
        }
        t.advance(50); // the hand-over fires during the move
        QCOMPARE(t.windows.lastActivated(), &c.slider);
        t.windows.releaseMove();
        QVERIFY(!t.windows.isMoving(&c.beam));
    }

    void handle_eachPointerEventPullsTheEdge_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("distance"); // pixels beyond the measuring edge
        QTest::addColumn<int>("added");    // twips per event
        QTest::newRow("horizontal, 20 px right") << false << 20 << 15;
        QTest::newRow("horizontal, 5 px right") << false << 5 << 5;
        QTest::newRow("horizontal, on the edge") << false << 0 << 0;
        QTest::newRow("horizontal, 5 px left") << false << -5 << -5;
        QTest::newRow("horizontal, 20 px left") << false << -20 << -15;
        QTest::newRow("vertical, 20 px below") << true << 20 << 15;
        QTest::newRow("vertical, 5 px below") << true << 5 << 5;
        QTest::newRow("vertical, 5 px above") << true << -5 << -5;
    }
    void handle_eachPointerEventPullsTheEdge() {
        QFETCH(bool, vertical);
        QFETCH(int, distance);
        QFETCH(int, added);
        TestProgram t;
        Caliper c = shown(t, vertical);
        const double zero = offset(t, vertical).toDouble();
        auto at = [vertical](int d) { return vertical ? QPoint(40, d) : QPoint(d, 40); };
        QTest::mousePress(c.slider.Label2, Qt::LeftButton, {}, at(10));
        QVERIFY(c.slider.dragActive());
        for (int i = 0; i < 3; ++i) QTest::mouseMove(c.slider.Label2, at(distance));
        QTest::mouseRelease(c.slider.Label2, Qt::LeftButton, {}, at(distance));
        QVERIFY(!c.slider.dragActive());
        hover(c.slider.Label2, at(distance)); // no button held: no step
        QCOMPARE(offset(t, vertical).toDouble(), zero + 3 * added);
        t.advance(1);
        QCOMPARE(c.sliderFromBeam(), c.atZero() + c.along(3 * added / 15));
    }

    void readout_firstTextWithin50ms() {
        TestProgram t;
        t.start();
        t.advance(49);
        QCOMPARE(t.form2().Label1->caption(), QStringLiteral("0"));
        t.advance(1);
        QCOMPARE(t.form2().Label1->caption(), QStringLiteral("0.00 cm"));
        QCOMPARE(t.form42().Label1->caption(), QStringLiteral("0.00 cm"));
    }

    void readout_textForEachUnitAndScale_data() {
        QTest::addColumn<int>("unit"); // Option2 ... Option6
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("nudges"); // negative: " - "
        QTest::addColumn<QString>("text");
        QTest::newRow("cm, one pixel") << 0 << 1 << 1 << "0.03 cm";
        QTest::newRow("cm, one pixel back") << 0 << 1 << -1 << "-0.03 cm";
        QTest::newRow("pixel, one pixel") << 1 << 1 << 1 << "1.00 pic";
        QTest::newRow("inch, 96 pixels") << 2 << 1 << 96 << "1.00 zoll";
        QTest::newRow("twips, one pixel") << 3 << 1 << 1 << "15.00 twi";
        QTest::newRow("points, four pixels") << 4 << 1 << 4 << "3.00 pkt";
        QTest::newRow("cm, scale 1000") << 0 << 1000 << 1 << "26.46 cm";
        QTest::newRow("pixel, scale 1000, back") << 1 << 1000 << -1 << "-1000.00 pic";
        QTest::newRow("twips, scale 1000, no grouping") << 3 << 1000 << 100 << "1500000.00 twi";
    }
    void readout_textForEachUnitAndScale() {
        QFETCH(int, unit);
        QFETCH(int, scale);
        QFETCH(int, nudges);
        QFETCH(QString, text);
        TestProgram t;
        t.start();
        Start& p = t.start_();
        forms::OptionButton* const options[] = {p.Option2, p.Option3, p.Option4, p.Option5, p.Option6};
        QTest::mouseClick(options[unit], Qt::LeftButton);
        p.HScroll2->setValue(scale);
        t.advance(1);
        for (int i = 0; i < std::abs(nudges); ++i) nudges > 0 ? t.form2().Command1_Click() : t.form2().Command2_Click();
        t.advance(50);
        QCOMPARE(t.form2().Label1->caption(), text);
        QCOMPARE(t.form2().caption(), text);
        QCOMPARE(t.form42().Label1->caption(), QStringLiteral("0.00") + QString::fromLatin1(kUnits[unit].suffix));
    }

    void readout_captionAndPanelFollowEveryTick() {
        TestProgram t;
        t.start();
        for (int ms = 1; ms <= 400; ++ms) {
            if (ms % 37 == 0) t.form2().Command1_Click();
            if (ms % 53 == 0) t.form42().Command2_Click();
            t.advance(1);
            if (ms < 50) continue; // until the first readout tick the label shows its design "0"
            QCOMPARE(t.form2().caption(), t.form2().Label1->caption());
            QCOMPARE(t.form42().caption(), t.form42().Label1->caption());
            if (ms % 50 == 1) {
                QCOMPARE(t.start_().Label3->caption(), t.form2().Label1->caption());
                QCOMPARE(t.start_().Label4->caption(), t.form42().Label1->caption());
            }
        }
        t.advance(1);
        QCOMPARE(t.start_().Label3->caption(), QStringLiteral("0.26 cm"));  // 10 steps of 15 twips
        QCOMPARE(t.start_().Label4->caption(), QStringLiteral("-0.19 cm")); // 7 steps back
    }

    void calibration_stepChangesReadingNotSlider_data() { bothCalipers(); }
    void calibration_stepChangesReadingNotSlider() {
        QFETCH(bool, vertical);
        TestProgram t;
        Caliper c = shown(t, vertical);
        t.start_().Option5->setValue(true); // twips show a single step
        t.advance(50);
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.00 twi"));
        const QPoint at = c.slider.pos();
        QScrollBar* bar = vertical ? static_cast<QScrollBar*>(t.start_().VScroll1) : t.start_().HScroll1;
        bar->setValue(bar->value() + 1);
        t.advance(50);
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("-1.00 twi"));
        QCOMPARE(c.slider.pos(), at);
        QCOMPARE(offset(t, vertical).text(), vertical ? QStringLiteral("414") : QStringLiteral("-7200"));
    }

    void calibration_command1MovesBothSlidersToTheNewZero() {
        TestProgram t;
        Caliper h = shown(t, false), v = caliper(t, true);
        v.panelCheck->setValue(1);
        t.start_().HScroll1->setValue(-7100);
        t.start_().VScroll1->setValue(514);
        t.advance(50);
        QCOMPARE(h.slider.Label1->caption(), QStringLiteral("-0.18 cm"));
        QCOMPARE(v.slider.Label1->caption(), QStringLiteral("-0.18 cm"));
        QCOMPARE(h.sliderFromBeam(), h.atZero());
        QCOMPARE(v.sliderFromBeam(), v.atZero());
        QTest::mouseClick(t.start_().Command1, Qt::LeftButton);
        t.advance(50);
        QCOMPARE(h.slider.Label1->caption(), QStringLiteral("0.00 cm"));
        QCOMPARE(v.slider.Label1->caption(), QStringLiteral("0.00 cm"));
        QCOMPARE(h.sliderFromBeam(), QPoint(35, -1)); // 100 twips further: 6.67 px
        QCOMPARE(v.sliderFromBeam(), QPoint(-1, 34)); // 514 twips: 34.27 px
    }

    void unit_changeRewritesBothReadingsWithoutMoving() {
        TestProgram t;
        Caliper h = shown(t, false), v = caliper(t, true);
        v.panelCheck->setValue(1);
        for (Caliper* c : {&h, &v}) {
            c->slider.Command1_Click();
            c->slider.Command1_Click();
        }
        t.advance(50);
        QCOMPARE(h.slider.Label1->caption(), QStringLiteral("0.05 cm"));
        QCOMPARE(v.slider.Label1->caption(), QStringLiteral("0.05 cm"));
        const QPoint hAt = h.slider.pos(), vAt = v.slider.pos();
        QTest::mouseClick(t.start_().Option3, Qt::LeftButton);
        t.advance(50);
        QCOMPARE(h.slider.Label1->caption(), QStringLiteral("2.00 pic"));
        QCOMPARE(v.slider.Label1->caption(), QStringLiteral("2.00 pic"));
        QCOMPARE(h.slider.pos(), hAt);
        QCOMPARE(v.slider.pos(), vAt);
    }

    void damagedOffset_keepsLastPlaceAndReading_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<QString>("damaged");
        QTest::newRow("horizontal, letters") << false << "abc";
        QTest::newRow("horizontal, empty text") << false << "";
        QTest::newRow("vertical, trailing junk") << true << "414x";
    }
    void damagedOffset_keepsLastPlaceAndReading() {
        QFETCH(bool, vertical);
        QFETCH(QString, damaged);
        TestProgram t;
        Caliper c = shown(t, vertical);
        c.slider.Command1_Click();
        t.advance(50);
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.03 cm"));
        const QPoint at = c.slider.pos();
        offset(t, vertical) = Variant::fromText(damaged);
        c.slider.Command1_Click();
        c.slider.Command2_MouseDown();
        t.advance(200);
        c.slider.Command2_MouseUp();
        c.slider.Label2_MouseDown();
        c.slider.Label2_MouseMove(20, 20);
        c.slider.Label2_MouseUp();
        c.beam.move(c.beam.pos() + QPoint(5, 5));
        t.advance(50);
        QCOMPARE(offset(t, vertical).text(), damaged);
        QCOMPARE(c.slider.pos(), at);
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.03 cm"));
        QCOMPARE(c.slider.caption(), QStringLiteral("0.03 cm"));
        QTest::mouseClick(t.start_().Command1, Qt::LeftButton); // the panel sets it right again
        t.advance(50);
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.00 cm"));
        QCOMPARE(c.sliderFromBeam(), c.atZero());
    }
};

QTEST_MAIN(TestCaliper)
#include "test_caliper.moc"
