#pragma once

#include "caliper/caliperpanel.h"
#include "caliper/readout.h"
#include "forms/forms.h"
#include "model/module1.h"
#include "model/settingstable.h"
#include "panel/help.h"

#include <array>

namespace kx {

class EdgeSettings;
class Magnifier;
class Slider;
struct SliderTwin;
class TrueLengths;

// The control panel: the program's first window. Its load brings up the whole program and its
// unload ends it. Its code lies by concern: start.cpp (load, unload, commands, timers),
// startcontrols.cpp (the controls at their design places), startzeropoints.cpp (the zero points and
// the settings store), startlengths.cpp (real lengths), starthelp.cpp (help, the web page, the
// right button's menu).
class Start final : public forms::Form, public CaliperPanel {
public:
    Start(forms::Application& app, Module1& m);
    ~Start() override;

    void Form_Load() override;
    void Form_Unload() override;

    // Commands.
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Command1_Click();
    void Command2_Click() override;
    void Command3_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    void Option6_Click();
    void HScroll1_Change();
    void VScroll1_Change();
    void HScroll2_Change();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Picture1_Click();
    void Picture6_Click();
    // Moving the pointer over the panel's background, Frame1's background, Check1 or Check2 cancels a
    // pending focus hand-over of either beam.
    void Form_MouseMove();

    // Writes the zero points that differ from what was last read from or written to the store; a
    // change is written by itself at most a second after it was made, and at the close.
    void saveChangedZeroPoints();
    // Brings the panel in front of the other windows, restored if it is minimised.
    void bringToFront();

    Module1& model() { return m; }

    // Real lengths: the switch, the monitors' densities and the known-length scale.
    TrueLengths& trueLengths();
    void setTrueSize(bool on);
    // A drawing scale with decimals from a known length, shown in Label7; 0 goes back to HScroll2's.
    void setKnownLengthScale(double scale);
    // The monitor that holds the slider's beam, and the density a reading along it uses there (0
    // while true size is off).
    ScreenInfo caliperMonitor(const Slider& slider);
    ScreenInfo caliperMonitor(const SliderTwin& twin); // also while the caliper is not made
    double pixelsPerInch(const Slider& slider) override;
    // A caliper window made after the start (when first shown) takes what the panel did to it before.
    void caliperMade(forms::Form& window);
    // What the calipers ask of the panel.
    QString zeroPointText(Axis axis) const override;
    void popUpCaliperMenu(Slider& slider, QPoint globalPos) override;
    void caliperPutAway(Axis axis) override;
    EdgeSettings& edgeSettings() override;
    bool magnifierOn() const override;
    Magnifier& magnifier() { return *m_magnifier; }

    // Hands a document or web address to the desktop's opener; false, and the user is told why, when it
    // cannot be opened.
    bool StartURL(QString& document);
    // Opens the help document of the topic.
    void showHelp(HelpTopic topic);

    // Controls, by their names.
    forms::Frame* Frame1;
    forms::Frame* Frame2;
    forms::PictureBox* Picture1;
    forms::PictureBox* Picture4;
    forms::CommandButton* Command3;
    forms::Timer* Timer1;
    forms::Timer* Timer2;
    forms::Timer* Timer3;
    // In Frame1.
    forms::CheckBox* Check1;
    forms::CheckBox* Check3;
    forms::CommandButton* Command1;
    forms::CheckBox* Check4;
    forms::CommandButton* Command2;
    forms::CheckBox* Check2;
    forms::OptionButton* Option2;
    forms::OptionButton* Option3;
    forms::OptionButton* Option4;
    forms::OptionButton* Option5;
    forms::OptionButton* Option6;
    forms::PictureBox* Picture6;
    // In Frame2.
    forms::Image* Image1;
    forms::Label* Label1;
    forms::Label* Label4;
    forms::Image* Image2;
    forms::Label* Label2;
    forms::ScrollBar* VScroll1;
    forms::Label* Label3;
    forms::ScrollBar* HScroll1;
    forms::Line* Line1;
    forms::Label* Label5;
    forms::Label* Label6;
    forms::Label* Label7;
    forms::ScrollBar* HScroll2;
    forms::Line* Line2;
    forms::CheckBox* Check5;

protected:
    bool event(QEvent* event) override;
    void scaleChanged(double oldScale) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // A caliper's zero point: the setting it is kept under, the hidden label holding its text, the
    // scroll bar that sets it, and the model's values that follow it.
    struct ZeroPoint {
        const StoredSetting* setting = nullptr;
        forms::Label* label = nullptr;
        forms::ScrollBar* bar = nullptr;
        Variant Module1::*zero = nullptr;
        Variant Module1::*sliderOffset = nullptr;
        QString kept;         // the text last read from or written to the store
        bool written = false; // written in this run
    };

    void createControls();
    void connectHandlers();
    void loadZeroPoint(ZeroPoint& point);
    void zeroPointMoved(ZeroPoint& point);
    ZeroPoint& zeroPoint(Axis axis) { return m_zeroPoints[axis == Axis::Horizontal ? 0 : 1]; }
    const ZeroPoint& zeroPoint(Axis axis) const { return m_zeroPoints[axis == Axis::Horizontal ? 0 : 1]; }
    void selectUnit(int index);
    void setCaliperOnTop(int value);
    // The reading a slider shows: its readout's, or what its readout would show while it is not made.
    QString sliderReading(const SliderTwin& twin, const QString& last);
    void showCaliper(const QString& beam, const QString& slider, bool visible);
    void reportSaveFailure(const SaveFailure& failure);

    Module1& m;
    std::array<ZeroPoint, 2> m_zeroPoints; // horizontal, vertical
    std::array<ReadoutFit, 2> m_readingCopies; // Label3, Label4
    std::unique_ptr<Magnifier> m_magnifier;
    std::unique_ptr<TrueLengths> m_trueLengths;
    std::unique_ptr<EdgeSettings> m_edgeSettings;
    forms::Timer* m_saveTimer;
    bool m_saveFailureShown = false;
    QPointer<QWidget> m_openFailure; // the message about a document that could not be opened
};

} // namespace kx
