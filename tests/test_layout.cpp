#include "support/testprogram.h"

#include <QTest>

#include <memory>

using kx::test::TestProgram;

namespace {

// The panel's controls that take part in the layout checks, by name.
QList<QPair<QString, QWidget*>> controls(kx::Start& s) {
    return {{"Frame1", s.Frame1},           {"Frame2", s.Frame2},           {"Picture1", s.Picture1},
            {"Picture4", s.Picture4},       {"Command3", s.Command3},       {"Check1", s.Check1->widget()},
            {"Check2", s.Check2->widget()}, {"Check3", s.Check3->widget()}, {"Check4", s.Check4->widget()},
            {"Command1", s.Command1},       {"Command2", s.Command2},       {"Option2", s.Option2},
            {"Option3", s.Option3},         {"Option4", s.Option4},         {"Option5", s.Option5},
            {"Option6", s.Option6},         {"Picture6", s.Picture6},       {"Label1", s.Label1},
            {"Label2", s.Label2},           {"Label3", s.Label3},           {"Label4", s.Label4},
            {"Label7", s.Label7},           {"HScroll1", s.HScroll1},       {"VScroll1", s.VScroll1},
            {"HScroll2", s.HScroll2},       {"Check5", s.Check5->widget()}};
}

QWidget* control(kx::Start& s, const QString& name) {
    for (const auto& [n, w] : controls(s))
        if (n == name) return w;
    return nullptr;
}

// The controls the Tab key visits, in the order of the focus chain, starting with `first`.
QStringList tabOrder(kx::Start& s, const QString& first) {
    QStringList names;
    QWidget* w = &s;
    do {
        if (w->isVisibleTo(&s) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            QString name = QStringLiteral("?");
            for (const auto& [n, c] : controls(s))
                if (c == w) name = n;
            names << name;
        }
        w = w->nextInFocusChain();
    } while (w != &s && names.size() < 100);
    const qsizetype at = names.indexOf(first);
    return at < 0 ? names : names.mid(at) + names.mid(0, at);
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TestProgram> t;

  private Q_SLOTS:
    void init() {
        t = std::make_unique<TestProgram>();
        t->start();
    }
    void cleanup() { t.reset(); }

    void window() {
        kx::Start& s = t->start_();
        QCOMPARE(s.caption(), QStringLiteral("Kalibrix"));
        QCOMPARE(s.size(), QSize(395, 197));
        QVERIFY(!s.windowIcon().isNull());
    }

    void initialViewAndValues() {
        kx::Start& s = t->start_();
        // The right half shows the banner, not the calibration frame.
        QVERIFY(s.Picture1->isVisible());
        QVERIFY(!s.Frame2->isVisibleTo(&s));
        QCOMPARE(s.Picture1->geometry(), QRect(192, 8, 184, 184));
        QCOMPARE(s.Picture1->innerSize(), QSize(180, 180));
        QCOMPARE(s.Check5->value(), 1);
        QCOMPARE(s.Check5->widget()->text(), QStringLiteral("Kalibrix immer oben halten."));
        for (auto* check : {s.Check1, s.Check2, s.Check3, s.Check4}) QCOMPARE(check->value(), 0);
        const QList<kx::forms::OptionButton*> options{s.Option2, s.Option3, s.Option4, s.Option5, s.Option6};
        for (int i = 0; i < options.size(); ++i) {
            QCOMPARE(options[i]->text(), QString::fromLatin1(kx::kUnits[i].caption));
            QCOMPARE(options[i]->value(), i == 0);
        }
        // The scale: 1 to 1000, at 1, and the label agrees.
        QCOMPARE(s.HScroll2->minimum(), 1);
        QCOMPARE(s.HScroll2->maximum(), 1000);
        QCOMPARE(s.HScroll2->value(), 1);
        QCOMPARE(s.Label7->caption(), QStringLiteral("1"));
        QCOMPARE(s.Frame2->title(), QStringLiteral("Justieren "));
        // Hidden labels hold the zero points; the banner's store never shows.
        QVERIFY(!s.Label1->isVisibleTo(&s) && !s.Label2->isVisibleTo(&s));
        QVERIFY(!s.Picture4->isVisibleTo(&s));
        QVERIFY(!s.rect().intersects(s.Picture4->geometry()));
    }

    void tooltipsAndPointers() {
        kx::Start& s = t->start_();
        QCOMPARE(s.Command3->toolTip(), QStringLiteral("Minimieren"));
        QCOMPARE(s.Picture6->toolTip(), QStringLiteral("Zollstock"));
        // The pointing hand over the two clickable pictures.
        QCOMPARE(s.Picture1->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(s.Picture6->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(s.Picture1->cursor().hotSpot(), QPoint(5, 0));
    }

    void geometryInPixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("Frame1") << "Frame1" << QRect(8, 0, 177, 193);
        QTest::newRow("Frame2") << "Frame2" << QRect(192, 0, 185, 193);
        QTest::newRow("Command3") << "Command3" << QRect(379, 8, 13, 184);
        QTest::newRow("Check1") << "Check1" << QRect(8, 16, 57, 65);
        QTest::newRow("Check2") << "Check2" << QRect(8, 96, 57, 65);
        QTest::newRow("Check3") << "Check3" << QRect(72, 16, 25, 25);
        QTest::newRow("Command2") << "Command2" << QRect(144, 16, 25, 25);
        QTest::newRow("Option2") << "Option2" << QRect(80, 48, 89, 17);
        QTest::newRow("Option6") << "Option6" << QRect(80, 144, 89, 17);
        QTest::newRow("Picture6") << "Picture6" << QRect(8, 168, 161, 17);
        QTest::newRow("Label3") << "Label3" << QRect(8, 56, 121, 17);
        QTest::newRow("HScroll1") << "HScroll1" << QRect(8, 72, 113, 9);
        QTest::newRow("VScroll1") << "VScroll1" << QRect(160, 16, 9, 65);
        QTest::newRow("HScroll2") << "HScroll2" << QRect(32, 128, 121, 17);
        QTest::newRow("Check5") << "Check5" << QRect(24, 160, 121, 25);
    }
    void geometryInPixels() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QWidget* w = control(t->start_(), name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), pixels);
    }

    void tabOrder_data() {
        QTest::addColumn<bool>("calibrationView");
        QTest::addColumn<QStringList>("expected");
        const QStringList frame1{"Command1", "Option6", "Option5", "Option4", "Option3", "Option2", "Check2",
                                 "Check1",   "Picture6", "Command2", "Check3", "Command3", "Check4"};
        QTest::newRow("picture view") << false << QStringList{"Picture1"} + frame1;
        QTest::newRow("calibration view") << true
                                          << frame1 + QStringList{"HScroll1", "VScroll1", "Check5", "HScroll2"};
    }
    void tabOrder() {
        QFETCH(bool, calibrationView);
        QFETCH(QStringList, expected);
        kx::Start& s = t->start_();
        s.Check4->setValue(calibrationView ? 1 : 0);
        QCOMPARE(::tabOrder(s, expected.first()), expected);
    }
};

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
