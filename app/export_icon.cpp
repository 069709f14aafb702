// Writes the application icon (the horizontal caliper) as a PNG file of the given size (32 unless
// told); run at build time so that the installed desktop icons are the program's own artwork.

#include "art/art.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[2]) : 32;
    if ((argc != 2 && argc != 3) || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: %s <icon.png> [size]\n", argc > 0 ? argv[0] : "kalibrix-export-icon");
        return 2;
    }
    QImage icon = kx::art::horizontalCaliperIcon();
    if (!icon.isNull() && size != icon.width())
        icon = icon.scaled(size, size, Qt::IgnoreAspectRatio,
                           size % icon.width() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "kalibrix-export-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
