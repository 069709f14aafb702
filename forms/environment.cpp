#include "forms/environment.h"

namespace kx::forms {

int Environment::toPixelsX(double twips) const {
    return qRound(twips / screen.twipsPerPixelX());
}

int Environment::toPixelsY(double twips) const {
    return qRound(twips / screen.twipsPerPixelY());
}

QRect Environment::twipsRect(double left, double top, double width, double height) const {
    return QRect(toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height));
}

double Environment::primaryScale() const {
    return primaryScreen(screen.screens()).scale;
}

} // namespace kx::forms
