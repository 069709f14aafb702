// The control panel as it first appears: what shows, the starting values, the pointers and tooltips,
// the places that depend on the twips conversion, and the order of the Tab key.

#include "support/testprogram.h"

#include <QTest>

using kx::test::TestProgram;

namespace {

// The controls the Tab key visits, in the order of the focus chain, starting with `first`.
QList<QWidget*> tabOrder(kx::Start& s, QWidget* first) {
    QList<QWidget*> order;
    QWidget* w = &s;
    do {
        if (w->isVisibleTo(&s) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) order << w;
        w = w->nextInFocusChain();
    } while (w != &s && order.size() < 100);
    const qsizetype at = order.indexOf(first);
    return at < 0 ? order : order.mid(at) + order.mid(0, at);
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // On one 96-dpi screen, and on a 200 % primary monitor right of a 150 % one, where the panel opens
    // wholly on the primary monitor, twice as large.
    void initialViewAndValues_data() {
        QTest::addColumn<bool>("twoMonitors");
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QRect>("picture1");
        QTest::addColumn<QRect>("command3");
        QTest::newRow("96 dpi") << false << QRect(253, 95, 395, 197) << QRect(192, 8, 184, 184)
                                << QRect(379, 8, 13, 184);
        QTest::newRow("200 % primary, right") << true << QRect(1768, 190, 790, 394) << QRect(384, 16, 368, 368)
                                              << QRect(757, 16, 27, 368);
    }
    void initialViewAndValues() {
        QFETCH(bool, twoMonitors);
        QFETCH(QRect, panel);
        QFETCH(QRect, picture1);
        QFETCH(QRect, command3);
        TestProgram t;
        if (twoMonitors) {
            const QRect left(0, 0, 1280, 800), right(1280, 0, 1280, 800);
            t.screen.setScreens({{QStringLiteral("LEFT"), left, left, 1.5, {}, false},
                                 {QStringLiteral("RIGHT"), right, right, 2.0, {}, true}});
        }
        t.start();
        kx::Start& s = t.start_();
        QCOMPARE(s.caption(), QStringLiteral("Kalibrix"));
        QCOMPARE(s.geometry(), panel); // the client area
        QVERIFY(t.screen.screens().last().available.contains(s.frameGeometry()));
        // The right half shows the banner, not the calibration frame.
        QVERIFY(s.Picture1->isVisible());
        QVERIFY(!s.Frame2->isVisibleTo(&s));
        QCOMPARE(s.Picture1->geometry(), picture1);
        // The minimise strip: 200 twips wide, as tall as the picture, at the right edge.
        QCOMPARE(s.Command3->geometry(), command3);
        QCOMPARE(s.Check5->value(), 1);
        QVERIFY(s.Option2->value());
        // The scale: 1 to 1000, at 1, and the label agrees.
        QCOMPARE(s.HScroll2->minimum(), 1);
        QCOMPARE(s.HScroll2->maximum(), 1000);
        QCOMPARE(s.HScroll2->value(), 1);
        QCOMPARE(s.Label7->caption(), QStringLiteral("1"));
        // Hidden labels hold the zero points; the banner's store never shows.
        QVERIFY(!s.Label1->isVisibleTo(&s) && !s.Label2->isVisibleTo(&s));
        QVERIFY(!s.Picture4->isVisibleTo(&s));
        QVERIFY(!s.rect().intersects(s.Picture4->geometry()));
        // Tooltips, and the pointing hand over the two clickable pictures.
        QCOMPARE(s.Command3->toolTip(), QStringLiteral("Minimieren"));
        QCOMPARE(s.Picture6->toolTip(), QStringLiteral("Zollstock"));
        for (QWidget* picture : {static_cast<QWidget*>(s.Picture1), static_cast<QWidget*>(s.Picture6)}) {
            QCOMPARE(picture->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(picture->cursor().hotSpot(), QPoint(5, 0) * (panel.width() / 395));
        }
    }

    // Frames, labels and hidden controls take no focus; the calibration view adds its scroll bars and
    // check box.
    void tabOrder() {
        TestProgram t;
        t.start();
        kx::Start& s = t.start_();
        const QList<QWidget*> frame1{s.Command1, s.Option6,          s.Option5,  s.Option4,          s.Option3,
                                     s.Option2,  s.Check2->widget(), s.Check1->widget(), s.Picture6, s.Command2,
                                     s.Check3->widget(), s.Command3, s.Check4->widget()};
        QCOMPARE(::tabOrder(s, s.Picture1), (QList<QWidget*>{s.Picture1} + frame1));
        s.Check4->setValue(1);
        const QList<QWidget*> frame2{s.HScroll1, s.VScroll1, s.Check5->widget(), s.HScroll2};
        QCOMPARE(::tabOrder(s, s.Command1), frame1 + frame2);
    }
};

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
