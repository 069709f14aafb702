#pragma once

#include "caliper/caliperpanel.h"
#include "model/module1.h"
#include "model/settingstable.h"
#include "forms/forms.h"

namespace kx {

class Magnifier;
class Slider;
class TrueLengths;

// The control panel: the program's first window. Its load brings up the whole program and its
// unload ends it.
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

    // Writes the zero points that differ from what was last read or written; a change is written by
    // itself at most a second after it was made.
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
    double pixelsPerInch(const Slider& slider) override;
    // What the calipers ask of the panel.
    QString zeroPointText(Axis axis) const override;
    void popUpCaliperMenu(Slider& slider, QPoint globalPos) override;
    void caliperPutAway(Axis axis) override;

    // Hands a document or web address to the desktop's opener; false, and the user is told why, when it
    // cannot be opened.
    bool StartURL(QString& document);

    // The help file beside the program: its directory followed directly by the separator and the name.
    static QString helpFilePath(const QString& programDirectory);
    // The help document for a help topic (0: the contents): the help file beside the program where
    // there is one, otherwise the topic's page of the HTML help in the user's language (English where
    // there is none in it), otherwise the help file's path all the same.
    static QString helpDocument(const QString& programDirectory, int topic);
    // Opens the help document of the topic.
    void showHelp(int topic);
    static QString webAddress();

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
    void selectUnit(int index);
    void setCaliperOnTop(int value);
    void showCaliper(const QString& beam, const QString& slider, bool visible);
    void zeroPointChanged();
    void reportSaveFailure(const SaveFailure& failure);
    Module1& m;
    std::unique_ptr<Magnifier> m_magnifier;
    std::unique_ptr<TrueLengths> m_trueLengths;
    forms::Timer* m_saveTimer;
    QString m_keptX, m_keptY; // the zero points as last read from or written to the store
    bool m_saveFailureShown = false;
    QPointer<QWidget> m_openFailure; // the message about a document that could not be opened
};

} // namespace kx
