#include "startup/commandline.h"

#include "startup/translation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace kx {

namespace {

// Qt's own options: those that take a value, and the switches.
const char* const kQtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                       "qwindowgeometry", "qwindowicon", "qwindowtitle", "display",
                                       "geometry", "style", "stylesheet", "session", "name", "title", "visual"};
const char* const kQtSwitches[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// What --help-all adds to the help: Qt's options that the program passes on, in lines of at most 79
// characters.
QString qtOptionsHelp() {
    QStringList names;
    for (const char* name : kQtValueOptions)
        names << QStringLiteral("-%1 <value>").arg(QLatin1String(name));
    for (const char* name : kQtSwitches)
        names << QStringLiteral("-%1").arg(QLatin1String(name));
    QString text = QCoreApplication::translate("Kalibrix", "Options that Qt takes, passed on to it:") + QLatin1Char('\n');
    QString line = QStringLiteral(" ");
    for (int i = 0; i < names.size(); ++i) {
        const QString item = names[i] + (i + 1 < names.size() ? QStringLiteral(",") : QString());
        if (line.size() + 1 + item.size() > 79) {
            text += line + QLatin1Char('\n');
            line = QStringLiteral(" ");
        }
        line += QLatin1Char(' ') + item;
    }
    return text + line + QLatin1Char('\n');
}

} // namespace

CommandLineAnswer parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate(
        "Kalibrix", "Measures distances on the screen with a horizontal and a vertical caliper."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const char* name : kQtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtSwitches) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLineAnswer answer;
    const QString program = arguments.isEmpty() ? QStringLiteral("kalibrix")
                                                : QFileInfo(arguments.first()).fileName();
    auto fail = [&](const QString& message) {
        answer.start = false;
        answer.exitCode = kUsageExitCode;
        answer.error = program + QStringLiteral(": ") + message + QLatin1Char('\n');
        return answer;
    };
    if (!parser.parse(arguments)) return fail(parser.errorText().simplified());
    if (parser.isSet(help)) {
        answer.start = false;
        answer.output = parser.helpText();
        return answer;
    }
    if (parser.isSet(QStringLiteral("help-all"))) { // offered by Qt's help option
        answer.start = false;
        answer.output = parser.helpText() + QLatin1Char('\n') + qtOptionsHelp();
        return answer;
    }
    if (parser.isSet(version)) {
        answer.start = false;
        answer.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                        QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return answer;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QCoreApplication::translate("Kalibrix", "Unexpected argument '%1'.")
                        .arg(parser.positionalArguments().first()));
    return answer;
}

std::optional<int> answerCommandLine(int argc, char** argv) {
    // A console application is enough here: no display is needed to answer.
    QCoreApplication console(argc, argv);
    installTranslations(console);
    const CommandLineAnswer answer = parseCommandLine(QCoreApplication::arguments());
    std::fputs(answer.output.toLocal8Bit().constData(), stdout);
    std::fputs(answer.error.toLocal8Bit().constData(), stderr);
    if (answer.start) return std::nullopt;
    return answer.exitCode;
}

} // namespace kx
