#include "shaped/shapedwindow.h"

#include "shaped/regionfrompicture.h"

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
    window.env().windows.beginMove(&window);
}

void applyOnTop(forms::Form& window, int value) {
    window.env().windows.setTopmost(&window, value == 1);
}

} // namespace kx::shaped
