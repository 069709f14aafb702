// Draws a slider's readout box as the slider draws it, with a given reading, for the end-to-end tests
// to compare with the screen. Writes a binary PPM to standard output; its comment line gives the
// box's place on the slider's picture.
//   kalibrix-readout-picture horizontal|vertical READING

#include "caliper/slider.h"
#include "shaped/shapedwindow.h"
#include "support/testprogram.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const bool vertical = argc == 3 && std::strcmp(argv[1], "vertical") == 0;
    if (argc != 3 || (!vertical && std::strcmp(argv[1], "horizontal") != 0)) {
        std::fprintf(stderr, "usage: %s horizontal|vertical READING\n", argv[0]);
        return 2;
    }
    kx::test::Doubles platform;
    kx::forms::Application app(platform.env);
    kx::Module1 model;
    kx::Slider slider(app, model, vertical ? kx::verticalSliderTwin() : kx::horizontalSliderTwin());
    kx::shaped::shapeAtLoad(slider, *slider.Picture1); // as loaded: the picture box without its border
    slider.showReading(QString::fromUtf8(argv[2]));
    const QRect box = slider.Label1->geometry();
    const QImage image = slider.Picture1->grab(box).toImage().convertToFormat(QImage::Format_RGB888);
    std::printf("P6\n# %d %d\n%d %d\n255\n", box.x(), box.y(), image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) std::fwrite(image.constScanLine(y), 3, image.width(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
