// The two calipers on the test doubles: shaping, the on-top switch, the focus hand-over, the close
// spot, the slider's tracking, nudges, keys, drag handle, readout and right-button menu, all driven by
// the hand-turned clock.

#include "caliper/readout.h"
#include "panel/contextmenu.h"
#include "panel/truelengths.h"
#include "shaped/regionfrompicture.h"
#include "support/testprogram.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QTest>

using namespace kx;
using kx::test::TestProgram;

namespace {

// One caliper of a started program.
struct Caliper {
    Beam& beam;
    Slider& slider;
    forms::CheckBox* panelCheck;
    Variant& offset;
    bool vertical;

    QPoint sliderFromBeam() const { return slider.pos() - beam.pos(); }
    // Where the slider stands at the stored default zero point: the jaws touch, 28 96-dpi pixels from
    // the beam's left or top; the horizontal slider one 96-dpi pixel above the beam, the vertical one a
    // pixel left of it.
    QPoint atZero() const {
        const int s = qRound(beam.scale());
        return vertical ? QPoint(-s, 28 * s) : QPoint(28 * s, -s);
    }
    // n pixels away from the fixed jaw.
    QPoint along(int n) const { return vertical ? QPoint(0, n) : QPoint(n, 0); }
    // n clicks on "+", or -n clicks on " - ".
    void nudge(int n) {
        for (int i = 0; i < std::abs(n); ++i) n > 0 ? slider.Command1_Click() : slider.Command2_Click();
    }
};

Caliper caliper(TestProgram& t, bool vertical) {
    if (vertical) return {t.form31(), t.form42(), t.start_().Check2, t.m().SliderOffsetY, true};
    return {t.form1(), t.form2(), t.start_().Check1, t.m().SliderOffsetX, false};
}

// Starts the program and shows one caliper, or both.
Caliper shown(TestProgram& t, bool vertical) {
    t.start();
    Caliper c = caliper(t, vertical);
    c.panelCheck->setValue(1);
    t.advance(1);
    return c;
}
std::pair<Caliper, Caliper> bothShown(TestProgram& t) {
    Caliper h = shown(t, false), v = caliper(t, true);
    v.panelCheck->setValue(1);
    t.advance(1);
    return {h, v};
}

// Picture1 and Check1 of a beam or a slider.
std::pair<forms::PictureBox*, forms::CheckBox*> parts(forms::Form& w) {
    if (auto* b = dynamic_cast<Beam*>(&w)) return {b->Picture1, b->Check1};
    return {static_cast<Slider&>(w).Picture1, static_cast<Slider&>(w).Check1};
}

// A pointer movement delivered to the widget as the window system would, with or without a button held.
void hover(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void fill(QImage& image, const QRect& r, QColor colour) {
    QPainter(&image).fillRect(r, colour);
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
    void window_outlineAndOnTopSwitch_data() {
        QTest::addColumn<QString>("name");
        for (const QString& n : {names::Form1, names::Form2, names::Form31, names::Form42})
            QTest::newRow(qPrintable(n)) << n;
    }
    void window_outlineAndOnTopSwitch() {
        QFETCH(QString, name);
        TestProgram t;
        t.start();
        forms::Form& w = t.app().form(name);
        auto [picture, check] = parts(w);
        // The window is its picture, shaped once at load to the picture's solid pixels, with the on-top
        // check box outside the outline.
        QCOMPARE(w.size(), picture->picture().size());
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(t.windows.shapeCalls(&w), 1);
        const std::optional<QRegion> shape = t.windows.shape(&w);
        QVERIFY(shape && shape->xored(*RegionFromPicture(picture->picture())).isEmpty());
        QVERIFY(!shape->intersects(QRect(check->widget()->mapTo(&w, QPoint(0, 0)), check->widget()->size())));

        // The panel's option reaches the hidden window; the window's own switch changes only the layer.
        t.start_().Check5->setValue(0);
        QVERIFY(check->value() == 0 && !t.windows.isTopmost(&w));
        t.start_().Check5->setValue(1);
        QVERIFY(check->value() == 1 && t.windows.isTopmost(&w));
        t.start_().Check1->setValue(1);
        t.start_().Check2->setValue(1);
        t.advance(1);
        const QRect before = w.geometry();
        const int calls = t.windows.topmostCalls(&w);
        check->setValue(0);
        QVERIFY(!t.windows.isTopmost(&w));
        QCOMPARE(t.windows.lastActivated(), &w);
        check->setValue(1);
        QVERIFY(t.windows.isTopmost(&w));
        QCOMPARE(t.windows.topmostCalls(&w), calls + 2);
        t.advance(5);
        QCOMPARE(w.geometry(), before);
        QVERIFY(w.isVisible());
    }

    // A press with any button starts the move loop and, 50 ms later, gives the slider the focus; while
    // the slider cannot take it the hand-over is tried again every 50 ms. The first tick also stops a
    // hand-over the other beam started later, so only one slider receives the focus.
    void handOver_pressFocusesSlider50msLater_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("sliderHiddenMs");
        QTest::newRow("horizontal, left") << false << Qt::LeftButton << 0;
        QTest::newRow("horizontal, right, slider hidden 150 ms") << false << Qt::RightButton << 150;
        QTest::newRow("vertical, middle") << true << Qt::MiddleButton << 0;
    }
    void handOver_pressFocusesSlider50msLater() {
        QFETCH(bool, vertical);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, sliderHiddenMs);
        TestProgram t;
        Caliper c = shown(t, vertical);
        t.windows.activate(&t.start_());
        const QPoint onBar = vertical ? QPoint(150, 200) : QPoint(200, 10);
        c.slider.setVisibleState(sliderHiddenMs == 0);
        QTest::mousePress(c.beam.Picture1, button, {}, onBar);
        QCOMPARE(t.windows.moveLoopsStarted(), 1);
        QVERIFY(t.windows.isMoving(&c.beam));
        Caliper other = caliper(t, !vertical);
        other.beam.Picture1_MouseDown();
        t.advance(sliderHiddenMs);
        c.slider.setVisibleState(true);
        t.advance(49);
        QVERIFY(c.beam.Timer1->enabled());
        QCOMPARE(t.windows.lastActivated(), &t.start_());
        t.advance(1);
        QCOMPARE(t.windows.lastActivated(), &c.slider);
        QCOMPARE(c.slider.focusWidget(), c.slider.Picture1);
        QVERIFY(!c.beam.Timer1->enabled() && !other.beam.Timer1->enabled());
        t.advance(100);
        QCOMPARE(t.windows.lastActivated(), &c.slider);
        t.windows.releaseMove();
        QTest::mouseRelease(c.beam.Picture1, button, {}, onBar);
    }

