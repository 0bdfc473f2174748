// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Profile.h"
#include "datafiles/TextFiles.h"
#include "runwindows/RunWindow.h"
#include "shell/StartUp.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>

namespace
{

// A harness with a folder "scans" beside the current directory, so that a
// file opened there shows where the working file goes.
struct OpenRig : Harness {
    QString scans = folder.path(QStringLiteral("scans"));
    OpenRig() { QDir().mkpath(scans); }
    QString scan(const QString &name)
    {
        const QString target = scans + QLatin1Char('/') + name;
        QFile::copy(examplePath(QStringLiteral("radius-scan.dat")), target);
        return target;
    }
    QString small(const QString &name)
    {
        return folder.write(
            QStringLiteral("scans/") + name, "a scan\r\n6.0 0.5 100\r\n6.1 0.6 100\r\n");
    }
    QStringList recent() const { return state->RecentFiles.paths(); }
    // The recent entries as the File menu shows them.
    QStringList shownRecent() const
    {
        QStringList shown;
        for (int i = 0; i < RecentFileList::Capacity; ++i) {
            if (window->recentFileAction(i)->isVisible())
                shown << window->recentFileAction(i)->text();
        }
        return shown;
    }
    QByteArray savedRecent(const char *key) const
    {
        return ProfileReader(platform.settingsFile).getString("RecentFiles", key, "-", 4096);
    }
};

// A drag of these URLs over the window and its drop; whether each was taken.
std::pair<bool, bool> dragAndDrop(MainWindow &window, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    // The file is opened once the drop has returned.
    QCoreApplication::processEvents();
    return { enter.isAccepted(), drop.isAccepted() };
}

} // namespace

TEST(OpenFile, ADataFileLoadsAsThoughChosenInGetData)
{
    OpenRig h;
    const QString scan = h.scan(QStringLiteral("radius-scan.dat"));
    h.window->openNamedFile(scan);

    EXPECT_TRUE(h.platform.fileDialogs.empty());
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_EQ(h.state->NumPts, 434);
    EXPECT_EQ(h.state->ReadPath, scan);
    EXPECT_EQ(QDir::currentPath(), h.scans) << "its folder is the current directory";
    EXPECT_EQ(h.state->TmpPath, h.scans + QStringLiteral("/~kelvane.tmp"));
    EXPECT_EQ(readFileBytes(h.state->TmpPath).count("\r\n"), 436) << "the working file is there";
    EXPECT_EQ(h.window->view(ViewTab::DataFile)->toPlainText().toLatin1(),
        readFileBytes(scan).replace("\r\n", "\n"));
    EXPECT_EQ(h.window->tabs()->tabText(0), TabCaptionFor(scan));
    EXPECT_TRUE(h.window->action(MenuEntry::SaveDataFile)->isEnabled());
    EXPECT_TRUE(h.window->action(MenuEntry::GetBlankData)->isEnabled());
    EXPECT_EQ(h.recent(), QStringList { scan });
}

TEST(OpenFile, AFitFileIsReadAsThoughChosenInItsDialog)
{
    OpenRig h;
    const QString scan = h.scan(QStringLiteral("radius-scan.dat"));
    // A relative name in the list is taken against the fit file's folder,
    // not the folder the program runs in.
    const QString fit = h.folder.write(QStringLiteral("scans/fit.ini"),
        "[FileCount]\nnumber=1\n[File01]\nname=radius-scan.dat\nXI_low=0\nXI_high=100\n");
    h.window->openNamedFile(fit);

    EXPECT_TRUE(h.platform.fileDialogs.empty());
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_TRUE(h.state->FitFileOK);
    EXPECT_EQ(h.state->FitFileName, fit);
    EXPECT_TRUE(h.window->action(MenuEntry::FilesLoaded)->isVisible());
    EXPECT_EQ(h.window->dataSetAction(0)->text(), QStringLiteral("radius-scan.dat"));
    EXPECT_TRUE(h.window->dataSetAction(0)->isChecked());
    EXPECT_EQ(h.state->NumPts, 434);
    EXPECT_EQ(h.state->TmpPath, h.scans + QStringLiteral("/~kelvane.tmp"));
    EXPECT_TRUE(QFile::exists(h.state->TmpPath));
    EXPECT_EQ(h.recent(), QStringList { fit }) << "the fit file, not its data file";
    EXPECT_FALSE(h.recent().contains(scan));
}

