#pragma once

#include "forms/forms.h"

#include <array>
#include <cstdint>

namespace kx {

// The folding rule: a shaped window that unfolds a two-segment rule frame by frame and folds it
// up again.
class Zollstock final : public forms::Form {
public:
    explicit Zollstock(forms::Application& app);

    void Form_Load() override;
    bool Form_QueryUnload() override;
    void Label1_Click(int index);
    void Picture1_MouseDown();
    void Timer1_Timer(); // unfold
    void Timer2_Timer(); // fold
    void Timer3_Timer(); // hide

    std::int16_t unfoldFrame() const { return UnfoldFrame; }
    std::int16_t foldFrame() const { return FoldFrame; }
    // Makes the next frame change fail, as a damaged frame store would (for tests of the error path).
    void failNextFrame() { m_failNext = true; }

    forms::PictureBox* Picture1;
    std::array<forms::PictureBox*, 6> Picture2;
    std::array<forms::Label*, 2> Label1;
    forms::Timer* Timer1;
    forms::Timer* Timer2;
    forms::Timer* Timer3;

protected:
    void scaleChanged(double oldScale) override;

private:
    void showFrame(int n);
    std::int16_t UnfoldFrame = 0;
    std::int16_t FoldFrame = 0;
    bool m_failNext = false;
};

} // namespace kx