    // The pointer over the panel's background, Frame1, Check1, Check2 or a slider's nudge button or
    // handle (with or without a button held) stops both beams' pending hand-overs; elsewhere it does not.
    void handOver_cancelledByPointerOver() {
        TestProgram t;
        bothShown(t);
        Start& p = t.start_();
        Slider &h = t.form2(), &v = t.form42();
        struct Spot {
            const char* name;
            QWidget* widget;
            bool held, cancels;
        };
        const Spot spots[] = {{"panel background", &p, false, true},
                              {"Frame1", p.Frame1, false, true},
                              {"panel Check1", p.Check1->widget(), false, true},
                              {"panel Check2", p.Check2->widget(), false, true},
                              {"horizontal +", h.Command1, false, true},
                              {"horizontal - with a button held", h.Command2, true, true},
                              {"horizontal handle", h.Label2, false, true},
                              {"vertical +", v.Command1, false, true},
                              {"vertical handle with a button held", v.Label2, true, true},
                              {"panel option button", p.Option4, false, false},
                              {"slider picture", h.Picture1, false, false},
                              {"panel Command1", p.Command1, false, false},
                              {"panel picture", p.Picture1, false, false},
                              {"panel ruler strip", p.Picture6, false, false}};
        for (const Spot& s : spots) {
            t.form1().Picture1_MouseDown();
            t.form31().Picture1_MouseDown();
            t.advance(20);
            hover(s.widget, QPoint(3, 3), s.held ? Qt::LeftButton : Qt::NoButton);
            QVERIFY2(t.form1().Timer1->enabled() != s.cancels, s.name);
            QVERIFY2(t.form31().Timer1->enabled() != s.cancels, s.name);
            t.form1().Picture1_MouseUp();
            t.form31().Picture1_MouseUp();
            t.windows.releaseMove();
        }
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
        QVERIFY(!c.beam.isVisible() && !c.slider.isVisible());
        QVERIFY(!c.beam.Timer1->enabled());
        QCOMPARE(c.panelCheck->value(), 0);
        QVERIFY(t.start_().Option3->value());
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

    // Each click on "+" or " - " adds or takes one pixel's twips, holding " - " repeats it every 150 ms;
    // the slider moves at its next tick, also past either end of the beam.
    void nudge_movesOnePixelPerStep_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("clicks"); // negative: " - "
        QTest::addColumn<int>("holdMinusMs");
        QTest::addColumn<QPoint>("sliderFromBeam");
        QTest::newRow("horizontal, one +") << false << 1 << 0 << QPoint(29, -1);
        QTest::newRow("horizontal, 120 px past the far end") << false << 600 << 0 << QPoint(628, -1);
        QTest::newRow("horizontal, past the fixed jaw") << false << -100 << 0 << QPoint(-72, -1);
        QTest::newRow("horizontal, - held 400 ms") << false << 0 << 400 << QPoint(25, -1);
        QTest::newRow("vertical, one +") << true << 1 << 0 << QPoint(-1, 29);
        QTest::newRow("vertical, 100 px past the far end") << true << 500 << 0 << QPoint(-1, 528);
        QTest::newRow("vertical, - held 400 ms") << true << 0 << 400 << QPoint(-1, 25);
    }
    void nudge_movesOnePixelPerStep() {
        QFETCH(bool, vertical);
        QFETCH(int, clicks);
        QFETCH(int, holdMinusMs);
        QFETCH(QPoint, sliderFromBeam);
        TestProgram t;
        Caliper c = shown(t, vertical);
        const double zero = c.offset.toDouble();
        c.nudge(clicks);
        if (holdMinusMs) {
            QTest::mousePress(c.slider.Command2, Qt::LeftButton);
            t.advance(holdMinusMs);
            QTest::mouseRelease(c.slider.Command2, Qt::LeftButton);
            t.advance(300); // released: no more repeats
        }
        t.advance(1);
        QCOMPARE(c.sliderFromBeam(), sliderFromBeam);
        const QPoint moved = sliderFromBeam - c.atZero();
        QCOMPARE(c.offset.toDouble(), zero + 15 * (moved.x() + moved.y()));
    }

