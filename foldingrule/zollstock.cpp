#include "foldingrule/zollstock.h"

#include "art/art.h"
#include "model/formnames.h"
#include "shaped/shapedwindow.h"

#include <QCoreApplication>
#include <stdexcept>

namespace kx {

namespace {
constexpr int kFrameMs = 30;
constexpr int kHideMs = 300;
constexpr std::int16_t kFirstUnfoldFrame = 1;
constexpr std::int16_t kUnfoldEnd = 6;
constexpr std::int16_t kFirstFoldFrame = 4;
constexpr std::int16_t kFoldEnd = -1;

// Design-time places of the frame stores (twips); they are never seen.
constexpr std::array<std::array<int, 4>, 6> kFrameStores{{{6240, 120, 4335, 2775},
                                                          {0, 3000, 1935, 3015},
                                                          {1920, 3000, 2655, 3015},
                                                          {4680, 3000, 3255, 3015},
                                                          {120, 5760, 4215, 3015},
                                                          {4440, 5520, 4815, 3015}}};
constexpr std::array<std::array<int, 4>, 2> kEndAreas{{{0, 2520, 255, 300}, {5400, 2520, 255, 300}}};
} // namespace

Zollstock::Zollstock(forms::Application& app) : Form(app, names::Zollstock) {
    forms::Environment& e = env();
    setCaption(QStringLiteral("Form3"));
    placeWindowTwips(3765, 2520, 6120, 2910);

    Picture1 = new forms::PictureBox(this, e);
    place(Picture1, 0, 0, 5670, 2835);
    Picture1->setBorderStyle(0);
    Picture1->setAutoSize(true);
    Picture1->setPicture([](double scale) { return art::rulerFrame(0, scale); });

    for (int i = 0; i < 2; ++i) {
        Label1[i] = new forms::Label(Picture1);
        const auto& r = kEndAreas[i];
        place(Label1[i], r[0], r[1], r[2], r[3]);
        Label1[i]->setTransparent(true);
        Label1[i]->setToolTip(QCoreApplication::translate("Kalibrix", "Close"));
        Label1[i]->setAccessibleName(Label1[i]->toolTip());
        Label1[i]->mouse().click = [this, i] { Label1_Click(i); };
    }
    whenScaled([this](double scale) {
        const art::CursorArt open = art::openHandCursor(scale);
        forms::setMousePointer(Picture1, forms::MousePointer::Custom, forms::makeCursor(open.image, open.hotSpot));
        const art::CursorArt pointing = art::pointingHandCursor(scale);
        for (forms::Label* end : Label1)
            forms::setMousePointer(end, forms::MousePointer::Custom,
                                   forms::makeCursor(pointing.image, pointing.hotSpot));
    });
    for (int n = 0; n < art::kRulerFrameCount; ++n) {
        Picture2[n] = new forms::PictureBox(this, e);
        const auto& r = kFrameStores[n];
        place(Picture2[n], r[0], r[1], r[2], r[3]);
        Picture2[n]->setPicture([n](double scale) { return art::rulerFrame(n, scale); });
        Picture2[n]->setVisible(n == 0); // element 0 lies right of the client area
    }

    Timer1 = &createTimer(kFrameMs, false);
    Timer2 = &createTimer(kFrameMs, false);
    Timer3 = &createTimer(kHideMs, false);
    Timer1->setHandler([this] { Timer1_Timer(); });
    Timer2->setHandler([this] { Timer2_Timer(); });
    Timer3->setHandler([this] { Timer3_Timer(); });
    Picture1->mouse().down = [this](int, int, float, float) { Picture1_MouseDown(); };
}

void Zollstock::scaleChanged(double) {
    shaped::fitToPicture(*this, *Picture1);
}

void Zollstock::Form_Load() {
    shaped::shapeAtLoad(*this, *Picture1);
    UnfoldFrame = kFirstUnfoldFrame;
    FoldFrame = kFirstFoldFrame;
}

bool Zollstock::Form_QueryUnload() {
    Label1_Click(0); // closed from the window manager: fold up and vanish as from an end
    return false;
}

void Zollstock::Label1_Click(int) {
    Timer2->setEnabled(true);
}

void Zollstock::Picture1_MouseDown() {
    shaped::dragToMove(*this);
}

void Zollstock::showFrame(int n) {
    if (std::exchange(m_failNext, false) || n < 0 || n >= art::kRulerFrameCount)
        throw std::out_of_range("frame store");
    // Picture and outline change together: the new picture is painted at once, and the window system
    // gets its outline and then its pixels in one go. Removing the outline before, or painting at the
    // next paint event, showed the whole window rectangle or the old picture inside the new outline
    // for a moment.
    Picture1->showPictureNow(*Picture2[n], [this] { shaped::reshape(*this, *Picture1); });
}

void Zollstock::Timer1_Timer() {
    if (UnfoldFrame == kUnfoldEnd) {
        UnfoldFrame = kFirstUnfoldFrame;
        return;
    }
    try {
        showFrame(UnfoldFrame);
    } catch (const std::exception&) {
        UnfoldFrame = kFirstUnfoldFrame;
        return;
    }
    ++UnfoldFrame;
    if (UnfoldFrame == kUnfoldEnd) Timer1->setEnabled(false);
}

void Zollstock::Timer2_Timer() {
    if (FoldFrame == kFoldEnd) {
        FoldFrame = kFirstFoldFrame;
        return;
    }
    Timer2->setInterval(kFrameMs);
    try {
        showFrame(FoldFrame);
    } catch (const std::exception&) {
        FoldFrame = kFirstFoldFrame;
        return;
    }
    --FoldFrame;
    if (FoldFrame == kFoldEnd) {
        Timer2->setEnabled(false);
        Timer3->setEnabled(true);
    }
}

void Zollstock::Timer3_Timer() {
    Picture1->setPicture(*Picture2[0]);
    setVisibleState(false);
    Timer3->setEnabled(false);
}

} // namespace kx
