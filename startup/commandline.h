#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kx {

// What the command line asks for: start the program, or print a text and end with an exit code.
struct CommandLineAnswer {
    bool start = true;
    int exitCode = 0;
    QString output; // for standard output
    QString error;  // for standard error, one line
};

inline constexpr int kUsageExitCode = 2;

// --help, --help-all (with Qt's options) and --version answer; an unknown option or an argument gives a
// one-line error in the style of Qt's ("Unknown option 'x'.") and exit code 2.
// The options Qt itself takes (-platform xcb, -style ..., -reverse) are accepted and left to Qt.
// arguments[0] is the program.
CommandLineAnswer parseCommandLine(const QStringList& arguments);

// Answers the command line before anything needs a display: prints what parseCommandLine gives, in the
// user's language, and returns the exit code when the program is not to start.
std::optional<int> answerCommandLine(int argc, char** argv);

} // namespace kx
