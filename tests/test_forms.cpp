// The forms layer: which value changes run a control's handler, picture boxes, the twips conversion,
// and how the application loads and unloads its windows.

#include "support/testprogram.h"

#include <QCheckBox>
#include <QStyle>
#include <QTest>

using namespace kx::forms;

namespace {

// The platform doubles and an application on them.
struct Platform : kx::test::Doubles {
    QStringList log;
    Application app{env};

    // A window that notes its load and unload handling; it can load and unload another window from them.
    struct Probe final : Form {
        Probe(Platform& p, const QString& name, const QString& loadAlso, const QString& unloadAlso)
            : Form(p.app, name), log(p.log), loadAlso(loadAlso), unloadAlso(unloadAlso) {}
        void Form_Load() override {
            log << QStringLiteral("load ") + formName();
            if (!loadAlso.isEmpty()) app().form(loadAlso);
        }
        void Form_Unload() override {
            log << QStringLiteral("unload ") + formName();
            if (!unloadAlso.isEmpty()) app().unload(unloadAlso);
            log << QStringLiteral("unloaded ") + formName();
        }
        QStringList& log;
        const QString loadAlso, unloadAlso;
    };

    void add(const QString& name, const QString& loadAlso = {}, const QString& unloadAlso = {}) {
        app.registerForm(name, [=, this](Application&) {
            return std::make_unique<Probe>(*this, name, loadAlso, unloadAlso);
        });
    }
};

QImage picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x, y, 0x40));
    return image;
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void checkBoxClicksOnlyOnChange_data() {
        QTest::addColumn<bool>("graphical");
        QTest::newRow("standard") << false;
        QTest::newRow("graphical") << true;
    }
    void checkBoxClicksOnlyOnChange() {
        QFETCH(bool, graphical);
        QWidget window;
        CheckBox box(&window, graphical ? CheckBox::Style::Graphical : CheckBox::Style::Standard, "Check");
        box.widget()->setGeometry(8, 8, 121, 25);
        QList<int> clicks; // the value each Click handler saw
        box.onClick = [&] { clicks << box.value(); };
        for (int value : {1, 1, 0, 0}) box.setValue(value);
        QCOMPARE(clicks, QList<int>({1, 0}));
        window.show();
        QTest::mouseClick(box.widget(), Qt::LeftButton, {}, QPoint(8, 12));
        QCOMPARE(clicks, QList<int>({1, 0, 1}));
        QCOMPARE(box.value(), 1);
    }

    void optionButtonsFormOneGroupPerContainer() {
        QWidget window;
        QWidget frame1(&window), frame2(&window);
        frame2.move(0, 100);
        OptionButton a(&frame1, "a"), b(&frame1, "b"), c(&frame1, "c"), other(&frame2, "other");
        c.move(0, 50);
        QStringList clicks;
        for (OptionButton* o : {&a, &b, &c, &other}) o->onClick = [&clicks, o] { clicks << o->text(); };
        a.setValue(true);
        other.setValue(true);
        b.setValue(true); // selecting from code runs Click, and deselects the group's other one
        b.setValue(true); // already selected: nothing
        QCOMPARE(clicks, QStringList({"a", "other", "b"}));
        QVERIFY(!a.value() && b.value() && !c.value());
        QVERIFY(other.value()); // another container is another group
        window.show();
        QTest::mouseClick(&c, Qt::LeftButton);
        QTest::mouseClick(&c, Qt::LeftButton); // a click on the selected one keeps it selected
        QVERIFY(!a.value() && !b.value() && c.value() && other.value());
        QCOMPARE(clicks, QStringList({"a", "other", "b", "c"}));
    }

    void scrollBarReportsCompletedChangesOnly() {
        QWidget window;
        ScrollBar bar(&window, Qt::Horizontal);
        bar.setGeometry(0, 0, 121, 17);
        QList<int> seen;
        bar.onChange = [&] { seen << bar.value(); };
        bar.setValue(bar.value()); // same value: no Change
        // Narrowing the range moves the position once: one Change.
        bar.setMaximum(-7000);
        bar.setMinimum(-7400);
        bar.setValue(-7200);
        bar.setValue(-9000); // clamped to the minimum
        QCOMPARE(seen, QList<int>({-7000, -7200, -7400}));
        // Dragging the thumb reports nothing until it is released; a drag back to the start changes nothing.
        bar.setSliderDown(true);
        bar.setSliderPosition(-7300);
        bar.setSliderPosition(-7100);
        QCOMPARE(bar.value(), -7400);
        bar.setSliderDown(false);
        bar.setSliderDown(true);
        bar.setSliderPosition(-7000);
        bar.setSliderPosition(-7100);
        bar.setSliderDown(false);
        QCOMPARE(seen, QList<int>({-7000, -7200, -7400, -7100}));
        // An arrow click is one step and one Change.
        window.show();
        QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 4, bar.height() / 2));
        QCOMPARE(seen.last(), -7099);
        QCOMPARE(seen.size(), 5);

        // The vertical zero point's bar: the maximum leaves the default position alone, the minimum moves it.
        ScrollBar vertical(&window, Qt::Vertical);
        seen.clear();
        vertical.onChange = [&] { seen << vertical.value(); };
        vertical.setMaximum(614);
        vertical.setMinimum(214);
        QCOMPARE(seen, QList<int>({214}));
    }

    void pictureBoxSizesAndScale() {
        Platform p;
        QWidget window;
        PictureBox box(&window, p.env);
        box.setGeometry(p.env.twipsRect(2880, 120, 2760, 2760));
        box.setAutoSize(true);
        const QImage banner = picture(180, 180);
        box.setPicture(banner);
        QCOMPARE(box.size(), QSize(184, 184)); // the sunken border adds 2 pixels on each side
        QCOMPARE(box.innerSize(), QSize(180, 180));
        QCOMPARE(box.scaleWidth(), 2700.0); // twips by default
        box.setScaleMode(PictureBox::ScaleMode::Pixels);
        QCOMPARE(box.scaleHeight(), 180.0);
        box.setBorderStyle(0);
        QCOMPARE(box.size(), QSize(180, 180));
        QCOMPARE(box.drawing().size(), QSize(180, 180));
        // Drawing is wiped by Cls, which brings the picture back.
        box.drawing().fill(Qt::black);
        box.cls();
        QCOMPARE(box.drawing(), banner);

        // Without auto-size the picture is cut off by the inner area.
        PictureBox strip(&window, p.env);
        strip.setGeometry(p.env.twipsRect(120, 2520, 2415, 255));
        strip.setPicture(picture(189, 16));
        QCOMPARE(strip.size(), QSize(161, 17));
        QCOMPARE(strip.drawing().size(), QSize(157, 13));
        QCOMPARE(strip.drawing().pixel(156, 12), qRgb(156, 12, 0x40));
        // At 7.5 twips per pixel the twips scale halves.
        p.screen.setTwipsPerPixel(7.5f, 7.5f);
        strip.setScaleMode(PictureBox::ScaleMode::Twips);
        QCOMPARE(strip.scaleWidth(), 157 * 7.5);

        // While the window is hidden a box gets no resize events: the persistent image must follow
        // auto-size and any other resize all the same.
        PictureBox hidden(&window, p.env);
        hidden.setGeometry(0, 0, 50, 50);
        hidden.setPicture(picture(180, 180));
        hidden.setAutoSize(true);
        QCOMPARE(hidden.drawing().size(), QSize(180, 180));
        hidden.setAutoSize(false);
        hidden.resize(60, 40);
        QCOMPARE(hidden.drawing().size(), QSize(52, 32)); // at 200 % the border is 4 pixels wide
    }

    // A label wraps its caption at blanks; only a word wider than the label is broken, before its
    // decimal separator where that fits, and a character wider than the label takes a line alone.
    void labelWrapsAtBlanks_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("widest"); // the label is just wide enough for this
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("fits") << "0.00 cm" << "0.00 cm" << QStringList{"0.00 cm"};
        QTest::newRow("number, then unit") << "0.00 cm" << "0.00" << QStringList{"0.00 ", "cm"};
        QTest::newRow("check box caption")
            << "Kalibrix immer oben halten." << "Kalibrix immer" << QStringList{"Kalibrix immer ", "oben halten."};
        QTest::newRow("number too wide") << "-99999.99 zoll" << "-99999" << QStringList{"-99999", ".99 ", "zoll"};
        QTest::newRow("character too wide") << "WW" << "" << QStringList{"W", "W"};
    }
    void labelWrapsAtBlanks() {
        QFETCH(QString, caption);
        QFETCH(QString, widest);
        QFETCH(QStringList, lines);
        Label label(nullptr, caption);
        const QRect fitting = layoutCaption(widest, label.font(), QSize(1000, 100), Qt::AlignLeft).ink;
        label.resize(fitting.isEmpty() ? 1 : fitting.right() + 1, 100);
        QCOMPARE(label.captionLayout().lines, lines);
    }

    void twipsToPixels_data() {
        QTest::addColumn<float>("twipsPerPixel");
        QTest::addColumn<QRectF>("twips");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("picture, 15") << 15.0f << QRectF(2880, 120, 2760, 2760) << QRect(192, 8, 184, 184);
        QTest::newRow("strip button, 15") << 15.0f << QRectF(5680, 120, 200, 2760) << QRect(379, 8, 13, 184);
        QTest::newRow("rounding, 15") << 15.0f << QRectF(7, 8, 22, 23) << QRect(0, 1, 1, 2);
        QTest::newRow("picture, 7.5") << 7.5f << QRectF(2880, 120, 2760, 2760) << QRect(384, 16, 368, 368);
        QTest::newRow("strip button, 7.5") << 7.5f << QRectF(5680, 120, 200, 2760) << QRect(757, 16, 27, 368);
    }
    void twipsToPixels() {
        QFETCH(float, twipsPerPixel);
        QFETCH(QRectF, twips);
        QFETCH(QRect, pixels);
        Platform p;
        p.screen.setTwipsPerPixel(twipsPerPixel, twipsPerPixel);
        QCOMPARE(p.env.twipsRect(twips.x(), twips.y(), twips.width(), twips.height()), pixels);
    }

    void applicationLoadsOnFirstReference() {
        Platform p;
        p.add("Main", "Main"); // a reference to itself from its load handling finds it
        QVERIFY(!p.app.isLoaded("Main"));
        Form& first = p.app.form("Main");
        QCOMPARE(&p.app.form("Main"), &first);
        p.app.load("Main");
        QCOMPARE(p.log, QStringList({"load Main"}));
        QVERIFY(!first.isVisible()); // loading does not show
        p.app.unload("Main");
        p.app.unload("Main"); // not loaded any more: nothing
        QCOMPARE(p.log, QStringList({"load Main", "unload Main", "unloaded Main"}));
        QVERIFY(!p.app.isLoaded("Main"));
        QVERIFY(&p.app.form("Main") != &first); // a fresh window with fresh load handling
        QCOMPARE(p.log.last(), QStringLiteral("load Main"));
        try {
            p.app.form("Nowhere");
            QFAIL("an unknown window was found");
        } catch (const FormsError& e) {
            QCOMPARE(e.number(), 424);
        }
    }

    // A window made when it is first used: loading it does only what its load does to the rest of the
    // program; the first reference makes it, brings it up to date, and its timers keep the rhythm they
    // would have had since the load, one that would have ticked meanwhile ticking once at once.
    void applicationMakesAWindowWhenItIsFirstUsed() {
        Platform p;
        int ticks = 0;
        Timer* timer = nullptr;
        auto made = [&](const QString& name) {
            return [&, name](Application&) {
                auto form = std::make_unique<Platform::Probe>(p, name, QString(), QString());
                timer = &form->createTimer(50, true);
                timer->setHandler([&] { ++ticks; });
                return form;
            };
        };
        const Application::MadeWhenUsed later{.atLoad = [&] { p.log << "at load"; },
                                              .atCreation = [&](Form& f) { p.log << "made " + f.formName(); },
                                              .atUnload = [&] { p.log << "at unload"; }};
        p.app.registerForm("Late", made("Late"), later);
        p.app.onLastUnloaded = [&] { p.log << "last"; };
        p.app.load("Late");
        QVERIFY(p.app.isLoaded("Late"));
        QVERIFY(!p.app.existing("Late"));
        p.app.load("Late"); // loaded already: nothing
        QCOMPARE(p.log, QStringList({"at load"}));
        p.clock.advance(std::chrono::milliseconds(120));
        Form& late = p.app.form("Late");
        QCOMPARE(p.app.existing("Late"), &late);
        QCOMPARE(p.log, QStringList({"at load", "load Late", "made Late"}));
        QCOMPARE(ticks, 1); // it would have ticked at 50 and 100
        p.clock.advance(std::chrono::milliseconds(29));
        QCOMPARE(ticks, 1);
        p.clock.advance(std::chrono::milliseconds(1)); // 150, in its rhythm from the load
        QCOMPARE(ticks, 2);

        // A first reference before the first tick: nothing to catch up; then unloaded as any window.
        p.app.unload("Late");
        p.log.clear();
        p.app.load("Late");
        p.clock.advance(std::chrono::milliseconds(10));
        p.app.form("Late");
        QCOMPARE(ticks, 2);
        p.clock.advance(std::chrono::milliseconds(40));
        QCOMPARE(ticks, 3);
        p.app.unload("Late");
        QCOMPARE(p.log, QStringList({"at load", "load Late", "made Late", "unload Late", "unloaded Late", "last"}));

        // Never made: its unload does only what it does to the rest, and the program ends after it.
        p.log.clear();
        p.app.load("Late");
        p.app.unload("Late");
        QVERIFY(!p.app.isLoaded("Late"));
        QCOMPARE(p.log, QStringList({"at load", "at unload", "last"}));
        // Referred to while not loaded: loaded and made at once, nothing to bring up to date.
        p.log.clear();
        p.app.form("Late");
        QCOMPARE(p.log, QStringList({"at load", "load Late"}));
    }

    void applicationEndsAfterTheLastUnload() {
        Platform p;
        p.add("Main", "Child", "Child");
        p.add("Child");
        p.app.onLastUnloaded = [&] { p.log << "last"; };
        Form& main = p.app.form("Main");
        QVERIFY(p.app.isLoaded("Child"));
        main.show();
        main.close(); // closing a window by any means unloads it
        QVERIFY(!main.isVisible());
        QVERIFY(!p.app.isLoaded("Main") && !p.app.isLoaded("Child"));
        // The program ends once, after the closing window's unload handling has finished (which is
        // where the calibration gets saved).
        QCOMPARE(p.log, QStringList({"load Main", "load Child", "unload Main", "unload Child", "unloaded Child",
                                     "unloaded Main", "last"}));
    }

    // The program paints a frame itself where the style would paint it from a picture file: the same
    // pixels, with and without a caption, on the panel's background.
    void frameLooksAsTheStyleDrawsIt_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("size");
        QTest::newRow("no caption") << QString() << QSize(184, 213);
        QTest::newRow("caption") << QStringLiteral("Justieren ") << QSize(184, 197);
        QTest::newRow("200 %") << QStringLiteral("Justieren ") << QSize(368, 394);
    }
    void frameLooksAsTheStyleDrawsIt() {
        QFETCH(QString, caption);
        QFETCH(QSize, size);
        if (QApplication::style()->name() != QLatin1String("fusion")) QSKIP("the program paints frames only for Fusion");
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
        auto picture = [&](QGroupBox& box) {
            box.setPalette(palette);
            box.resize(size);
            QImage image(size, QImage::Format_RGB32);
            image.fill(palette.color(QPalette::Window));
            box.render(&image);
            return image;
        };
        QGroupBox styled(caption);
        Frame ours(nullptr, caption);
        QCOMPARE(picture(ours), picture(styled));
    }

    void focusNeedsAShownWindowAndAVisibleEnabledControl() {
        Platform p;
        p.add("Main");
        Form& form = p.app.form("Main");
        auto* button = new QPushButton(&form);
        auto* hidden = new QPushButton(&form);
        hidden->hide();
        QVERIFY_THROWS_EXCEPTION(FormsError, setFocusTo(button)); // the window is hidden
        form.show();
        setFocusTo(button);
        QCOMPARE(form.focusWidget(), button);
        QCOMPARE(p.windows.lastActivated(), &form);
        form.setWindowStateValue(1);
        QVERIFY_THROWS_EXCEPTION(FormsError, setFocusTo(button)); // the window is minimised
        form.setWindowStateValue(0);
        QVERIFY_THROWS_EXCEPTION(FormsError, setFocusTo(hidden));
        button->setEnabled(false);
        QVERIFY_THROWS_EXCEPTION(FormsError, setFocusTo(button));
    }
};

QTEST_MAIN(TestForms)
#include "test_forms.moc"
