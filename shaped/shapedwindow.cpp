#include "shaped/shapedwindow.h"

#include "shaped/regionfrompicture.h"

#include <QPointer>

namespace kx::shaped {

void shapeAtLoad(forms::Form& window, forms::PictureBox& picture) {
    picture.setScaleMode(forms::PictureBox::ScaleMode::Pixels); // 1
    picture.setAutoRedraw(true);                                 // 2
    picture.setAutoSize(true);                                   // 3
    picture.setBorderStyle(0);                                   // 4
    window.setBorderStyle(0);                                    // 5
    fitToPicture(window, picture); // 6, 7, 8
}

void fitToPicture(forms::Form& window, forms::PictureBox& picture) {
    picture.move(0, 0);
    window.resize(picture.size());
    reshape(window, picture);
}

void reshape(forms::Form& window, forms::PictureBox& picture) {
    window.env().windows.setShape(&window,
                                  RegionFromPicture(picture.picture(), picture.scaleWidth(), picture.scaleHeight()));
}

void clearShape(forms::Form& window) {
    window.env().windows.setShape(&window, std::nullopt);
}

void dragToMove(forms::Form& window) {
    // While it moves the window takes the scale of the pointer's monitor; let go with the pointer on one
    // monitor and the window mostly on another, it takes the scale of the monitor that holds it.
    window.env().windows.beginMove(&window, [w = QPointer<forms::Form>(&window)] {
        if (w) w->updateScale();
    });
}

void applyOnTop(forms::Form& window, int value) {
    window.env().windows.setTopmost(&window, value == 1);
}

} // namespace kx::shaped
