// Writes the application icon (the horizontal caliper) as a PNG file; run at build time so that
// the installed desktop icon is the program's own artwork.

#include "art/art.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <icon.png>\n", argc > 0 ? argv[0] : "kalibrix-export-icon");
        return 2;
    }
    const QImage icon = kx::art::horizontalCaliperIcon();
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "kalibrix-export-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
