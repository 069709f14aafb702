#include "platform/clock.h"
#include "platform/fakeplatform.h"
#include "platform/forms.h"
#include "platform/settingsstore.h"

#include <QCheckBox>
#include <QTest>

using namespace kx::forms;

namespace {

// The platform doubles and an application on them.
struct Platform {
    kx::ManualClock clock;
    kx::FakeScreen screen;
    kx::FakeWindowSystem windows;
    kx::MemorySettingsStore settings;
    kx::FakeShell shell;
    Environment env{clock, screen, windows, settings, shell};
};

// A window that notes its load and unload handling; its unload can unload another window first.
class Probe final : public Form {
public:
    Probe(Application& app, const QString& name, QStringList& log) : Form(app, name), m_log(log) {}
    void Form_Load() override {
        m_log << QStringLiteral("load ") + formName();
        if (!loadAlso.isEmpty()) app().form(loadAlso);
    }
    void Form_Unload() override {
        m_log << QStringLiteral("unload ") + formName();
        if (!unloadAlso.isEmpty()) app().unload(unloadAlso);
        m_log << QStringLiteral("unloaded ") + formName();
    }
    QString loadAlso, unloadAlso;

private:
    QStringList& m_log;
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
        CheckBox box(&window, graphical ? CheckBox::Style::Graphical : CheckBox::Style::Standard,
                     QStringLiteral("Kalibrix immer oben halten."));
        box.widget()->setGeometry(8, 8, 121, 25);
        QList<int> clicks; // the value each Click handler saw
        box.onClick = [&] { clicks << box.value(); };
        box.setValue(1);
        box.setValue(1);
        box.setValue(0);
        box.setValue(0);
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
        OptionButton a(&frame1, QStringLiteral("Zentimeter")), b(&frame1, QStringLiteral("Pixel")),
            c(&frame1, QStringLiteral("Zoll")), other(&frame2, QStringLiteral("Twips"));
        c.move(0, 50);
        QStringList clicks;
        a.onClick = [&] { clicks << "a"; };
        b.onClick = [&] { clicks << "b"; };
        c.onClick = [&] { clicks << "c"; };
        other.onClick = [&] { clicks << "other"; };
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
        int changes = 0;
        bar.onChange = [&] { ++changes; };

        bar.setValue(bar.value()); // same value: no Change
        QCOMPARE(changes, 0);
        // Narrowing the range moves the position once: one Change.
        bar.setMaximum(-7000);
        QCOMPARE(changes, 1);
        QCOMPARE(bar.value(), -7000);
        bar.setMinimum(-7400);
        QCOMPARE(changes, 1);
        bar.setValue(-7200);
        QCOMPARE(changes, 2);
        bar.setValue(-9000); // clamped to the minimum
        QCOMPARE(bar.value(), -7400);
        QCOMPARE(changes, 3);

        // Dragging the thumb reports nothing until it is released.
        bar.setSliderDown(true);
        bar.setSliderPosition(-7300);
        bar.setSliderPosition(-7100);
        QCOMPARE(changes, 3);
        QCOMPARE(bar.value(), -7400);
        bar.setSliderDown(false);
        QCOMPARE(changes, 4);
        QCOMPARE(bar.value(), -7100);
        // A drag that ends where it began changes nothing.
        bar.setSliderDown(true);
        bar.setSliderPosition(-7000);
        bar.setSliderPosition(-7100);
        bar.setSliderDown(false);
        QCOMPARE(changes, 4);

