// The program's arguments: "kelvane [FILE]", "--help" and "--version".
// Help and version are answered before the application connects to a
// display, so they work without one.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct CommandLine {
    bool help = false;
    bool version = false;
    QStringList unknownOptions; // as given, e.g. "--frobnicate"
    QStringList files; // only the first is opened
};

// `arguments` without the program's name. "--" ends the options: what
// follows is a file even when it starts with "-".
CommandLine ParseCommandLine(const QStringList &arguments);

QString HelpText();
QString VersionText(); // "kelvane 0.999.28"

// The answer to a command line that is not a request to run: help or
// version (printed to standard output, exit code 0) or an unknown option
// (printed to standard error, exit code 2). Nothing when the program should
// start. Pass `strict` once the toolkit has taken its own options out.
std::optional<int> AnswerWithoutWindow(const CommandLine &line, bool strict);
