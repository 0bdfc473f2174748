// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandLine.h"

#include "runs/ExportCommand.h"
#include "runs/FitCommand.h"
#include "runs/ReportCommand.h"
#include "shell/Version.h"

#include <cmath>
#include <cstdio>

namespace
{

// The toolkit's options that take a value, and those that do not; it reads
// them with one dash or two.
const QStringList toolkitWithValue = { QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"), QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("session"), QStringLiteral("display"),
    QStringLiteral("geometry"), QStringLiteral("style"), QStringLiteral("stylesheet"),
    QStringLiteral("title"), QStringLiteral("name"), QStringLiteral("visual") };
const QStringList toolkitAlone = { QStringLiteral("reverse"), QStringLiteral("widgetcount"),
    QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync") };

QString toolkitName(const QString &argument)
{
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    return equals < 0 ? name : name.left(equals);
}

struct NumberOption {
    const char *name;
    std::optional<double> RunOptions::*optional;
    double RunOptions::*plain;
};

constexpr NumberOption numberOptions[] = {
    { "--from", &RunOptions::from, nullptr },
    { "--to", &RunOptions::to, nullptr },
    { "--trim", nullptr, &RunOptions::trim },
    { "--ceiling", nullptr, &RunOptions::ceiling },
    { "--vbar", nullptr, &RunOptions::vbar },
    { "--density", nullptr, &RunOptions::density },
};

// What makes a set of options unusable, or nothing.
QString optionsError(const RunOptions &o)
{
    if (o.trim < 0.0)
        return QStringLiteral("--trim must be 0 or more");
    if (o.ceiling <= 0.0)
        return QStringLiteral("--ceiling must be above 0");
    if (o.vbar <= 0.0)
        return QStringLiteral("--vbar must be above 0");
    if (o.density <= 0.0)
        return QStringLiteral("--density must be above 0");
    if (o.from && o.to && !(*o.from < *o.to))
        return QStringLiteral("--from must be below --to");
    return {};
}

// The value of an option given as "--name VALUE" or "--name=VALUE", the
// next argument taken in the first case.
QString optionValue(const QStringList &arguments, qsizetype &i)
{
    const QString &argument = arguments[i];
    if (argument.contains(QLatin1Char('=')))
        return argument.mid(argument.indexOf(QLatin1Char('=')) + 1);
    return i + 1 < arguments.size() ? arguments[++i] : QString();
}

bool isOption(const QString &argument, const char *name)
{
    return argument == QLatin1String(name)
        || argument.startsWith(QLatin1String(name) + QLatin1Char('='));
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!options || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            if (!argument.isEmpty())
                line.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            options = false;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")
            || argument == QLatin1String("-?")) {
            line.help = true;
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            line.version = true;
        } else if (argument == QLatin1String("--run")) {
            line.run = true;
        } else if (argument == QLatin1String("--report")) {
            line.report = true;
        } else if (argument == QLatin1String("--export")
            || argument.startsWith(QLatin1String("--export="))) {
            QString folder;
            if (argument.contains(QLatin1Char('=')))
                folder = argument.mid(argument.indexOf(QLatin1Char('=')) + 1);
            else if (i + 1 < arguments.size())
                folder = arguments[++i];
            if (folder.isEmpty() && line.usageError.isEmpty())
                line.usageError = QStringLiteral("--export needs a folder");
            line.exportFolder = folder;
        } else if (argument == QLatin1String("--limits")
            || argument.startsWith(QLatin1String("--limits="))) {
            QString file;
            if (argument.contains(QLatin1Char('=')))
                file = argument.mid(argument.indexOf(QLatin1Char('=')) + 1);
            else if (i + 1 < arguments.size())
                file = arguments[++i];
            if (file.isEmpty() && line.usageError.isEmpty())
                line.usageError = QStringLiteral("--limits needs a file");
            line.limitsFile = file;
        } else if (argument == QLatin1String("--fit")) {
            line.fit = true;
        } else if (isOption(argument, "--cell") || isOption(argument, "--speed")) {
            const bool cell = isOption(argument, "--cell");
            const QString value = optionValue(arguments, i);
            bool ok = false;
            const int parsed = value.toInt(&ok);
            if ((!ok || parsed < 1) && line.usageError.isEmpty())
                line.usageError = cell
                    ? QStringLiteral("--cell needs a cell number, not '%1'").arg(value)
                    : QStringLiteral("--speed needs a speed in rpm, not '%1'").arg(value);
            if (ok && parsed >= 1)
                (cell ? line.cells : line.speeds).push_back(parsed);
        } else if (isOption(argument, "--wavelength")) {
            const QString value = optionValue(arguments, i);
            bool ok = false;
            const double parsed = value.toDouble(&ok);
            if ((!ok || !std::isfinite(parsed) || parsed <= 0.0) && line.usageError.isEmpty())
                line.usageError
                    = QStringLiteral("--wavelength needs a wavelength in nm, not '%1'").arg(value);
            if (ok && std::isfinite(parsed) && parsed > 0.0)
                line.wavelengths.push_back(parsed);
        } else if (isOption(argument, "--scans")) {
            const QString value = optionValue(arguments, i);
            if (value == QLatin1String("last"))
                line.fitScans = FitScans::Last;
            else if (value == QLatin1String("since"))
                line.fitScans = FitScans::Since;
            else if (line.usageError.isEmpty())
                line.usageError
                    = QStringLiteral("--scans takes last or since, not '%1'").arg(value);
        } else if (argument == QLatin1String("--no-baseline")) {
            line.noBaseline = true;
        } else if (argument == QLatin1String("--column")) {
            line.column = true;
        } else if (argument == QLatin1String("--equilibrium")) {
            line.equilibrium = true;
        } else if (argument == QLatin1String("--complete")
            || argument == QLatin1String("--truncated")) {
            const bool complete = argument == QLatin1String("--complete");
            if (line.complete && *line.complete != complete && line.usageError.isEmpty())
                line.usageError = QStringLiteral("--complete and --truncated exclude each other");
            line.complete = complete;
        } else if (argument == QLatin1String("--xi")) {
            line.xi = true;
        } else if (argument == QLatin1String("--remove-suggested")) {
            line.removeSuggested = true;
        } else if (argument == QLatin1String("--split-channels")) {
            line.splitChannels = true;
        } else if (toolkitAlone.contains(toolkitName(argument))) {
        } else if (toolkitWithValue.contains(toolkitName(argument))) {
            if (!argument.contains(QLatin1Char('=')))
                ++i; // its value
        } else {
            const NumberOption *number = nullptr;
            QString value;
            for (const NumberOption &option : numberOptions) {
                const QLatin1String name(option.name);
                if (argument == name) {
                    number = &option;
                    if (i + 1 < arguments.size())
                        value = arguments[++i];
                } else if (argument.startsWith(name + QLatin1Char('='))) {
                    number = &option;
                    value = argument.mid(name.size() + 1);
                }
            }
            if (number == nullptr) {
                line.unknownOptions << argument;
                continue;
            }
            bool ok = false;
            const double parsed = value.toDouble(&ok);
            if (!ok || !std::isfinite(parsed)) {
                if (line.usageError.isEmpty())
                    line.usageError = QStringLiteral("%1 needs a number, not '%2'")
                                          .arg(QLatin1String(number->name), value);
                continue;
            }
            if (number->plain == &RunOptions::vbar || number->plain == &RunOptions::density)
                line.options.buoyancyGiven = true;
            if (number->optional)
                line.options.*number->optional = parsed;
            else
                line.options.*number->plain = parsed;
        }
    }
    if (line.usageError.isEmpty())
        line.usageError = optionsError(line.options);
    if (line.usageError.isEmpty() && line.report && line.files.isEmpty())
        line.usageError = QStringLiteral("--report needs at least one PATH");
    if (line.usageError.isEmpty() && line.exportFolder && line.files.isEmpty())
        line.usageError = QStringLiteral("--export needs at least one PATH");
    if (line.usageError.isEmpty() && line.exportFolder && line.report)
        line.usageError = QStringLiteral("--export and --report exclude each other");
    if (line.usageError.isEmpty() && !line.exportFolder
        && (line.complete || line.xi || line.removeSuggested || line.splitChannels || line.column))
        line.usageError = QStringLiteral("--complete, --truncated, --xi, --remove-suggested, "
                                         "--split-channels and --column go with --export");
    if (line.usageError.isEmpty() && !line.exportFolder && line.equilibrium)
        line.usageError = QStringLiteral("--equilibrium goes with --export");
    if (line.usageError.isEmpty() && line.fit && line.files.isEmpty())
        line.usageError = QStringLiteral("--fit needs at least one PATH");
    if (line.usageError.isEmpty() && line.fit && (line.report || line.exportFolder))
        line.usageError = QStringLiteral("--fit excludes --report and --export");
    if (line.usageError.isEmpty() && !line.fit
        && (!line.cells.empty() || !line.speeds.empty() || !line.wavelengths.empty()
            || line.fitScans || line.noBaseline))
        line.usageError = QStringLiteral(
            "--cell, --speed, --wavelength, --scans and --no-baseline go with --fit");
    if (line.usageError.isEmpty() && line.limitsFile && !line.report && !line.exportFolder
        && !line.fit)
        line.usageError = QStringLiteral("--limits goes with --report, --export or --fit");
    if (line.usageError.isEmpty() && line.run && line.files.isEmpty())
        line.usageError = QStringLiteral("--run needs at least one PATH");
    return line;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: kelvane [FILE]\n"
        "       kelvane --run PATH...\n"
        "       kelvane --report [OPTIONS] PATH...\n"
        "       kelvane --export OUTDIR [OPTIONS] PATH...\n"
        "       kelvane --fit [OPTIONS] PATH...\n"
        "Sedora, an editor for analytical-ultracentrifugation scan data.\n"
        "\n"
        "FILE is loaded once the main window is shown: a fit file (one with a\n"
        "[FileCount] section) as by File > Get File(s) From Fit-File, any other\n"
        "file as a data file by File > Get Data.\n"
        "\n"
        "A PATH is a scan file, a folder (searched with its subfolders for scan\n"
        "files: .RA1-.RA8, .RI, .IP, .WA, .WI, .FI with the cell number, and .dat)\n"
        "or an archive (.tar.gz, .tgz, .tar, .zip), read in place.\n"
        "\n"
        "  --run          open the paths as a run, in the run window\n"
        "  --report       print the run's table as CSV to standard output and exit;\n"
        "                 needs no display. Exit status 0, 2 when a file could not\n"
        "                 be read (named on standard error), 1 for a usage error\n"
        "  --export OUTDIR  save every scan as an edited data set in OUTDIR (made\n"
        "                 when missing), named after its file; a file already there\n"
        "                 is never replaced. Exit status as for --report, 2 also\n"
        "                 when a scan could not be written\n"
        "  --truncated    save the first to the last good point (the default)\n"
        "  --complete     save every point, removed ones with their negative flag\n"
        "  --xi           write x as r^2/2 instead of r\n"
        "  --remove-suggested  remove the points the editor's Suggest finds\n"
        "  --split-channels    split scans of several sample columns into one\n"
        "                 scan per column, named with -c1, -c2, ... before the\n"
        "                 extension\n"
        "  --from CM      start of the range of the computations (radius, cm);\n"
        "                 with --export, points before it are removed\n"
        "  --to CM        end of the range; with --export, points after it are\n"
        "                 removed\n"
        "  --trim CM      trimmed off each end of the overlap of two scans (0.05)\n"
        "  --ceiling OD   absorbance readings above it are left out (1.5)\n"
        "  --vbar ML_PER_G     partial specific volume (0.73)\n"
        "  --density G_PER_ML  solvent density (1.0)\n"
        "  --limits FILE  the solution columns of the settings from FILE, a CSV as\n"
        "                 the run window saves them, in place of the ones found;\n"
        "                 with --report or --export. Exit status 2, and nothing\n"
        "                 printed or written, when FILE cannot be read; 2 also\n"
        "                 when a row of it cannot be read or matches no setting\n"
        "                 (each named on standard error; the rest is used)\n"
        "  --column       with --export, cut each scan to its setting's fit\n"
        "                 limits (after --split-channels); --from and --to replace\n"
        "                 the end they set; a scan whose setting has no column is\n"
        "                 named on standard error and not cut\n"
        "  --equilibrium  with --export, save only the last scan of every setting\n"
        "                 at equilibrium, cut to its fit limits as --column does,\n"
        "                 named cellN_RPMrpm_NMnm with its own extension; each\n"
        "                 setting left out is named on standard error, and exit\n"
        "                 status 2 when none is at equilibrium\n"
        "  --fit          fit one ideal species with a baseline per scan to each\n"
        "                 cell, one buoyant mass shared by the chosen scans of its\n"
        "                 settings at equilibrium; a CSV row per scan fitted on\n"
        "                 standard output, needs no display. Exit status 0, 2 when\n"
        "                 a file could not be read or a cell could not be fitted\n"
        "                 (named on standard error), 1 for a usage error\n"
        "  --cell N       with --fit, only cell N (may be repeated)\n"
        "  --speed RPM    with --fit, only the settings at RPM (may be repeated)\n"
        "  --wavelength NM  with --fit, only the settings within 3 nm of NM (may\n"
        "                 be repeated)\n"
        "  --scans last|since  with --fit, the last scan of each setting at\n"
        "                 equilibrium (the default), or every scan since it reached\n"
        "                 equilibrium\n"
        "  --no-baseline  with --fit, hold every scan's baseline at 0\n"
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

std::optional<int> AnswerWithoutWindow(const CommandLine &line)
{
    if (line.help) {
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.version) {
        std::fputs((VersionText() + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
        return 0;
    }
    const bool exporting = line.exportFolder || line.complete || line.xi || line.removeSuggested
        || line.splitChannels || line.column || line.equilibrium;
    const bool fitting = line.fit || !line.cells.empty() || !line.speeds.empty()
        || !line.wavelengths.empty() || line.fitScans || line.noBaseline;
    const int usageStatus = line.report || exporting || fitting ? 1 : 2;
    if (!line.unknownOptions.isEmpty()) {
        std::fprintf(stderr, "kelvane: unknown option '%s'\nTry 'kelvane --help'.\n",
            line.unknownOptions.constFirst().toLocal8Bit().constData());
        return usageStatus;
    }
    if (!line.usageError.isEmpty()) {
        std::fprintf(stderr, "kelvane: %s\nTry 'kelvane --help'.\n",
            line.usageError.toLocal8Bit().constData());
        return usageStatus;
    }
    if (line.report)
        return RunReportCommand(line.files, line.options, line.limitsFile.value_or(QString()));
    if (line.fit) {
        FitRequest request;
        request.options = line.options;
        request.limitsFile = line.limitsFile.value_or(QString());
        request.cells = line.cells;
        request.speeds = line.speeds;
        request.wavelengths = line.wavelengths;
        request.scans = line.fitScans.value_or(FitScans::Last);
        request.species.baseline = !line.noBaseline;
        return RunFitCommand(line.files, request);
    }
    if (line.exportFolder) {
        ExportRequest request;
        request.folder = *line.exportFolder;
        request.form.complete = line.complete.value_or(false);
        request.form.radius = !line.xi;
        request.from = line.options.from;
        request.to = line.options.to;
        request.removeSuggested = line.removeSuggested;
        request.splitChannels = line.splitChannels;
        request.column = line.column;
        request.limitsFile = line.limitsFile.value_or(QString());
        request.equilibrium = line.equilibrium;
        request.options = line.options;
        return RunExportCommand(line.files, request);
    }
    return std::nullopt;
}
