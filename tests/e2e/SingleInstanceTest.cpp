#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <signal.h>

namespace
{

QString xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// The X window id of a window with exactly this title, once it appears.
QString waitForWindow(const QString &title, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        const QString ids = xdotool({ QStringLiteral("search"), QStringLiteral("--name"),
            QLatin1Char('^') + title + QLatin1Char('$') });
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).constFirst();
        QThread::msleep(100);
    }
    return {};
}

// Titles of the windows on the display, for failure messages.
std::string windowTitles()
{
    QString titles;
    for (const QString &id :
        xdotool({ QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral(".") })
            .split(QLatin1Char('\n')))
        titles += QLatin1Char('[') + xdotool({ QStringLiteral("getwindowname"), id })
            + QStringLiteral("] ");
    return titles.toStdString();
}

class Kelvane
{
public:
    explicit Kelvane(const TestFolder &folder)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the real display, not offscreen
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.root());
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(folder.root());
        m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane"), {});
        m_process.waitForStarted();
    }
    ~Kelvane()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

} // namespace

TEST(EndToEnd, ASecondInstanceShowsTheMessageAndEnds)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs a display and xdotool";
    TestFolder folder;
    const QString mainTitle = QStringLiteral("Sedora V0.999.0028");

    Kelvane first(folder);
    ASSERT_FALSE(waitForWindow(mainTitle, 20000).isEmpty()) << windowTitles();

    Kelvane second(folder);
    const QString box = waitForWindow(QStringLiteral("Previous Instance"), 10000);
    ASSERT_FALSE(box.isEmpty());
    xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), box });
    xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
    ASSERT_TRUE(second.process().waitForFinished(10000)) << "the second ends after the message";
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_EQ(first.process().state(), QProcess::Running) << "the first is not disturbed";

    // A crashed run leaves its guard behind; the next start takes it over.
    ::kill(pid_t(first.process().processId()), SIGKILL);
    first.process().waitForFinished();
    Kelvane third(folder);
    EXPECT_FALSE(waitForWindow(mainTitle, 20000).isEmpty()) << windowTitles();
    EXPECT_TRUE(waitForWindow(QStringLiteral("Previous Instance"), 500).isEmpty());
    EXPECT_EQ(third.process().state(), QProcess::Running);
}
