#include "panel/help.h"

#include "startup/translation.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <iterator>

namespace kx {

namespace {

const QString kHelpFileName = QStringLiteral("HILFE.hlp");
const char* const kTopicProperty = "helpContextId";

// The pages of the HTML help, by topic.
struct Page {
    HelpTopic topic;
    const char* name;
};
constexpr Page kPages[] = {
    {HelpTopic::Contents, "index.html"},
    {HelpTopic::Magnifier, "magnifier.html"},
    {HelpTopic::Twips, "twips.html"},
    {HelpTopic::Points, "points.html"},
    {HelpTopic::Pixels, "pixels.html"},
    {HelpTopic::Inches, "inches.html"},
    {HelpTopic::Centimetres, "centimetres.html"},
    {HelpTopic::Help, "help.html"},
    {HelpTopic::ZeroPoint, "zero.html"},
    {HelpTopic::Calibration, "calibration.html"},
};

QString pageOf(HelpTopic topic) {
    const auto* page = std::find_if(std::begin(kPages), std::end(kPages),
                                    [topic](const Page& p) { return p.topic == topic; });
    return QString::fromLatin1(page != std::end(kPages) ? page->name : kPages[0].name);
}

} // namespace

QString helpFilePath(const QString& programDirectory) {
    // A directory written with backslashes after a drive letter ("D:\Tools") or as a network share
    // ("\\server\tools") is joined with a backslash; any other with a slash, since elsewhere a
    // backslash is an ordinary character of a file name. Nothing is added or removed, so a root
    // ("D:\", "/") gives a doubled separator.
    const bool driveLetter = programDirectory.size() >= 2 && programDirectory.at(0).isLetter() &&
                             programDirectory.at(1) == QLatin1Char(':');
    const bool backslashForm = (driveLetter && !programDirectory.contains(QLatin1Char('/'))) ||
                               programDirectory.startsWith(QLatin1String("\\\\"));
    const QChar separator = backslashForm ? QLatin1Char('\\') : QLatin1Char('/');
    return programDirectory + separator + kHelpFileName;
}

QString helpDocument(const QString& programDirectory, HelpTopic topic) {
    const QString helpFile = helpFilePath(programDirectory);
    if (QFileInfo::exists(helpFile)) return helpFile;
    const QString page = pageOf(topic);
    QStringList languages;
    for (const QString& name : QLocale().uiLanguages())
        languages << name.section(QLatin1Char('-'), 0, 0);
    languages << QStringLiteral("en");
    for (const QString& dir : dataDirectories(programDirectory, QStringLiteral("help")))
        for (const QString& language : languages)
            if (const QString path = dir + QLatin1Char('/') + language + QLatin1Char('/') + page;
                QFileInfo::exists(path))
                return path;
    return helpFile;
}

void setHelpTopic(QWidget* control, HelpTopic topic) {
    control->setProperty(kTopicProperty, static_cast<int>(topic));
}

HelpTopic helpTopic(const QWidget* control) {
    return control ? static_cast<HelpTopic>(control->property(kTopicProperty).toInt()) : HelpTopic::Contents;
}

QString webAddress() {
    return QStringLiteral(KALIBRIX_WEB_ADDRESS);
}

} // namespace kx
