#include "shell/CommandLine.h"

#include "shell/Version.h"

#include <cstdio>

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    bool options = true;
    for (const QString &argument : arguments) {
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options
            && (argument == QLatin1String("-h") || argument == QLatin1String("--help")
                || argument == QLatin1String("-?"))) {
            line.help = true;
        } else if (options
            && (argument == QLatin1String("-v") || argument == QLatin1String("--version"))) {
            line.version = true;
        } else if (options && argument.startsWith(QLatin1Char('-'))) {
            line.unknownOptions << argument;
        } else if (!argument.isEmpty()) {
            line.files << argument;
        }
    }
    return line;
}

QString HelpText()
{
    return QStringLiteral("Usage: kelvane [FILE]\n"
                          "Sedora, an editor for analytical-ultracentrifugation scan data.\n"
                          "\n"
                          "FILE is loaded once the main window is shown: a fit file (one with a\n"
                          "[FileCount] section) as by File > Get File(s) From Fit-File, any other\n"
                          "file as a data file by File > Get Data.\n"
                          "\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n");
}

QString VersionText()
{
    return QStringLiteral("kelvane %1.%2.%3")
        .arg(Version::Major)
        .arg(Version::Minor)
        .arg(Version::Revision);
}

std::optional<int> AnswerWithoutWindow(const CommandLine &line, bool strict)
{
    if (line.help) {
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.version) {
        std::fputs((VersionText() + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (strict && !line.unknownOptions.isEmpty()) {
        std::fprintf(stderr, "kelvane: unknown option '%s'\nTry 'kelvane --help'.\n",
            line.unknownOptions.constFirst().toLocal8Bit().constData());
        return 2;
    }
    return std::nullopt;
}
