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
    if (parser.isSet(version)) {
        answer.start = false;
        answer.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                        QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return answer;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QCoreApplication::translate("Kalibrix", "unexpected argument '%1'")
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