TEST(OpenFile, AMissingOrUnreadableFileGetsGetDatasMessageAndChangesNothing)
{
    const struct {
        const char *name;
        QString path;
    } rows[] = {
        { "missing", QStringLiteral("scans/none.dat") },
        { "a folder", QStringLiteral("scans") },
        // A plain file that every reader, root included, fails to read.
        { "unreadable", QStringLiteral("/proc/self/mem") },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        OpenRig h;
        const QString before = QDir::currentPath();
        const QString absolute = QFileInfo(row.path).absoluteFilePath();
        h.window->openNamedFile(row.path);

        ASSERT_EQ(h.platform.messages.size(), 1u);
        const RecordedMessage named = h.platform.messages[0];
        EXPECT_TRUE(named.text.startsWith(
            QStringLiteral("The data file\n") + absolute + QStringLiteral("\ncould not be read: ")))
            << named.text.toStdString();
        EXPECT_EQ(named.title, QStringLiteral("Get Data File"));
        EXPECT_EQ(named.style, MsgStyle::Exclamation);
        EXPECT_EQ(h.state->NumPts, 0);
        EXPECT_EQ(QDir::currentPath(), before);
        EXPECT_TRUE(h.state->TmpPath.isEmpty()) << "no working file was placed";
        EXPECT_FALSE(h.window->action(MenuEntry::SaveDataFile)->isEnabled());
        EXPECT_TRUE(h.recent().isEmpty());

        // Get Data says the very same of a file that vanished behind its dialog.
        if (QFileInfo(absolute).isFile()) {
            h.choose(absolute, MenuEntry::GetNewData);
            ASSERT_EQ(h.platform.messages.size(), 2u);
            EXPECT_EQ(h.platform.messages[1].text, named.text);
            EXPECT_EQ(h.platform.messages[1].title, named.title);
        }
    }
}

