// The control panel as it first appears: what shows, the starting values, the pointers, the places
// that depend on the twips conversion, the order of the Tab key, the texts in English and German and
// what screen readers hear.

#include "panel/contextmenu.h"
#include "support/germantexts.h"
#include "support/testprogram.h"

#include <QAccessible>
#include <QMenu>
#include <QSet>
#include <QTest>
#include <optional>

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
            t.screen.setScreens({{QStringLiteral("LEFT"), left, left, 1.5, {}, false, {}},
                                 {QStringLiteral("RIGHT"), right, right, 2.0, {}, true, {}}});
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
        // The pointing hand over the two clickable pictures.
        for (QWidget* picture : {static_cast<QWidget*>(s.Picture1), static_cast<QWidget*>(s.Picture6)}) {
            QCOMPARE(picture->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(picture->cursor().hotSpot(), QPoint(5, 0) * (panel.width() / 395));
        }
    }

    // One control of each kind, its menu and what a screen reader hears, in English and in German;
    // the readings keep their unit suffixes in every language.
    void texts_englishAndGerman_data() {
        QTest::addColumn<bool>("german");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("English") << false
                                 << QStringList{"Centimetres", "Calibrate ", "Scale:", "Keep Kalibrix on top.",
                                                "Minimise", "Folding rule", "Close", "Magnifier",
                                                "&Copy reading", "Horizontal reading", "0.00 cm", "C&lose on the object"};
        QTest::newRow("German") << true
                                << QStringList{"Zentimeter", "Justieren ", "Maßstab:", "Kalibrix immer oben halten.",
                                               "Minimieren", "Zollstock", "Ende", "Lupe",
                                               "Messwert &kopieren", "Waagrechter Messwert", "0,00 cm",
                                               "An das Ob&jekt anlegen"};
    }
    void texts_englishAndGerman() {
        QFETCH(bool, german);
        QFETCH(QStringList, texts);
        std::optional<kx::test::GermanTexts> language;
        if (german) language.emplace();
        TestProgram t;
        t.start();
        t.advance(50);
        kx::Start& s = t.start_();
        kx::Slider& slider = t.form2();
        std::unique_ptr<QMenu> menu(kx::createContextMenu(s, &slider, nullptr));
        QAccessibleInterface* readout = QAccessible::queryAccessibleInterface(slider.Label1);
        QCOMPARE((QStringList{s.Option2->text(), s.Frame2->title(), s.Label5->text(), s.Check5->widget()->text(),
                              s.Command3->toolTip(), s.Picture6->toolTip(), t.form1().Label1->toolTip(),
                              s.Check3->widget()->accessibleName(), menu->actions().first()->text(),
                              readout->text(QAccessible::Name), readout->text(QAccessible::Value),
                              menu->findChild<QAction*>(QStringLiteral("closeJaws"))->text()}),
                 texts);
        // Every entry of both menus has an access key of its own, the panel's with the magnifier on.
        s.Check3->setValue(1);
        t.advance(50);
        std::unique_ptr<QMenu> panelMenu(kx::createContextMenu(s, nullptr, nullptr));
        QVERIFY(panelMenu->findChild<QAction*>(QStringLiteral("copyColour")));
        for (QMenu* m : {menu.get(), panelMenu.get()}) {
            QSet<QChar> keys;
            for (QAction* a : m->actions()) {
                if (a->isSeparator()) continue;
                const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0 && amp + 1 < a->text().size(), qPrintable(a->text()));
                QVERIFY2(!keys.contains(a->text().at(amp + 1).toLower()), qPrintable(a->text()));
                keys.insert(a->text().at(amp + 1).toLower());
            }
        }
        // "Keep Kalibrix on top." on one line; the magnifier's glass inside its button's frame.
        QVERIFY(s.Check5->widget()->sizeHint().width() <= s.Check5->widget()->width());
        QVERIFY(s.Check3->widget()->iconSize().width() <= s.Check3->widget()->width() - 4);
    }

    // Every control a user can reach has a name for screen readers; the readouts' values follow the
    // readings.
    void accessibleNamesAndValues() {
        TestProgram t;
        t.start();
        kx::Start& s = t.start_();
        s.Check1->setValue(1);
        s.Check4->setValue(1);
        QList<QWidget*> controls = s.findChildren<QWidget*>();
        for (const QString& name : {kx::names::Form1, kx::names::Form2, kx::names::Form31, kx::names::Form42})
            controls << t.app().form(name).findChildren<QWidget*>();
        for (QWidget* w : std::as_const(controls)) {
            const bool reachable = w->isVisibleTo(w->window()) && (w->focusPolicy() != Qt::NoFocus ||
                                                                 qobject_cast<QAbstractButton*>(w) ||
                                                                 w->property("kxReadout").toBool());
            if (!reachable || w->objectName().startsWith(QLatin1String("qt_"))) continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), w->metaObject()->className());
        }
        QAccessibleInterface* horizontal = QAccessible::queryAccessibleInterface(s.Label3);
        QAccessibleInterface* vertical = QAccessible::queryAccessibleInterface(t.form42().Label1);
        t.form2().Command1_Click();
        t.form42().Command2_Click();
        t.advance(51);
        QCOMPARE(horizontal->text(QAccessible::Value), QStringLiteral("0.03 cm"));
        QCOMPARE(vertical->text(QAccessible::Value), QStringLiteral("-0.03 cm"));
        QCOMPARE(vertical->text(QAccessible::Name), QStringLiteral("Vertical reading"));
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
