// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandLine.h"
#include "shell/Version.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

TEST(CommandLine, OptionsAndFiles)
{
    const struct {
        const char *name;
        QStringList arguments;
        bool help;
        bool version;
        QStringList unknown;
        QStringList files;
    } rows[] = {
        { "nothing", {}, false, false, {}, {} },
        { "a file", { QStringLiteral("scan.dat") }, false, false, {},
            { QStringLiteral("scan.dat") } },
        { "help, long and short", { QStringLiteral("--help"), QStringLiteral("-h") }, true, false,
            {}, {} },
        { "version", { QStringLiteral("-v") }, false, true, {}, {} },
        { "after --, a file that looks like an option",
            { QStringLiteral("--"), QStringLiteral("-h"), QStringLiteral("--") }, false, false, {},
            { QStringLiteral("-h"), QStringLiteral("--") } },
        { "an unknown option beside a file", { QStringLiteral("--frob"), QStringLiteral("a b") },
            false, false, { QStringLiteral("--frob") }, { QStringLiteral("a b") } },
    };
    for (const auto &row : rows) {
        const CommandLine line = ParseCommandLine(row.arguments);
        EXPECT_EQ(line.help, row.help) << row.name;
        EXPECT_EQ(line.version, row.version) << row.name;
        EXPECT_EQ(line.unknownOptions, row.unknown) << row.name;
        EXPECT_EQ(line.files, row.files) << row.name;
    }
}

TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        env.remove(QLatin1String(name));
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane");
    const QString version = QStringLiteral("kelvane %1.%2.%3\n")
                                .arg(Version::Major)
                                .arg(Version::Minor)
                                .arg(Version::Revision);
    const struct {
        const char *argument;
        QString starts;
    } rows[] = {
        { "--version", version },
        { "-v", version },
        { "--help", QStringLiteral("Usage: kelvane [FILE]\n") },
    };
    for (const auto &row : rows) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, { QLatin1String(row.argument) });
        ASSERT_TRUE(process.waitForFinished(30000)) << row.argument;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << row.argument;
        EXPECT_EQ(process.exitCode(), 0) << row.argument;
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(row.starts)) << row.argument << ": " << out.toStdString();
        EXPECT_EQ(process.readAllStandardError(), QByteArray()) << row.argument;
    }
}

TEST(CommandLine, EveryAnswerThatNeedsNoWindowComesWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        env.remove(QLatin1String(name));
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane");
    const struct {
        QStringList arguments;
        int status;
        QByteArray err;
    } rows[] = {
        { { QStringLiteral("--bogus") }, 2,
            "kelvane: unknown option '--bogus'\nTry 'kelvane --help'.\n" },
        { { QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-x") }, 2,
            "kelvane: unknown option '-x'\nTry 'kelvane --help'.\n" },
        { { QStringLiteral("--run") }, 2,
            "kelvane: --run needs at least one PATH\nTry 'kelvane --help'.\n" },
        { { QStringLiteral("--from=abc"), QStringLiteral("scan.dat") }, 2,
            "kelvane: --from needs a number, not 'abc'\nTry 'kelvane --help'.\n" },
    };
    for (const auto &row : rows) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, row.arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit)
            << row.arguments.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), row.status) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(process.readAllStandardError(), row.err) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(process.readAllStandardOutput(), QByteArray());
    }
}

TEST(CommandLine, TheToolkitsOwnOptionsAndTheRunsOptionsAreKnown)
{
    const CommandLine line = ParseCommandLine({ QStringLiteral("-style"), QStringLiteral("fusion"),
        QStringLiteral("--platform=offscreen"), QStringLiteral("-reverse"), QStringLiteral("--run"),
        QStringLiteral("--from"), QStringLiteral("6.1"), QStringLiteral("--to=7"),
        QStringLiteral("--trim"), QStringLiteral("0"), QStringLiteral("--ceiling=2"),
        QStringLiteral("--vbar=0.7"), QStringLiteral("--density"), QStringLiteral("1.01"),
        QStringLiteral("run"), QStringLiteral("more.tar.gz") });
    EXPECT_TRUE(line.unknownOptions.isEmpty()) << line.unknownOptions.join(' ').toStdString();
    EXPECT_TRUE(line.usageError.isEmpty()) << line.usageError.toStdString();
    EXPECT_TRUE(line.run);
    EXPECT_FALSE(line.report);
    EXPECT_EQ(line.files, (QStringList { "run", "more.tar.gz" }));
    EXPECT_EQ(line.options.from, 6.1);
    EXPECT_EQ(line.options.to, 7.0);
    EXPECT_EQ(line.options.trim, 0.0);
    EXPECT_EQ(line.options.ceiling, 2.0);
    EXPECT_EQ(line.options.vbar, 0.7);
    EXPECT_EQ(line.options.density, 1.01);
}