TEST(OpenFile, ADroppedFileOpensAndSeveralOpenARun)
{
    OpenRig h;
    const QString first = h.small(QStringLiteral("first.dat"));
    const QString second = h.small(QStringLiteral("second.dat"));

    // Nothing local: refused, and nothing opened.
    EXPECT_EQ(dragAndDrop(*h.window, { QUrl(QStringLiteral("https://example.org/a.dat")) }),
        std::make_pair(false, false));
    EXPECT_EQ(h.state->NumPts, 0);

    EXPECT_EQ(
        dragAndDrop(*h.window,
            { QUrl(QStringLiteral("https://example.org/a.dat")), QUrl::fromLocalFile(first) }),
        std::make_pair(true, true));
    EXPECT_EQ(h.state->ReadPath, first);
    EXPECT_EQ(h.state->NumPts, 2);
    EXPECT_EQ(QDir::currentPath(), h.scans);
    EXPECT_EQ(h.recent(), QStringList { first });
    EXPECT_TRUE(h.window->runWindows().empty()) << "one scan is no run";

    // Two local files are a run: they open in a run window of their own, and
    // the data set stays as it was.
    EXPECT_EQ(dragAndDrop(*h.window, { QUrl::fromLocalFile(second), QUrl::fromLocalFile(first) }),
        std::make_pair(true, true));
    EXPECT_EQ(h.state->ReadPath, first);
    ASSERT_EQ(h.window->runWindows().size(), 1u);
    EXPECT_EQ(h.window->runWindows()[0]->run().scans.size(), 2u);
    h.window->runWindows()[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(h.platform.messages.empty());

    // A drop lands on the innermost widget that takes drops: none inside the
    // window may, or a file dropped over the text views would be refused.
    for (const QWidget *child : h.window->findChildren<QWidget *>())
        EXPECT_FALSE(child->acceptDrops()) << child->metaObject()->className();
}

TEST(OpenFile, RecentFilesNewestFirstEachOnceAtMostEight)
{
    OpenRig h;
    EXPECT_TRUE(h.shownRecent().isEmpty());
    QMenu *file = h.window->action(MenuEntry::FileMenu)->menu();
    // The specified entries, then "Open Run...", then the recent files.
    EXPECT_EQ(file->actions().at(4), h.window->openRunAction());
    const QAction *separator = file->actions().at(5);
    ASSERT_TRUE(separator->isSeparator());
    EXPECT_FALSE(separator->isVisible()) << "no separator above an empty list";

    QStringList opened;
    for (int i = 1; i <= 10; ++i) {
        opened.prepend(h.small(QStringLiteral("scan%1.dat").arg(i)));
        h.window->openNamedFile(opened.front());
    }
    // Get Data and the fit-file command add to the same list.
    const QString chosen = h.small(QStringLiteral("R&D.dat"));
    h.choose(chosen, MenuEntry::GetNewData);
    h.window->openNamedFile(opened[3]); // scan7 again
    const QString fit = h.folder.write(
        QStringLiteral("scans/fit.ini"), "[FileCount]\nnumber=1\n[File01]\nname=scan1.dat\n");
    h.choose(fit, MenuEntry::UseFitFile);

    const QStringList expected
        = { fit, opened[3], chosen, opened[0], opened[1], opened[2], opened[4], opened[5] };
    EXPECT_EQ(h.recent(), expected);
    EXPECT_TRUE(separator->isVisible());
    const QStringList shown = h.shownRecent();
    ASSERT_EQ(shown.size(), 8);
    EXPECT_EQ(shown[0], QStringLiteral("&1 ") + fit);
    EXPECT_EQ(shown[2], QStringLiteral("&3 ") + h.scans + QStringLiteral("/R&&D.dat"))
        << "an & in a name is shown, not taken as a mnemonic";
    EXPECT_EQ(shown[7], QStringLiteral("&8 ") + opened[5]);

    // Written as the list changed, in a section of their own, the specified
    // sections beside them.
    EXPECT_EQ(h.savedRecent("File1"), fit.toUtf8());
    EXPECT_EQ(h.savedRecent("File8"), opened[5].toUtf8());
    EXPECT_EQ(h.savedRecent("File9"), "-");
    EXPECT_NE(ProfileReader(h.platform.settingsFile).getString("LastAccess", "Date", "", 16), "");

    // The specified File entries keep their captions and come first.
    QStringList firstFour;
    for (int i = 0; i < 4; ++i)
        firstFour << file->actions().at(i)->text();
    EXPECT_EQ(firstFour,
        (QStringList { "&Get Data", "Get File(s) From &Fit-File", "Get &Blank", "&Clear Blank" }));

    // Choosing an entry opens it as the command line does.
    h.window->recentFileAction(3)->trigger();
    EXPECT_EQ(h.state->ReadPath, opened[0]);
    EXPECT_EQ(h.recent().front(), opened[0]);
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(OpenFile, AVanishedRecentFileIsReportedAndTakenOff)
{
    OpenRig h;
    const QString kept = h.small(QStringLiteral("kept.dat"));
    const QString gone = h.small(QStringLiteral("gone.dat"));
    h.window->openNamedFile(kept);
    h.window->openNamedFile(gone);
    ASSERT_EQ(h.recent(), (QStringList { gone, kept }));
    QFile::remove(gone);

    h.window->recentFileAction(0)->trigger();
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("File Not Found"));
    EXPECT_TRUE(h.platform.messages[0].text.contains(gone));
    EXPECT_EQ(h.recent(), QStringList { kept });
    EXPECT_EQ(h.shownRecent(), QStringList { QStringLiteral("&1 ") + kept });
    EXPECT_EQ(h.savedRecent("File1"), kept.toUtf8());
    EXPECT_EQ(h.savedRecent("File2"), "");
    EXPECT_EQ(h.state->ReadPath, gone) << "the data set loaded last stays";

    // A file that cannot be opened by name is not added.
    h.window->openNamedFile(gone);
    EXPECT_EQ(h.recent(), QStringList { kept });
}

TEST(OpenFile, RecentFilesAreReadBackAtTheNextStart)
{
    OpenRig h;
    const QString a = h.small(QStringLiteral("a.dat"));
    const QString b = h.small(QStringLiteral("b.dat"));
    h.window->openNamedFile(a);
    h.window->openNamedFile(b);
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    h.window->close(); // the exit writes the colours: the list stays

    ScriptedPlatform platform;
    platform.settingsFile = h.platform.settingsFile;
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    const std::unique_ptr<MainWindow> window = StartUp(app);
    ASSERT_TRUE(window);
    EXPECT_EQ(state->RecentFiles.paths(), (QStringList { b, a }));
    EXPECT_EQ(window->recentFileAction(1)->text(), QStringLiteral("&2 ") + a);
    EXPECT_TRUE(window->recentFileAction(1)->isVisible());
    EXPECT_FALSE(window->recentFileAction(2)->isVisible());
    window->recentFileAction(1)->trigger();
    EXPECT_EQ(state->ReadPath, a);
    EXPECT_EQ(state->NumPts, 2);
}
