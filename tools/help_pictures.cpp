// Draws the pictures of the help's contents page: the control panel in its two views and the two
// calipers, as the program itself draws them, in the language given. Run at build time, with no
// display, on the platform's stand-ins.

#include "caliper/beam.h"
#include "caliper/slider.h"
#include "model/formnames.h"
#include "panel/program.h"
#include "panel/start.h"
#include "platform/clock.h"
#include "platform/fake/fakeplatform.h"
#include "settings/settingsstore.h"
#include "startup/translation.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <cstdio>

namespace {

// A caliper as it stands on the screen: beam and slider inside their outlines, transparent elsewhere.
QImage caliperPicture(kx::FakeWindowSystem& windows, kx::Beam& beam, kx::Slider& slider) {
    const QRect area = beam.geometry().united(slider.geometry());
    QImage image(area.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    for (QWidget* window : {static_cast<QWidget*>(&beam), static_cast<QWidget*>(&slider)}) {
        const QPoint at = window->pos() - area.topLeft();
        p.save();
        if (const std::optional<QRegion> shape = windows.shape(window)) p.setClipRegion(shape->translated(at));
        p.drawPixmap(at, window->grab());
        p.restore();
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <directory> <language>\n", argc > 0 ? argv[0] : "kalibrix-help-pictures");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString directory = QString::fromLocal8Bit(argv[1]);
    const QLocale locale(QString::fromLocal8Bit(argv[2]));
    QLocale::setDefault(locale);
    kx::installTranslations(app, locale,
                            kx::dataDirectories(QCoreApplication::applicationDirPath(), QStringLiteral("translations")));

    kx::ManualClock clock;
    kx::FakeScreen screen;
    kx::FakeWindowSystem windows;
    kx::MemorySettingsStore settings;
    kx::FakeShell shell;
    kx::Program program({clock, screen, windows, settings, shell});
    program.start();
    auto& panel = program.app().form<kx::Start>(kx::names::Start);
    auto& beam = program.app().form<kx::Beam>(kx::names::Form1);
    auto& slider = program.app().form<kx::Slider>(kx::names::Form2);
    auto& verticalBeam = program.app().form<kx::Beam>(kx::names::Form31);
    auto& verticalSlider = program.app().form<kx::Slider>(kx::names::Form42);

    // Both calipers shown, a reading in pixels on each.
    panel.Option3->setValue(true);
    panel.Check1->setValue(1);
    panel.Check2->setValue(1);
    for (int i = 0; i < 40; ++i) slider.Command1_Click();
    for (int i = 0; i < 25; ++i) verticalSlider.Command1_Click();
    clock.advance(std::chrono::milliseconds(100));

    QDir().mkpath(directory);
    const auto save = [&directory](const QImage& image, const char* name) {
        const QString path = QDir(directory).filePath(QString::fromLatin1(name));
        if (image.save(path, "PNG")) return true;
        std::fprintf(stderr, "kalibrix-help-pictures: cannot write %s\n", qPrintable(path));
        return false;
    };
    bool ok = save(panel.grab().toImage(), "panel.png");
    ok = save(caliperPicture(windows, beam, slider), "horizontal.png") && ok;
    ok = save(caliperPicture(windows, verticalBeam, verticalSlider), "vertical.png") && ok;
    panel.Check4->setValue(1);
    clock.advance(std::chrono::milliseconds(100));
    ok = save(panel.grab().toImage(), "calibration.png") && ok;
    program.shutDown();
    return ok ? 0 : 1;
}
