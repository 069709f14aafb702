#pragma once

#include <QString>

class QWidget;

namespace kx {

// The help's topics, numbered as the help file's context ids; the contents are 0.
enum class HelpTopic {
    Contents,
    Magnifier,
    Twips,
    Points,
    Pixels,
    Inches,
    Centimetres,
    Help,
    ZeroPoint,
    Calibration,
};

// The help file beside the program: its directory followed directly by the separator and the name.
QString helpFilePath(const QString& programDirectory);
// The help document for a topic: the help file beside the program where there is one, otherwise the
// topic's page of the HTML help in the user's language (English where there is none in it), otherwise
// the help file's path all the same.
QString helpDocument(const QString& programDirectory, HelpTopic topic);

// The topic F1 opens on a control: its own, or the contents for a control without one.
void setHelpTopic(QWidget* control, HelpTopic topic);
HelpTopic helpTopic(const QWidget* control);

// The maker's web page, which the panel's banner opens.
QString webAddress();

} // namespace kx