        // An arrow click is one step and one Change.
        window.show();
        QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 4, bar.height() / 2));
        QCOMPARE(bar.value(), -7099);
        QCOMPARE(changes, 5);
    }

    void scrollBarRangeFromItsDefault() {
        // The vertical zero point's bar: the maximum leaves the default position alone, the minimum
        // moves it.
        QWidget window;
        ScrollBar bar(&window, Qt::Vertical);
        QList<int> seen;
        bar.onChange = [&] { seen << bar.value(); };
        bar.setMaximum(614);
        bar.setMinimum(214);
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
        QCOMPARE(box.scaleWidth(), 180.0);
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
    }

    void pictureBoxDrawingFollowsAutoSizeWhileHidden() {
        // Auto-size switched on after the picture, before the window is shown: the persistent image
        // must already have the new inner size.
        Platform p;
        QWidget window;
        PictureBox box(&window, p.env);
        box.setGeometry(0, 0, 50, 50);
        box.setPicture(picture(180, 180));
        box.setAutoSize(true);
        QCOMPARE(box.innerSize(), QSize(180, 180));
        QCOMPARE(box.drawing().size(), box.innerSize());
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
        Application app(p.env);
        QStringList log;
        Probe* made = nullptr;
        app.registerForm("Main", [&](Application& a) {
            auto f = std::make_unique<Probe>(a, "Main", log);
            f->loadAlso = "Main"; // a reference to itself from its load handling finds it
            made = f.get();
            return f;
        });
        QVERIFY(!app.isLoaded("Main"));
        Form& first = app.form("Main");
        QCOMPARE(&first, made);
        QCOMPARE(&app.form("Main"), &first);
        app.load("Main");
        QCOMPARE(log, QStringList({"load Main"}));
        QVERIFY(!first.isVisible()); // loading does not show

        app.unload("Main");
        app.unload("Main"); // not loaded any more: nothing
        QCOMPARE(log, QStringList({"load Main", "unload Main", "unloaded Main"}));
        QVERIFY(!app.isLoaded("Main"));
        Form& second = app.form("Main"); // a fresh window with fresh load handling
        QVERIFY(&second != &first);
        QCOMPARE(log.last(), QStringLiteral("load Main"));

        try {
            app.form("Nowhere");
            QFAIL("an unknown window was found");
        } catch (const FormsError& e) {
            QCOMPARE(e.number(), 424);
        }
    }

    void applicationEndsAfterTheLastUnload() {
        Platform p;
        Application app(p.env);
        QStringList log;
        app.registerForm("Main", [&](Application& a) {
            auto f = std::make_unique<Probe>(a, "Main", log);
            f->loadAlso = "Child";
            f->unloadAlso = "Child";
            return f;
        });
        app.registerForm("Child", [&](Application& a) { return std::make_unique<Probe>(a, "Child", log); });
        app.onLastUnloaded = [&] { log << "last"; };
        Form& main = app.form("Main");
        QVERIFY(app.isLoaded("Child"));
        main.show();
        main.close(); // closing a window by any means unloads it
        QVERIFY(!main.isVisible());
        QVERIFY(!app.isLoaded("Main") && !app.isLoaded("Child"));
        // The program ends once, after the closing window's unload handling has finished (which is
        // where the calibration gets saved).
        QCOMPARE(log, QStringList({"load Main", "load Child", "unload Main", "unload Child", "unloaded Child",
                                   "unloaded Main", "last"}));
    }

    void focusNeedsAVisibleWindow() {
        Platform p;
        Application app(p.env);
        QStringList log;
        app.registerForm("Main", [&](Application& a) { return std::make_unique<Probe>(a, "Main", log); });
        Form& form = app.form("Main");
        auto* button = new QPushButton(&form);
        auto* hidden = new QPushButton(&form);
        hidden->hide();
        QVERIFY_THROWS_EXCEPTION(FormsError, setFocusTo(button)); // the window is hidden
        form.show();
        setFocusTo(button);
        QCOMPARE(form.focusWidget(), button);
        QCOMPARE(p.windows.lastActivated(), &form);
        QVERIFY_THROWS_EXCEPTION(FormsError, setFocusTo(hidden));
        button->setEnabled(false);
        QVERIFY_THROWS_EXCEPTION(FormsError, setFocusTo(button));
    }
};

QTEST_MAIN(TestForms)
#include "test_forms.moc"