    // Keys on the focused slider: the arrows along its axis move the jaw one pixel, with Shift ten, the
    // other arrows nothing; with Ctrl any arrow moves the whole caliper; Ctrl+C copies the reading.
    void keys_onTheFocusedSlider_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QPoint>("sliderFromBeam");
        QTest::addColumn<QPoint>("beamMoved");
        QTest::addColumn<QString>("reading"); // what Ctrl+C copies afterwards
        QTest::newRow("horizontal, Right three times") << false << "Right, Right, Right" << QPoint(31, -1) << QPoint() << "0.08 cm";
        QTest::newRow("horizontal, Shift+Left, Up") << false << "Shift+Left, Up" << QPoint(18, -1) << QPoint() << "-0.26 cm";
        QTest::newRow("horizontal, Ctrl+Up, Ctrl+Shift+Right") << false << "Ctrl+Up, Ctrl+Shift+Right" << QPoint(28, -1)
                                                               << QPoint(10, -1) << "0.00 cm";
        QTest::newRow("vertical, Down, Shift+Down, Left") << true << "Down, Shift+Down, Left" << QPoint(-1, 39) << QPoint()
                                                          << "0.29 cm";
        QTest::newRow("vertical, Ctrl+Shift+Left, Ctrl+Down, Up") << true << "Ctrl+Shift+Left, Ctrl+Down, Up"
                                                                  << QPoint(-1, 27) << QPoint(-10, 1) << "-0.03 cm";
    }
    void keys_onTheFocusedSlider() {
        QFETCH(bool, vertical);
        QFETCH(QString, keys);
        QFETCH(QPoint, sliderFromBeam);
        QFETCH(QPoint, beamMoved);
        QFETCH(QString, reading);
        TestProgram t;
        Caliper c = shown(t, vertical);
        const QPoint beamAt = c.beam.pos();
        const QKeySequence sequence(keys);
        for (int i = 0; i < sequence.count(); ++i)
            QTest::keyClick(c.slider.Picture1, sequence[i].key(), sequence[i].keyboardModifiers());
        t.advance(50);
        QCOMPARE(c.beam.pos() - beamAt, beamMoved);
        QCOMPARE(c.sliderFromBeam(), sliderFromBeam);
        QTest::keyClick(c.slider.Picture1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(t.shell.copied, QStringList{reading});
        QCOMPARE(c.slider.Label1->caption(), reading);
    }

    // The right button on a slider's readout or the panel's background opens the menu, on a button not;
    // every entry acts through the panel's controls.
    void contextMenu_entriesActThroughThePanel() {
        TestProgram t;
        auto [h, v] = bothShown(t);
        Start& p = t.start_();
        auto rightClick = [](QWidget* w, QPoint at = QPoint(3, 3)) {
            QContextMenuEvent e(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
            QCoreApplication::sendEvent(w, &e);
            return qobject_cast<QMenu*>(QApplication::activePopupWidget());
        };
        // The vertical readout lies along the jaw, over the handle.
        const QPoint onJaw = v.slider.Label2->mapFrom(v.slider.Picture1, v.slider.Label1->geometry().center());
        for (auto [w, at] : {std::pair<QWidget*, QPoint>{h.slider.Picture1, {3, 3}}, {&p, {3, 3}},
                             {v.slider.Label2, onJaw}}) {
            QMenu* menu = rightClick(w, at);
            QVERIFY(menu);
            menu->close();
        }
        QVERIFY(!rightClick(h.slider.Command1));
        QVERIFY(!rightClick(v.slider.Label2));
        // The panel's menu has the length dialogs too: with the horizontal caliper while it is shown.
        for (Slider* shown : {&h.slider, &v.slider}) {
            std::unique_ptr<QMenu> m(createContextMenu(p, nullptr, nullptr));
            m->findChild<QAction*>(QStringLiteral("calibrate"))->trigger();
            const auto* dialog = p.findChild<forms::InputDialog*>(QStringLiteral("calibrate"));
            QVERIFY(dialog && dialog->isVisible());
            QCOMPARE(dialog->property("kxSlider").toString(), shown->formName());
            delete dialog;
            p.Check1->setValue(0);
        }
        p.Check2->setValue(0);
        std::unique_ptr<QMenu> none(createContextMenu(p, nullptr, nullptr));
        QVERIFY(!none->findChild<QAction*>(QStringLiteral("knownLength"))->isEnabled());
        p.Check1->setValue(1);
        p.Check2->setValue(1);
        QVERIFY(!rightClick(p.Option2));
        h.nudge(2);
        t.advance(50);
        auto entry = [&](Slider* slider, const char* name) {
            std::unique_ptr<QMenu> m(createContextMenu(p, slider, nullptr));
            m->findChild<QAction*>(QLatin1String(name))->trigger();
        };
        entry(&h.slider, "copy");
        entry(nullptr, "copyVertical");
        QCOMPARE(t.shell.copied, (QStringList{"0.05 cm", "0.00 cm"}));
        entry(&v.slider, "Option4");
        QVERIFY(p.Option4->value());
        QCOMPARE(t.m().UnitSuffix.text(), QStringLiteral(" zoll"));
        entry(nullptr, "onTop"); // off
        QCOMPARE(p.Check5->value(), 0);
        QVERIFY(!t.windows.isTopmost(&v.slider));
        entry(&v.slider, "away");
        QCOMPARE(p.Check2->value(), 0);
        QVERIFY(!v.slider.isVisible() && h.slider.isVisible());
        entry(nullptr, "help");
        QCOMPARE(t.shell.opened.size(), 1);
        p.HScroll1->setValue(-7100);
        entry(&h.slider, "quit"); // the panel unloads and saves
        QVERIFY(!t.app().isLoaded(names::Start));
        QCOMPARE(t.stored(kx::setting::HorizontalZero), QStringLiteral("-7100"));
    }

    void tracking_followsTheBeamsShowState() {
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

        // A hidden beam hides the slider until the panel shows the caliper again.
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

        // While the beam's placement cannot be read the slider stays as it is.
        t.advance(1);
        const QRect sliderRect = c.slider.geometry();
        t.windows.failPlacement(&c.beam, true);
        c.beam.move(c.beam.pos() + QPoint(30, 40));
        c.slider.Command1_Click();
        c.beam.setWindowStateValue(1);
        t.advance(20);
        QCOMPARE(c.slider.geometry(), sliderRect);
        QCOMPARE(c.slider.windowStateValue(), 0);
        t.windows.failPlacement(&c.beam, false);
        t.advance(1);
        QCOMPARE(c.slider.windowStateValue(), 1);
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

    // A caliper lies wholly on its monitor when it first shows: where the monitor has no room for the
    // whole bar at its scale, the bar is drawn shorter, with its close spot at its far end.
    void placedWhollyOnItsMonitor_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("length"); // device pixels along the bar
        QTest::newRow("vertical at 100 %") << true << 1.0 << 428;
        QTest::newRow("vertical at 200 %") << true << 2.0 << 698; // from 102 down
        QTest::newRow("horizontal at 200 %") << false << 2.0 << 1016;
        QTest::newRow("horizontal at 300 %") << false << 3.0 << 1239; // from 39 across
    }
    void placedWhollyOnItsMonitor() {
        QFETCH(bool, vertical);
        QFETCH(double, scale);
        QFETCH(int, length);
        TestProgram t;
        const QRect monitor(0, 0, 1280, 800);
        t.screen.setScreens({{QStringLiteral("LAPTOP"), monitor, monitor, scale, {}, true, {}}});
        Caliper c = shown(t, vertical);
        QCOMPARE(vertical ? c.beam.height() : c.beam.width(), length);
        QVERIFY(monitor.contains(c.beam.frameGeometry()));
        QCOMPARE(c.sliderFromBeam(), c.atZero());
        const QRegion solid = *RegionFromPicture(c.beam.Picture1->picture());
        QVERIFY(solid.intersects(c.beam.Label1->geometry())); // the close spot on the bar's far end
        QTest::mouseClick(c.beam.Label1, Qt::LeftButton);
        QVERIFY(!c.beam.isVisible() && !c.slider.isVisible());
    }

    // Also across two monitors side by side, the right one at 200 %: where the pointer brings the beam
    // onto it, beam and slider are drawn twice as large around the pointer, the slider stays on its
    // beam with the jaws touching, and a nudge is one pixel of that monitor.
    void drag_sliderRidesOnTheMovingBeam_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("twoMonitors");
        QTest::newRow("horizontal") << false << false;
        QTest::newRow("vertical") << true << false;
        QTest::newRow("horizontal, onto a 200 % monitor") << false << true;
        QTest::newRow("vertical, onto a 200 % monitor") << true << true;
    }
    void drag_sliderRidesOnTheMovingBeam() {
        QFETCH(bool, vertical);
        QFETCH(bool, twoMonitors);
        TestProgram t;
        if (twoMonitors) {
            const ScreenInfo left{QStringLiteral("LEFT"), {0, 0, 1280, 800}, {0, 0, 1280, 800}, 1.0, {}, true, {}};
            const ScreenInfo right{QStringLiteral("RIGHT"), {1280, 0, 1280, 800}, {1280, 0, 1280, 800}, 2.0, {}, false, {}};
            t.screen.setScreens({left, right});
        }
        Caliper c = shown(t, vertical);
        QCOMPARE(c.slider.size(), QSize(c.slider.Picture1->width(), c.beam.height()));
        const QPoint beamAt = c.beam.pos();
        const QPoint grabbed(10, 10);
        t.windows.setCursorPos(beamAt + grabbed);
        c.beam.Picture1_MouseDown();
        for (int i = 1; i <= 10; ++i) {
            const QPoint delta(i * (twoMonitors ? 140 : 34), -i * (twoMonitors ? 1 : 18)); // ends above the top
            t.windows.dragBy(delta);
            const double s = c.beam.scale();
            QCOMPARE(s, twoMonitors && t.windows.cursorPos().x() >= 1280 ? 2.0 : 1.0);
            QCOMPARE(c.beam.pos(), t.windows.cursorPos() - grabbed * s); // the pressed point under the pointer
            QCOMPARE(c.beam.size(), vertical ? QSize(165, 428) * s : QSize(508, 165) * s);
            QCOMPARE(c.slider.scale(), s);
            QCOMPARE(c.sliderFromBeam(), c.atZero()); // at once, not only at the next tracking tick
            t.advance(i % 2);
            QCOMPARE(c.sliderFromBeam(), c.atZero());
        }
        if (twoMonitors) {
            QCOMPARE((vertical ? t.m().PixelTwipsY : t.m().PixelTwipsX).toDouble(), 7.5);
            c.nudge(3);
            t.advance(50);
            QCOMPARE(c.sliderFromBeam(), c.atZero() + c.along(3));
            QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.04 cm")); // 22.5 twips
        }
        t.advance(50); // the hand-over fires during the move
        QCOMPARE(t.windows.lastActivated(), &c.slider);
        t.windows.releaseMove();
        QVERIFY(!t.windows.isMoving(&c.beam));
        if (twoMonitors) {
            // Let go with the pointer on the 200 % monitor but the beam's centre over the 100 % one: once the
            // move is over, the beam takes the scale of the monitor that holds it.
            const QPoint pressed = c.beam.pos() + QPoint(c.beam.width() - 10, 10);
            t.windows.setCursorPos(pressed);
            c.beam.Picture1_MouseDown();
            t.windows.dragBy(QPoint(1300 - pressed.x(), 0));
            QCOMPARE(c.beam.scale(), 2.0);
            t.windows.releaseMove();
            QCOMPARE(c.beam.scale(), 1.0);
            QCOMPARE(c.beam.size(), vertical ? QSize(165, 428) : QSize(508, 165));
            QCOMPARE(c.slider.scale(), 1.0);
            t.advance(50);
            QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.04 cm")); // the same 22.5 twips
        }
    }

    // Every pointer event during a drag on the handle pulls the offset by the pointer's distance from
    // the measuring edge, at most one pixel's twips; moves with no button held add nothing.
    void handle_eachPointerEventPullsTheEdge_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("distance"); // pixels beyond the measuring edge
        QTest::addColumn<int>("added");    // twips per event
        QTest::newRow("horizontal, 20 px right") << false << 20 << 15;
        QTest::newRow("horizontal, 5 px left") << false << -5 << -5;
        QTest::newRow("vertical, 5 px below") << true << 5 << 5;
        QTest::newRow("vertical, 20 px above") << true << -20 << -15;
    }
    void handle_eachPointerEventPullsTheEdge() {
        QFETCH(bool, vertical);
        QFETCH(int, distance);
        QFETCH(int, added);
        TestProgram t;
        Caliper c = shown(t, vertical);
        const double zero = c.offset.toDouble();
        auto at = [vertical](int d) { return vertical ? QPoint(40, d) : QPoint(d, 40); };
        QTest::mousePress(c.slider.Label2, Qt::LeftButton, {}, at(10));
        for (int i = 0; i < 3; ++i) QTest::mouseMove(c.slider.Label2, at(distance));
        QTest::mouseRelease(c.slider.Label2, Qt::LeftButton, {}, at(distance));
        QVERIFY(!c.slider.dragActive());
        hover(c.slider.Label2, at(distance));
        QCOMPARE(c.offset.toDouble(), zero + 3 * added);
        t.advance(1);
        QCOMPARE(c.sliderFromBeam(), c.atZero() + c.along(3 * added / 15));
    }

    // The jaws find the edges on the synthetic desktop, at 100 % and 200 %: Space closes them on an
    // object 40 device pixels wide, Shift+Space opens them in a gap of 40; the fixed jaw moves with the
    // whole caliper, the reading in Pixel is the size, and Ctrl+Z puts the jaws back. They measure
    // along the tips, or along the pointer's row or column where the pointer is between them. With
    // nothing to find, or no screen copy, nothing moves and the slider says why.
    void edges_closeOpenAndUndo_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("scene"); // "object", "gap", "object at the pointer" or "nothing"
        QTest::addColumn<bool>("pointerBetween");
        QTest::addColumn<bool>("copies");
        QTest::addColumn<int>("moved"); // how far the fixed jaw moves; -1: nothing moves
        for (bool vertical : {false, true})
            for (double scale : {1.0, 2.0}) {
                const QByteArray at = QByteArray(vertical ? "vertical" : "horizontal") + " at " + QByteArray::number(scale);
                QTest::newRow(at + ", close") << vertical << scale << "Space" << "object" << false << true << 80;
                QTest::newRow(at + ", open") << vertical << scale << "Shift+Space" << "gap" << true << true << 80;
            }
        QTest::newRow("open from the middle") << false << 1.0 << "Shift+Space" << "gap" << false << true << 80;
        QTest::newRow("close at the pointer") << true << 1.0 << "Space" << "object at the pointer" << true << true << 80;
        QTest::newRow("the pointer elsewhere, along the tips")
            << true << 1.0 << "Space" << "object at the pointer" << false << true << -1;
        QTest::newRow("nothing to find") << false << 1.0 << "Space" << "nothing" << false << true << -1;
        QTest::newRow("a double-click on the reading") << false << 1.0 << "double-click" << "object" << false << true << 80;
        QTest::newRow("a double-click on the vertical reading") << true << 2.0 << "double-click" << "object" << false << true << 80;
        QTest::newRow("no screen sharing") << false << 2.0 << "Space" << "object" << false << false << -1;
        QTest::newRow("copies failing") << true << 1.0 << "Space" << "object" << false << false << -1;
    }
    void edges_closeOpenAndUndo() {
        QFETCH(bool, vertical);
        QFETCH(double, scale);
        QFETCH(QString, key);
        QFETCH(QString, scene);
        QFETCH(bool, pointerBetween);
        QFETCH(bool, copies);
        QFETCH(int, moved);
        TestProgram t;
        t.screen.setTwipsPerPixel(float(15 / scale), float(15 / scale));
        Caliper c = shown(t, vertical);
        t.start_().Option3->setValue(true); // Pixel
        for (int i = 0; i < 200; ++i) c.slider.Command1_Click();
        t.advance(50);
        const QString opened = c.slider.Label1->caption();
        QCOMPARE(opened, QStringLiteral("200.00 pic"));
        // Along: from the pixel after the fixed jaw's edge; across: from the beam's top or left edge.
        const int s = int(scale), fixed = (vertical ? c.beam.y() : c.beam.x()) + 28 * s;
        const int acrossOrigin = vertical ? c.beam.x() : c.beam.y();
        auto screenRect = [&](int along, int length, int across, int width) {
            return vertical ? QRect(across, along, width, length) : QRect(along, across, length, width);
        };
        QImage desktop(1280, 800, QImage::Format_RGB32);
        desktop.fill(scene == QLatin1String("gap") ? Qt::black : Qt::white);
        // The tips lie 163 96-dpi pixels below the horizontal beam's top, 1 right of the vertical one's left.
        const QRect wide = screenRect(fixed + 80, 40, acrossOrigin + (vertical ? 0 : 40 * s), (vertical ? 66 : 126) * s);
        const QRect narrow = screenRect(fixed + 80, 40, acrossOrigin + 50 * s, 10 * s);
        if (scene == QLatin1String("object")) fill(desktop, wide, Qt::black);
        if (scene == QLatin1String("gap")) fill(desktop, wide, Qt::white);
        if (scene == QLatin1String("object at the pointer")) fill(desktop, narrow, Qt::black);
        t.screen.setDesktop(desktop);
        // No copies at all says so at once; copies that fail while a screen-sharing stream is
        // starting are tried again for a while.
        const bool failing = QByteArray(QTest::currentDataTag()) == "copies failing";
        if (!copies && !failing) t.screen.setCopyProblem(ScreenCopyProblem::NoScreenSharing);
        t.screen.setFailing(failing);
        t.screen.setPreparing(failing);
        const QPoint pointerAt = narrow.center();
        t.windows.setCursorPos(pointerBetween ? pointerAt : QPoint(1200, 700));

        const QPoint beamAt = c.beam.pos();
        if (key == QLatin1String("double-click")) {
            // On the widget that is really there: the vertical reading lies partly on the jaw's handle.
            const QPoint at = c.slider.Label1->geometry().center();
            QWidget* under = c.slider.Picture1->childAt(at);
            under = under ? under : c.slider.Picture1;
            QTest::mouseDClick(under, Qt::LeftButton, {}, under->mapFrom(c.slider.Picture1, at));
        } else {
            const QKeySequence keys(key);
            QTest::keyClick(c.slider.Picture1, keys[0].key(), keys[0].keyboardModifiers());
        }
        // Right after the nudges' move the command waits until the slider stands there on the screen.
        QCOMPARE(c.beam.pos(), beamAt);
        QVERIFY(c.slider.jaws().notice().isEmpty());
        t.advance(150);
        if (failing) {
            QVERIFY(c.slider.jaws().notice().isEmpty()); // still trying
            t.advance(3000);
        }
        if (moved < 0) {
            QCOMPARE(c.beam.pos(), beamAt);
            QCOMPARE(c.slider.Label1->caption(), opened);
            QVERIFY(!c.slider.jaws().notice().isEmpty());
            QVERIFY(!c.slider.jaws().canUndo());
            return;
        }
        QCOMPARE(c.beam.pos() - beamAt, c.along(moved));
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("40.00 pic"));
        QCOMPARE(c.sliderFromBeam(), c.atZero() + c.along(40));
        QVERIFY(c.slider.jaws().notice().isEmpty());
        QTest::keyClick(c.slider.Picture1, Qt::Key_Z, Qt::ControlModifier);
        t.advance(50);
        QCOMPARE(c.beam.pos(), beamAt);
        QCOMPARE(c.slider.Label1->caption(), opened);
        QVERIFY(!c.slider.jaws().canUndo());
    }

    // The slider's menu: close and open act once the menu has gone, undo when there is something to
    // undo; the tolerance steps and the snap switch are kept in the settings store. A dragged jaw
    // stops on an edge within a few pixels of the pointer, unless Alt is held; Ctrl+Z undoes the snap.
    void edges_menuToleranceAndSnap() {
        TestProgram t;
        t.store(setting::EdgeTolerance, QStringLiteral("30"));
        Caliper c = shown(t, false);
        Start& p = t.start_();
        for (int i = 0; i < 100; ++i) c.slider.Command1_Click();
        t.advance(50);
        const int fixed = c.beam.x() + 28, row = c.beam.y() + 163;
        QImage desktop(1280, 800, QImage::Format_RGB32);
        desktop.fill(qRgb(200, 200, 200));
        fill(desktop, QRect(fixed + 20, row - 5, 30, 10), QColor(175, 175, 175)); // 25 apart: under 30
        fill(desktop, QRect(fixed + 150, row - 5, 20, 10), Qt::black);
        t.screen.setDesktop(desktop);
        auto menu = [&] { return std::unique_ptr<QMenu>(createContextMenu(p, &c.slider, nullptr)); };
        auto entry = [](QMenu& m, const char* name) { return m.findChild<QAction*>(QLatin1String(name)); };
        {
            auto m = menu();
            QVERIFY(entry(*m, "tolerance30")->isChecked() && !entry(*m, "snap")->isChecked());
            QVERIFY(!entry(*m, "undoJaws")->isEnabled());
            entry(*m, "tolerance10")->trigger();
        }
        QCOMPARE(t.stored(setting::EdgeTolerance), QStringLiteral("10"));
        menu()->findChild<QAction*>(QStringLiteral("closeJaws"))->trigger();
        QCOMPARE(c.slider.jaws().line(std::nullopt)->moving, fixed + 100); // not yet: the menu is still going
        t.advance(200);
        QCOMPARE(c.beam.x(), fixed - 28 + 20); // the lighter grey counts at 10
        QCOMPARE(c.slider.jaws().line(std::nullopt)->moving, fixed + 50);
        QVERIFY(entry(*menu(), "undoJaws")->isEnabled());
        entry(*menu(), "undoJaws")->trigger();
        QCOMPARE(c.beam.x(), fixed - 28);
        entry(*menu(), "snap")->trigger();
        QCOMPARE(t.stored(setting::SnapToEdges), QStringLiteral("true"));

        for (int alt : {4, 0}) {
            const double before = c.offset.toDouble();
            c.slider.Label2_MouseDown(alt);
            c.slider.Label2_MouseMove(48, 100, alt); // the pointer 48 px past the jaw, 2 before the edge
            c.slider.Label2_MouseUp();
            QCOMPARE(c.offset.toDouble(), alt ? before + 15 : -7200 + 150 * 15);
            if (alt) c.offset = Variant::fromDouble(before);
        }
        t.advance(1);
        QCOMPARE(c.slider.jaws().line(std::nullopt)->moving, fixed + 150);
        QTest::keyClick(c.slider.Picture1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(c.offset.toDouble(), -7200 + 100 * 15);
    }

    void readout_captionAndPanelFollowEveryTick() {
        TestProgram t;
        t.start();
        for (int ms = 1; ms <= 400; ++ms) {
            if (ms % 37 == 0) t.form2().Command1_Click();
            if (ms % 53 == 0) t.form42().Command2_Click();
            t.advance(1);
            if (ms < 50) { // until the first readout tick the label shows its design "0"
                QCOMPARE(t.form2().Label1->caption(), QStringLiteral("0"));
                continue;
            }
            if (ms == 50) { // along the vertical slider's jaw the reading has one line, as on the horizontal
                QCOMPARE(t.form42().Label1->caption(), QStringLiteral("0.00 cm"));
                QCOMPARE(t.form42().Label1->captionLayout().lines, QStringList({"0.00 cm"}));
                QCOMPARE(t.form42().Label1->font(), t.form2().Label1->font());
            }
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

    // The longest readings of each unit at scale 1000, with a full stop and with a comma, show whole in
    // the readout at 1, 1.5 and 2 device pixels per pixel, also in the font the rule picks when no
    // narrow font is installed: drawn unclipped where the label draws them, the text stays inside the
    // label, which stays on the sleeve's solid pixels clear of the nudge buttons.
    void readout_showsTheWholeReading_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("unit");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<bool>("narrowFonts"); // installed, as scripts/deps installs them
        // Every unit at scale 1; at the other scales the longest, "zoll".
        for (double scale : {1.0, 1.5, 2.0})
            for (bool vertical : {false, true}) {
                for (int unit = 0; unit < int(kUnits.size()); ++unit)
                    if (scale == 1 || unit == 2)
                        QTest::addRow("%s, %g,%s", vertical ? "vertical" : "horizontal", scale, kUnits[unit].suffix)
                            << vertical << scale << unit << (unit % 2 == 1) << true;
                QTest::addRow("%s, %g, zoll, no narrow font", vertical ? "vertical" : "horizontal", scale)
                    << vertical << scale << 2 << true << false;
            }
    }
    void readout_showsTheWholeReading() {
        QFETCH(bool, vertical);
        QFETCH(double, scale);
        QFETCH(int, unit);
        QFETCH(bool, comma);
        QFETCH(bool, narrowFonts);
        const QLocale before;
        QLocale::setDefault(comma ? QLocale(QLocale::German) : QLocale::c());
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        TestProgram t;
        t.screen.setTwipsPerPixel(15 / scale, 15 / scale);
        Caliper c = shown(t, vertical);
        Start& p = t.start_();
        forms::OptionButton* const options[] = {p.Option2, p.Option3, p.Option4, p.Option5, p.Option6};
        QTest::mouseClick(options[unit], Qt::LeftButton);
        p.HScroll2->setValue(1000);
        t.advance(1);
        const Variant& zero = vertical ? t.m().ZeroY : t.m().ZeroX;
        c.offset = Variant::fromDouble(zero.toDouble() - 99999.99 / 1000 * kUnits[unit].twipsPerUnit);
        t.advance(50);
        const QString reading = QStringLiteral("-99999") + (comma ? ',' : '.') + "99" + kUnits[unit].suffix;
        forms::Label* label = c.slider.Label1;
        QCOMPARE(label->caption(), reading);
        QCOMPARE(c.slider.caption(), reading);
        QCOMPARE(label->captionLayout().lines.join(QString()), reading);

        const forms::CaptionLayout layout =
            narrowFonts ? label->captionLayout() : readoutLayout(reading, label->size(), label->alignment(), scale, {});
        QCOMPARE(layout.lines.join(QString()), reading);
        QVERIFY(layout.font.pixelSize() >= 8 * scale);
        QVERIFY2(!narrowFonts || !layout.wordsBroken, "the number is broken: is fonts-liberation installed?");
        constexpr int margin = 20;
        QImage drawn(label->size() + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            painter.translate(margin, margin);
            forms::drawCaption(painter, layout);
        }
        QRect ink;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (qAlpha(drawn.pixel(x, y))) ink |= QRect(x, y, 1, 1);
        QVERIFY2(QRect(QPoint(margin, margin), label->size()).contains(ink),
                 qPrintable(QStringLiteral("text drawn at %1,%2 %3x%4 in a %5x%6 label")
                                .arg(ink.x() - margin).arg(ink.y() - margin).arg(ink.width()).arg(ink.height())
                                .arg(label->width()).arg(label->height())));

        if (scale == 1) {
            const QRegion solid = *RegionFromPicture(c.slider.Picture1->picture());
            QVERIFY(QRegion(label->geometry()).subtracted(solid).isEmpty());
            // Along the vertical slider's jaw every pixel of the text lies on the dark blue face, none on
            // the bevel (a long reading's second line on the horizontal sleeve reaches its dark lower edge).
            const QImage picture = c.slider.Picture1->picture();
            const QPoint at = label->geometry().topLeft() - QPoint(margin, margin);
            for (int y = ink.top(); vertical && y <= ink.bottom(); ++y)
                for (int x = ink.left(); x <= ink.right(); ++x)
                    if (qAlpha(drawn.pixel(x, y)))
                        QVERIFY2(picture.pixel(at + QPoint(x, y)) == 0xFF003C80,
                                 qPrintable(QStringLiteral("text on the bevel at %1,%2").arg(at.x() + x).arg(at.y() + y)));
            QVERIFY(!label->geometry().intersects(c.slider.Command1->geometry()));
            QVERIFY(!label->geometry().intersects(c.slider.Command2->geometry()));
        }

        // The panel's copy shows the reading whole on its one line, also at the largest known-length
        // scale: "-99999990000000.00 zoll".
        const forms::Label* copy = vertical ? p.Label4 : p.Label3;
        for (double known : {0.0, kMostKnownLengthScale}) {
            p.setKnownLengthScale(known);
            t.advance(50);
            QCOMPARE(copy->captionLayout().lines, QStringList{label->caption()});
            QVERIFY(copy->captionLayout().fits(copy->size()));
        }
    }

    // A new zero point changes the readings but moves no slider; Command1 moves both sliders to it.
    // Each unit and the scale rewrite both readings, again without moving either slider.
    void panel_zeroPointsUnitsAndScaleRewriteTheReadings() {
        TestProgram t;
        auto [h, v] = bothShown(t);
        Start& p = t.start_();
        p.HScroll1->setValue(-7100);
        p.VScroll1->setValue(514);
        t.advance(50);
        for (const Caliper& c : {h, v}) {
            QCOMPARE(c.slider.Label1->caption(), QStringLiteral("-0.18 cm"));
            QCOMPARE(c.sliderFromBeam(), c.atZero());
        }
        QTest::mouseClick(p.Command1, Qt::LeftButton);
        t.advance(50);
        QCOMPARE(h.slider.Label1->caption(), QStringLiteral("0.00 cm"));
        QCOMPARE(v.slider.Label1->caption(), QStringLiteral("0.00 cm"));
        QCOMPARE(h.sliderFromBeam(), QPoint(35, -1)); // 100 twips further: 6.67 px
        QCOMPARE(v.sliderFromBeam(), QPoint(-1, 34)); // 514 twips: 34.27 px

        h.nudge(2); // 30 twips
        v.nudge(-3);
        t.advance(50);
        const QPoint hAt = h.slider.pos(), vAt = v.slider.pos();
        const QList<std::tuple<forms::OptionButton*, const char*, const char*>> units{
            {p.Option2, "0.05 cm", "-0.08 cm"},    {p.Option3, "2.00 pic", "-3.00 pic"},
            {p.Option4, "0.02 zoll", "-0.03 zoll"}, {p.Option5, "30.00 twi", "-45.00 twi"},
            {p.Option6, "1.50 pkt", "-2.25 pkt"}};
        for (const auto& [option, hText, vText] : units) {
            QTest::mouseClick(option, Qt::LeftButton);
            t.advance(50);
            QCOMPARE(h.slider.Label1->caption(), QString(hText));
            QCOMPARE(v.slider.Label1->caption(), QString(vText));
        }
        p.HScroll2->setValue(1000); // read at the panel's next tick: no digit grouping
        t.advance(50);
        QCOMPARE(h.slider.Label1->caption(), QStringLiteral("1500.00 pkt"));
        QCOMPARE(v.slider.Label1->caption(), QStringLiteral("-2250.00 pkt"));
        QCOMPARE(h.slider.pos(), hAt);
        QCOMPARE(v.slider.pos(), vAt);
    }

    // True size from the menu reads real lengths on the monitor holding the beam (one of 109 pixels per
    // inch that names its maker); a known length sets a scale until the scroll bar moves; the
    // calibration refuses what cannot be, stores the monitor's density under its name and maker, and
    // is reset to the reported size. Everything is written to the store's Display section.
    void trueLengths_menuDialogsAndStore() {
        TestProgram t;
        t.screen.setScreens({{QStringLiteral("DP-1"), {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 1.0,
                              QSizeF(447.4, 251.6), true, {"DEL", "U2720Q", "SN 7"}}});
        auto [h, v] = bothShown(t);
        Start& p = t.start_();
        h.nudge(120);
        v.nudge(120);
        const QString density = QStringLiteral("Density.DP-1.DEL.U2720Q.SN_7");
        auto entry = [&](Slider& slider, const char* name) {
            std::unique_ptr<QMenu> m(createContextMenu(p, &slider, nullptr));
            m->findChild<QAction*>(QLatin1String(name))->trigger();
            for (auto* open : p.findChildren<forms::InputDialog*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
                if (open->isVisible()) return open;
            return static_cast<forms::InputDialog*>(nullptr);
        };
        auto reading = [&] {
            t.advance(50);
            return h.slider.Label1->caption();
        };
        QCOMPARE(reading(), QStringLiteral("3.17 cm"));
        entry(h.slider, "trueSize");
        QCOMPARE(reading(), QStringLiteral("2.80 cm"));
        QCOMPARE(t.stored(kx::setting::TrueSize), QStringLiteral("true"));

        forms::InputDialog* known = entry(h.slider, "knownLength");
        QVERIFY(known);
        known->setText(QStringLiteral("0 m"));
        known->accept();
        QVERIFY(!known->refusal().isEmpty());
        QCOMPARE(reading(), QStringLiteral("2.80 cm"));
        known->setText(QStringLiteral("2.7960 m")); // 120 / 109 inches
        known->accept();
        QVERIFY2(known->refusal().isEmpty(), qPrintable(known->refusal()));
        QCOMPARE(reading(), QStringLiteral("279.60 cm"));
        QCOMPARE(p.Label7->caption(), QStringLiteral("100")); // 100.0036, shown with the scroll bar's scale
        QCOMPARE(t.stored(kx::setting::KnownLengthScale).toDouble(), t.m().KnownLengthScale);
        p.HScroll2->setValue(2);
        QCOMPARE(reading(), QStringLiteral("5.59 cm"));
        QCOMPARE(t.stored(kx::setting::KnownLengthScale), QString());
        p.HScroll2->setValue(1);

        forms::InputDialog* card = entry(h.slider, "calibrate");
        QCOMPARE(card->text(), QStringLiteral("85.60 mm"));
        card->accept(); // 120 pixels on a card's 85.60 mm: 35.6 pixels per inch
        QVERIFY(!card->refusal().isEmpty());
        card->setText(QStringLiteral("30.48 mm")); // 1.2 inches
        card->accept();
        QVERIFY(card->refusal().isEmpty());
        QCOMPARE(reading(), QStringLiteral("3.05 cm"));
        entry(v.slider, "calibrate")->accept(); // the card's 53.98 mm down
        const QStringList stored = t.stored(kx::setting::Density, density).split(QLatin1Char(' '));
        QCOMPARE(stored.value(0), QStringLiteral("100"));
        QCOMPARE(stored.value(1).toDouble(), 120 / (53.98 / 25.4));
        entry(h.slider, "calibrate")->findChild<QPushButton*>(QStringLiteral("reset"))->click();
        QCOMPARE(reading(), QStringLiteral("2.80 cm"));
        QCOMPARE(t.stored(kx::setting::Density, density), QString());
    }

    // A length the dialogs cannot use keeps the dialog open with the reason, and the scale and the
    // calibration as they were: 400 pixels (6000 twips) between the jaws, a known length of an inch set
    // before.
    void trueLengths_refusalsSayWhyAndKeepTheScale_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reason"); // a part of it
        QTest::newRow("scale above the largest") << "knownLength" << "1000000 km" << "1,000,000,000 times";
        QTest::newRow("length under 0.01 twi") << "knownLength" << "0.000000000000000000001 mm" << "less than 0.01";
        QTest::newRow("scale under the smallest") << "knownLength" << "0.000004 in" << "less than 0.000001";
        QTest::newRow("known length, decimal comma") << "knownLength" << "85,60 mm" << "separator is \".\"";
        QTest::newRow("calibration, decimal comma") << "calibrate" << "85,60 mm" << "separator is \".\"";
        QTest::newRow("calibration, 28 dpi") << "calibrate" << "36 cm" << "makes 28 pixels per inch";
        QTest::newRow("calibration beyond any number")
            << "calibrate" << "0.000000000000000000000000001 mm" << "makes more than 1,000,000 pixels per inch";
        QTest::newRow("calibration under a pixel per inch") << "calibrate" << "3 km" << "makes less than 1 pixel";
    }
    void trueLengths_refusalsSayWhyAndKeepTheScale() {
        QFETCH(QString, dialog);
        QFETCH(QString, typed);
        QFETCH(QString, reason);
        TestProgram t;
        auto [h, v] = bothShown(t);
        Start& p = t.start_();
        h.nudge(400);
        p.Option5->setValue(true); // twips: 0.000004 in is 0.00576 twi
        auto open = [&](const char* name) {
            std::unique_ptr<QMenu> m(createContextMenu(p, &h.slider, nullptr));
            m->findChild<QAction*>(QLatin1String(name))->trigger();
            for (auto* open : p.findChildren<forms::InputDialog*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
                if (open->isVisible()) return open;
            return static_cast<forms::InputDialog*>(nullptr);
        };
        forms::InputDialog* known = open("knownLength");
        known->setText(QStringLiteral("1 in")); // 1440 twips read 6000: a scale of 0.24
        known->accept();
        QVERIFY2(known->refusal().isEmpty(), qPrintable(known->refusal()));
        t.advance(50);
        const QString reading = h.slider.Label1->caption();
        QCOMPARE(reading, QStringLiteral("1440.00 twi"));
        QCOMPARE(p.Label7->caption(), QStringLiteral("0.24"));

        forms::InputDialog* asked = open(qPrintable(dialog));
        asked->setText(typed);
        asked->accept();
        QVERIFY2(asked->refusal().contains(reason), qPrintable(asked->refusal()));
        QVERIFY(asked->isVisible());
        t.advance(50);
        QCOMPARE(h.slider.Label1->caption(), reading);
        QCOMPARE(p.Label7->caption(), QStringLiteral("0.24"));
        QCOMPARE(t.stored(kx::setting::KnownLengthScale).toDouble(), 0.24);
        QVERIFY(!p.trueLengths().on());
    }

    // An offset that is no number stops nudges, drags, tracking and readout until Command1 sets it again.
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
        const QPoint at = c.slider.pos();
        c.offset = Variant::fromText(damaged);
        c.slider.Command1_Click();
        c.slider.Command2_MouseDown();
        t.advance(200);
        c.slider.Command2_MouseUp();
        c.slider.Label2_MouseDown();
        c.slider.Label2_MouseMove(20, 20);
        c.slider.Label2_MouseUp();
        c.beam.move(c.beam.pos() + QPoint(5, 5));
        t.advance(50);
        QCOMPARE(c.offset.text(), damaged);
        QCOMPARE(c.slider.pos(), at);
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.03 cm"));
        QCOMPARE(c.slider.caption(), QStringLiteral("0.03 cm"));
        QTest::mouseClick(t.start_().Command1, Qt::LeftButton);
        t.advance(50);
        QCOMPARE(c.slider.Label1->caption(), QStringLiteral("0.00 cm"));
        QCOMPARE(c.sliderFromBeam(), c.atZero());
    }
};

QTEST_MAIN(TestCaliper)
#include "test_caliper.moc"
