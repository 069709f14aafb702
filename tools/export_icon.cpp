// Writes the application icon as a PNG file or, for the Windows program's resources, an ICO file
// (chosen by the name), of the given size (32 unless told), drawn by the artwork code at that size;
// run at build time so that the installed icons are the program's own artwork.

#include "art/art.h"

#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kDesignSize = 32; // the icon's design size in pixels
} // namespace

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[2]) : kDesignSize;
    if ((argc != 2 && argc != 3) || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: %s <icon.png|icon.ico> [size]\n", argc > 0 ? argv[0] : "kalibrix-export-icon");
        return 2;
    }
    const QImage icon = kx::art::applicationIcon(size);
    if (icon.isNull() || icon.width() != size || !icon.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "kalibrix-export-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
