// SPDX-License-Identifier: GPL-3.0-or-later
// Model-based soak test: long random sequences of user actions through the
// real main window, dialogs and editor, checking after every step the
// program state against what the actions may and may not change. A failure
// prints the seed and the shortest sequence found that still fails.
//
// SOAK_SECONDS sets how long to run (default 20); SOAK_SEED replays one seed.

#include "base/NumLib.h"
#include "colours/ColourDialog.h"
#include "datafiles/CommentsDialog.h"
#include "datafiles/SaveEditedFile.h"
#include "datafiles/WorkFile.h"
#include "operations/NoiseDialog.h"
#include "runs/RunPlots.h"
#include "runs/RunReport.h"
#include "runs/RunTableModel.h"
#include "runs/RunTree.h"
#include "runs/RunWindow.h"
#include "support/EditorSupport.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QTreeView>

#include <cmath>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace
{

enum class Kind {
    GetData,
    GetBlank,
    ClearBlank,
    AddNoise,
    RemoveNoise,
    Invert,
    EditComments,
    Editor,
    Save,
    UseFitFile,
    PickDataSet,
    Colours,
    OpenRun,
    ChooseInRun,
    OpenRunScan,
    ExportRunTable,
    CloseRun,
};
constexpr int KindCount = int(Kind::CloseRun) + 1;

const char *kindName(Kind kind)
{
    static const char *names[] = { "GetData", "GetBlank", "ClearBlank", "AddNoise", "RemoveNoise",
        "Invert", "EditComments", "Editor", "Save", "UseFitFile", "PickDataSet", "Colours",
        "OpenRun", "ChooseInRun", "OpenRunScan", "ExportRunTable", "CloseRun" };
    return names[int(kind)];
}

// An action with random numbers that it interprets against the state it
// meets, so a shortened sequence still makes sense.
struct Action {
    Kind kind;
    uint32_t a, b, c;
    std::string describe() const
    {
        return std::string(kindName(kind)) + "(" + std::to_string(a) + "," + std::to_string(b) + ","
            + std::to_string(c) + ")";
    }
};

std::vector<Action> randomActions(uint32_t seed, int count)
{
    std::mt19937 random(seed);
    std::vector<Action> actions;
    // Loads first more often, so the rest has something to work on.
    std::discrete_distribution<int> kinds({ 10, 6, 4, 6, 5, 5, 4, 12, 6, 3, 3, 2, 3, 4, 3, 2, 1 });
    for (int i = 0; i < count; ++i)
        actions.push_back(
            { Kind(kinds(random)), uint32_t(random()), uint32_t(random()), uint32_t(random()) });
    return actions;
}

// Data files written for a run: generated scans and the examples.
struct Files {
    QStringList data; // files Get Data may choose
    QStringList blanks;
    QString fit;
    std::vector<int> points; // points each of `data` yields, -1 when unknown
    QStringList runs; // a generated run as a folder and as a .tar.gz
    int runScans = 0; // the scans in each
};

QByteArray generatedScan(std::mt19937 &random, bool xi, int points, int comments)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    QByteArray text;
    for (int k = 0; k < comments; ++k)
        text += "Comment line " + QByteArray::number(k + 1) + " of a generated scan\r\n";
    const double step = 1.3 / std::max(points, 1);
    for (int i = 0; i < points; ++i) {
        const double r = 5.9 + step * i;
        const double conc = 0.8 / (1 + std::exp((6.5 - r) / 0.05)) + 0.01 * (unit(random) - 0.5);
        const double u = unit(random);
        const char *flag = u < 0.1 ? "-100"
            : u < 0.15             ? "2.5"
            : u < 0.2              ? "-0.5"
            : u < 0.6              ? "100"
                                   : "";
        const double x = xi ? r * r / 2 : r;
        text += "  " + QByteArray::number(x, 'f', 5) + (i % 7 == 3 ? "," : "   ")
            + QByteArray::number(conc, 'E', 5) + "   " + flag + "\r\n";
    }
    return text;
}

Files writeFiles(const TestFolder &folder, uint32_t seed)
{
    std::mt19937 random(seed ^ 0x5eed);
    Files files;
    auto add = [&](const QString &name, const QByteArray &bytes, int points) {
        files.data << folder.write(name, bytes);
        files.points.push_back(points);
    };
    const int n1 = int(random() % 300) + 1;
    const int n2 = int(random() % 2199) + 1;
    add(QStringLiteral("gen-radius.dat"), generatedScan(random, false, n1, int(random() % 4)), n1);
    add(QStringLiteral("gen-xi.dat"), generatedScan(random, true, n2, int(random() % 60)), n2);
    add(QStringLiteral("one-point.dat"), "only one point\r\n6.2 0.4\r\n", 1);
    add(QStringLiteral("no-points.dat"), "comments only\r\nnothing else\r\n", 0);
    for (const QString &example : { QStringLiteral("radius-scan.dat"),
             QStringLiteral("xi-scan.dat"), QStringLiteral("edited-scan.dat") }) {
        QFile::copy(examplePath(example), folder.path(example));
        files.data << folder.path(example);
        files.points.push_back(434);
    }
    QFile::copy(examplePath(QStringLiteral("blank.dat")), folder.path(QStringLiteral("blank.dat")));
    files.blanks << folder.path(QStringLiteral("blank.dat"))
                 << folder.write(QStringLiteral("blank-short.dat"),
                        "short blank\r\n6.1 0.02\r\n6.3 0.05\r\n")
                 << folder.write(QStringLiteral("blank-empty.dat"), "no points\r\n");
    QByteArray fit = "[FileCount]\r\nnumber=4\r\n";
    const char *names[] = { "gen-radius.dat", "missing.dat", "radius-scan.dat", "no-points.dat" };
    for (int i = 0; i < 4; ++i) {
        fit += "[File0" + QByteArray::number(i + 1) + "]\r\nname=" + names[i] + "\r\n";
        fit += "XI_low=" + QByteArray::number(17.5 + (random() % 20) / 10.0) + "\r\n";
        fit += "XI_high=" + QByteArray::number(24.0 + (random() % 30) / 10.0) + "\r\n";
        fit += "number_deleted=25\r\ndel_pts001=\"";
        for (int j = 0; j < 20; ++j)
            fit += QByteArray::number(int(random() % 500)).rightJustified(4);
        fit += "\"\r\ndel_pts002=\"   1   2   3   40000\"\r\n";
    }
    files.fit = folder.write(QStringLiteral("fit.ini"), fit);

    RunPlan plan;
    plan.cells = { 1, 2 };
    plan.speeds = { { 16000, 6, 8.0 } };
    plan.wavelengths = { 280, 260 };
    plan.seed = seed;
    const GeneratedRun run = GenerateRun(plan);
    const QString runFolder = folder.path(QStringLiteral("run"));
    WriteRun(run, runFolder);
    files.runs << runFolder;
    files.runScans = int(run.scans.size());
    QProcess tar;
    tar.setWorkingDirectory(runFolder);
    tar.start(QStringLiteral("tar"),
        { QStringLiteral("-czf"), folder.path(QStringLiteral("run.tar.gz")), QStringLiteral(".") });
    if (tar.waitForFinished(60000) && tar.exitCode() == 0)
        files.runs << folder.path(QStringLiteral("run.tar.gz"));
    return files;
}

// What the model knows of the data set, independent of the program.
struct Model {
    int numPts = 0;
    std::vector<float> x; // 1-based, index 0 unused
    std::vector<float> magnitude; // |flag|
    int gap = 3; // blanks before the flag in the working file

    void takeLoad(const ProgramState &s)
    {
        numPts = s.NumPts;
        x.assign(size_t(numPts) + 1, 0.0f);
        magnitude.assign(size_t(numPts) + 1, 0.0f);
        for (int i = 1; i <= numPts; ++i) {
            x[size_t(i)] = s.DataPts.x(i);
            magnitude[size_t(i)] = std::fabs(s.DataPts.flag(i));
        }
    }
};

struct Expectations {
    std::set<QString> titles; // message titles this action may cause
    bool checkGoodRange = false;
    bool goodRangeFromLoad = false;
};

// How often each kind of action found something to do, over all runs.
int performed[KindCount] = {};

class Session
{
public:
    explicit Session(uint32_t seed)
        : m_files(writeFiles(m_h.folder, seed))
    {
    }

    // Runs the actions; the text of the first failure, or nothing.
    std::optional<std::string> play(const std::vector<Action> &actions)
    {
        for (size_t step = 0; step < actions.size(); ++step) {
            std::optional<std::string> failure;
            try {
                failure = perform(actions[step]);
            } catch (const std::exception &error) {
                failure = std::string("exception: ") + error.what();
            }
            if (failure)
                return "step " + std::to_string(step + 1) + " " + actions[step].describe() + ": "
                    + *failure;
        }
        return std::nullopt;
    }

private:
    ProgramState &s() { return *m_h.state; }
    QAction *entry(MenuEntry e) { return m_h.window->action(e); }
    bool offered(MenuEntry e)
    {
        QAction *action = entry(e);
        return action->isVisible() && action->isEnabled();
    }
    bool editOffered() { return entry(MenuEntry::EditMenuChoice)->isEnabled(); }
    RunWindow *runWindow()
    {
        const std::vector<RunWindow *> open = m_h.window->runWindows();
        return open.empty() ? nullptr : open.back();
    }

    std::optional<std::string> perform(const Action &action);
    std::optional<std::string> check(const Action &action, const Expectations &expect,
        size_t messagesBefore, int numPtsBefore, int firstBefore, int lastBefore, bool rewrote,
        bool loaded);
    std::optional<std::string> checkSaved(const QString &path, bool complete, bool radius);
    void editorSession(PlotWindow &window, const Action &action);

    Harness m_h;
    Files m_files;
    Model m_model;
    int m_saves = 0;
};

std::optional<std::string> skipped(const Action &action)
{
    --performed[int(action.kind)];
    return std::nullopt;
}

std::optional<std::string> Session::perform(const Action &action)
{
    ProgramState &st = s();
    const size_t messagesBefore = m_h.platform.messages.size();
    const int numPtsBefore = st.NumPts;
    const int firstBefore = st.FirstIdx;
    const int lastBefore = st.LastIdx;
    Expectations expect;
    bool rewrote = false;
    bool loaded = false;
    const bool cancel = action.b % 8 == 0;
    ++performed[int(action.kind)]; // taken back below when not offered

    switch (action.kind) {
    case Kind::GetData: {
        const int pick = int(action.a % uint32_t(m_files.data.size()));
        expect.titles.insert(QStringLiteral("Get Data File")); // a file without points
        m_h.platform.fileAnswers.push_back(
            cancel ? std::nullopt : std::optional(m_files.data[pick]));
        m_h.trigger(MenuEntry::GetNewData);
        rewrote = true;
        if (!cancel) {
            if (st.NumPts != m_files.points[size_t(pick)])
                return "loaded " + std::to_string(st.NumPts) + " points, the file has "
                    + std::to_string(m_files.points[size_t(pick)]);
            loaded = true;
            expect.checkGoodRange = expect.goodRangeFromLoad = st.NumPts > 0;
        }
        m_model.gap = 3;
        break;
    }
    case Kind::GetBlank: {
        if (!offered(MenuEntry::GetBlankData))
            return skipped(action);
        const QString blank = m_files.blanks[int(action.a % uint32_t(m_files.blanks.size()))];
        m_h.platform.fileAnswers.push_back(cancel ? std::nullopt : std::optional(blank));
        m_h.trigger(MenuEntry::GetBlankData);
        if (st.BlankLoaded) {
            rewrote = true;
            m_model.gap = 2;
        }
        break;
    }
    case Kind::ClearBlank:
        if (!offered(MenuEntry::ClearBlank))
            return skipped(action);
        m_h.trigger(MenuEntry::ClearBlank);
        rewrote = true;
        m_model.gap = 3;
        expect.checkGoodRange = expect.goodRangeFromLoad = st.NumPts > 0;
        break;
    case Kind::AddNoise: {
        if (!editOffered() || !offered(MenuEntry::AddNoise))
            return skipped(action);
        const char *levels[] = { "0.01", "0", "1e-3", "-0.02", "abc", " 2.5E-02 " };
        const QString level = QLatin1String(levels[action.a % 6]);
        const bool press = action.c % 5 != 0;
        m_h.platform.modalActions.push_back([level, press](QDialog &dialog) {
            auto &noise = static_cast<NoiseDialog &>(dialog);
            noise.levelBox()->setText(level);
            if (press)
                noise.doneButton()->click();
        });
        expect.titles.insert(QStringLiteral("Non-Numerical Entry!"));
        m_h.trigger(MenuEntry::AddNoise);
        if (st.NoiseAdded) {
            rewrote = true;
            m_model.gap = 3;
        }
        break;
    }
    case Kind::RemoveNoise:
        if (!editOffered() || !offered(MenuEntry::BackItOff))
            return skipped(action);
        m_h.trigger(MenuEntry::BackItOff);
        rewrote = true;
        m_model.gap = 3;
        break;
    case Kind::Invert:
        if (!editOffered())
            return skipped(action);
        m_h.trigger(MenuEntry::InvertC);
        rewrote = true;
        m_model.gap = 3;
        break;
    case Kind::EditComments: {
        if (!editOffered())
            return skipped(action);
        QByteArray text;
        for (uint32_t k = 0; k < action.a % 70; ++k)
            text += "Note " + QByteArray::number(k) + QByteArray(int((action.c + k) % 120), 'x')
                + "\n";
        const bool ok = !cancel;
        m_h.platform.modalActions.push_back([text, ok](QDialog &dialog) {
            auto &comments = static_cast<CommentsDialog &>(dialog);
            comments.setText(text);
            (ok ? comments.okButton() : comments.cancelButton())->click();
        });
        m_h.trigger(MenuEntry::EditComment1);
        if (ok) {
            rewrote = true;
            m_model.gap = 3;
        }
        break;
    }
    case Kind::Editor: {
        if (!editOffered())
            return skipped(action);
        expect.titles = { QStringLiteral("Discard Edit"), QStringLiteral("Invalid Operation"),
            QStringLiteral("Error in Zooming"), QStringLiteral("Data Error") };
        const int ending = int(action.c % 3); // commit, discard, close box
        runEditor(m_h, [this, &action](PlotWindow &window) { editorSession(window, action); });
        if (ending == 0 && st.CommitEdits) {
            rewrote = true;
            m_model.gap = 3;
            expect.checkGoodRange = true;
        }
        break;
    }
    case Kind::Save: {
        if (!entry(MenuEntry::SaveDataFile)->isEnabled())
            return skipped(action);
        const bool complete = action.a % 2 == 0;
        const bool radius = action.b % 2 == 0;
        const MenuEntry which = complete
            ? (radius ? MenuEntry::SaveComplete : MenuEntry::SaveCompleteRSq)
            : (radius ? MenuEntry::SaveTruncated : MenuEntry::SaveTruncatedRSq);
        const QString path = m_h.folder.path(QStringLiteral("saved-%1.dat").arg(m_saves++ % 3));
        expect.titles.insert(QStringLiteral("Edited DataSet Name"));
        m_h.choose(path, which);
        if (auto failure = checkSaved(path, complete, radius))
            return failure;
        break;
    }
    case Kind::UseFitFile:
        expect.titles = { QStringLiteral("Data Files Missing!"), QStringLiteral("Fit-File Error!"),
            QStringLiteral("All Data Files Missing!"), QStringLiteral("Get Data File") };
        m_h.platform.fileAnswers.push_back(cancel ? std::nullopt : std::optional(m_files.fit));
        m_h.trigger(MenuEntry::UseFitFile);
        if (st.FitFileOK && !cancel) {
            rewrote = loaded = true;
            m_model.gap = 3;
        }
        break;
    case Kind::PickDataSet: {
        if (!entry(MenuEntry::FilesLoaded)->isVisible() || st.NumFitFound < 1)
            return skipped(action);
        const int index = int(action.a % uint32_t(st.NumFitFound));
        expect.titles = { QStringLiteral("Data Files Missing!"), QStringLiteral("Get Data File") };
        m_h.window->dataSetAction(index)->trigger();
        rewrote = loaded = true;
        m_model.gap = 3;
        break;
    }
    case Kind::Colours: {
        const int index = int(action.a % 6);
        const int value = int(action.b % 256);
        const bool ok = action.c % 2 == 0;
        m_h.platform.modalActions.push_back([index, value, ok](QDialog &dialog) {
            auto &colours = static_cast<ColourDialog &>(dialog);
            colours.slider(index)->setValue(value);
            (ok ? colours.okButton() : colours.cancelButton())->click();
        });
        m_h.trigger(MenuEntry::SetColors);
        break;
    }
    case Kind::OpenRun: {
        const QString path = m_files.runs[int(action.a % uint32_t(m_files.runs.size()))];
        const size_t before = m_h.window->runWindows().size();
        m_h.platform.runPathAnswers.push_back(
            cancel ? std::nullopt : std::optional(QStringList { path }));
        m_h.window->openRunAction()->trigger();
        const size_t after = m_h.window->runWindows().size();
        if (after != before + (cancel ? 0 : 1))
            return "Open Run left " + std::to_string(after) + " run windows, not "
                + std::to_string(before + (cancel ? 0 : 1));
        if (!cancel) {
            const ::Run &run = runWindow()->run();
            if (int(run.scans.size()) != m_files.runScans || !run.failures.empty())
                return "the run has " + std::to_string(run.scans.size()) + " scans and "
                    + std::to_string(run.failures.size()) + " failures";
        }
        break;
    }
    case Kind::ChooseInRun: {
        RunWindow *w = runWindow();
        if (!w)
            return skipped(action);
        std::vector<int> want;
        if (action.b % 2 == 0 && !w->analysis().groups.groups.empty()) {
            const int group = int(action.a % uint32_t(w->analysis().groups.groups.size()));
            w->chooseGroup(group);
            want = w->analysis().groups.groups[size_t(group)].scans;
        } else {
            w->table()->clearSelection();
            const int rows = w->table()->model()->rowCount();
            for (uint32_t k = 0; k < 1 + action.c % 4; ++k) {
                const int row = int((action.a + 7 * k) % uint32_t(rows));
                w->table()->selectionModel()->select(w->table()->model()->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
            for (const QModelIndex &row : w->table()->selectionModel()->selectedRows())
                want.push_back(row.data(RunTableModel::ScanRole).toInt());
        }
        std::vector<int> chosen = w->chosen();
        std::sort(chosen.begin(), chosen.end());
        std::sort(want.begin(), want.end());
        if (chosen != want)
            return "the run window plots other scans than were chosen";
        if (w->plots()->overlay().scans.size() != chosen.size())
            return "the overlay has " + std::to_string(w->plots()->overlay().scans.size())
                + " curves for " + std::to_string(chosen.size()) + " scans";
        break;
    }
    case Kind::OpenRunScan: {
        RunWindow *w = runWindow();
        if (!w)
            return skipped(action);
        const int row = int(action.a % uint32_t(w->table()->model()->rowCount()));
        const QModelIndex index = w->table()->model()->index(row, 0);
        const Scan &scan = w->run().scans[size_t(index.data(RunTableModel::ScanRole).toInt())];
        w->table()->setCurrentIndex(index);
        w->openScanAction()->trigger();
        if (st.NumPts != scan.numPoints)
            return "the scan opened with " + std::to_string(st.NumPts) + " points, not "
                + std::to_string(scan.numPoints);
        rewrote = loaded = true;
        m_model.gap = 3;
        expect.checkGoodRange = expect.goodRangeFromLoad = true;
        break;
    }
    case Kind::ExportRunTable: {
        RunWindow *w = runWindow();
        if (!w)
            return skipped(action);
        const QString path = m_h.folder.path(QStringLiteral("table.csv"));
        m_h.platform.fileAnswers.push_back(path);
        // An existing table is replaced once the user says so.
        if (QFileInfo::exists(path))
            m_h.platform.messageAnswers.push_back(MsgAnswer::Yes);
        expect.titles.insert(QStringLiteral("Export Table"));
        w->exportTableAction()->trigger();
        if (readFileBytes(path) != RunReportCsv(w->run(), w->analysis()))
            return "the exported table differs from the report";
        break;
    }
    case Kind::CloseRun: {
        RunWindow *w = runWindow();
        if (!w)
            return skipped(action);
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        break;
    }
    }
    return check(
        action, expect, messagesBefore, numPtsBefore, firstBefore, lastBefore, rewrote, loaded);
}

void Session::editorSession(PlotWindow &window, const Action &action)
{
    std::mt19937 random(action.a);
    ProgramState &st = s();
    const int steps = int(action.b % 12);
    auto somewhere = [&]() -> QPointF {
        if (st.PlotCount > 0 && random() % 3 != 0) {
            const int i = int(random() % uint32_t(st.PlotCount)) + 1;
            return plotPositionOf(window, st, i) + QPointF((random() % 100) / 100.0 - 0.5, 0.0);
        }
        return QPointF(
            double(random() % 1450) / 10.0 - 25.0, double(random() % 1550) / 10.0 - 25.0);
    };
    for (int k = 0; k < steps && window.isVisible(); ++k) {
        switch (random() % 6) {
        case 0:
            window.button(int(random() % 5) + 1)->trigger();
            break;
        case 1:
        case 2:
            clickAt(window, somewhere(), random() % 4 == 0 ? Qt::RightButton : Qt::LeftButton);
            break;
        case 3:
            dragBox(window, somewhere(), somewhere());
            break;
        case 4:
            if (window.zoomOutEntry()->isEnabled())
                window.zoomOutEntry()->trigger();
            break;
        default:
            window.showEmEntry()->trigger();
            break;
        }
    }
    if (!window.isVisible())
        return;
    const int ending = int(action.c % 3);
    if (ending == 0)
        window.button(7)->trigger();
    else if (ending == 1)
        window.button(8)->trigger();
}

std::optional<std::string> Session::check(const Action &action, const Expectations &expect,
    size_t messagesBefore, int numPtsBefore, int firstBefore, int lastBefore, bool rewrote,
    bool loaded)
{
    ProgramState &st = s();
    for (size_t k = messagesBefore; k < m_h.platform.messages.size(); ++k) {
        const RecordedMessage &m = m_h.platform.messages[k];
        if (!expect.titles.count(m.title))
            return "unexpected message \"" + m.title.toStdString() + "\": " + m.text.toStdString();
    }
    if (loaded)
        m_model.takeLoad(st);
    else if (st.NumPts != numPtsBefore)
        return "the point count changed without a load";
    if (st.NumPts != m_model.numPts)
        return "the point count differs from the last load";
    for (int i = 1; i <= st.NumPts; ++i) {
        if (st.DataPts.x(i) != m_model.x[size_t(i)])
            return "x of point " + std::to_string(i) + " changed";
        if (std::fabs(st.DataPts.flag(i)) != m_model.magnitude[size_t(i)])
            return "the flag magnitude of point " + std::to_string(i) + " changed";
        if (!std::isfinite(st.DataPts.conc(i)))
            return "point " + std::to_string(i) + " is not finite";
    }
    if (expect.checkGoodRange && st.NumPts > 0) {
        int first = 0;
        int last = 0;
        for (int i = 1; i <= st.NumPts; ++i) {
            if (st.DataPts.flag(i) > 0.0f) {
                first = first ? first : i;
                last = i;
            }
        }
        const int wantFirst = first ? first : (expect.goodRangeFromLoad ? 1 : firstBefore);
        const int wantLast = last ? last : (expect.goodRangeFromLoad ? st.NumPts : lastBefore);
        if (st.FirstIdx != wantFirst || st.LastIdx != wantLast)
            return "good range " + std::to_string(st.FirstIdx) + ".." + std::to_string(st.LastIdx)
                + ", the flags say " + std::to_string(wantFirst) + ".." + std::to_string(wantLast);
        if (expect.goodRangeFromLoad && action.kind == Kind::GetData
            && st.IsRadius != (st.LastX < 8.0f))
            return "IsRadius disagrees with LastX";
    }
    if (!st.TmpPath.isEmpty()) {
        const QByteArray file = readFileBytes(st.TmpPath);
        const QByteArray expected
            = WorkFileText(st, m_model.gap == 2 ? FlagGap::Two : FlagGap::Three);
        if (file != expected)
            return std::string("the working file differs from the data set")
                + (rewrote ? "" : " (this action did not rewrite it)");
    }
    return std::nullopt;
}

std::optional<std::string> Session::checkSaved(const QString &path, bool complete, bool radius)
{
    ProgramState &st = s();
    NumLib lib;
    auto back = std::make_unique<ProgramState>();
    lib.getdata(back->RawPts, back->NumPts, path, back->NumComments, back->CommentBuf);
    const int first = complete ? 1 : std::max(st.FirstIdx, 1);
    const int last = complete ? st.NumPts : std::min(st.LastIdx, st.NumPts);
    const int expected = std::max(0, last - first + 1);
    if (back->NumPts != expected)
        return "the saved file reads back " + std::to_string(back->NumPts) + " points, not "
            + std::to_string(expected);
    for (int k = 1; k <= expected; ++k) {
        const int i = first + k - 1;
        const float x = st.DataPts.x(i);
        const float xTolerance = radius ? 6e-6f : 2e-6f / std::max(std::fabs(x), 1.0f) + 2e-6f;
        if (std::fabs(back->RawPts.x(k) - x) > xTolerance * std::max(1.0f, std::fabs(x)))
            return "saved x of point " + std::to_string(i) + " reads back differently";
        const float c = st.DataPts.conc(i);
        if (std::fabs(back->RawPts.conc(k) - c) > std::fabs(c) * 6e-6f + 1e-30f)
            return "saved conc of point " + std::to_string(i) + " reads back differently";
        const float f = st.DataPts.flag(i);
        const float fBack = back->RawPts.flag(k);
        if (std::fabs(fBack - (f == 0.0f ? 100.0f : f)) > std::fabs(f) * 6e-4f)
            return "saved flag of point " + std::to_string(i) + " reads back differently";
    }
    return std::nullopt;
}

std::optional<std::string> playFresh(uint32_t seed, const std::vector<Action> &actions)
{
    Session session(seed);
    return session.play(actions);
}

// Drops actions one at a time while the sequence still fails.
std::vector<Action> shrink(uint32_t seed, std::vector<Action> actions)
{
    for (bool smaller = true; smaller;) {
        smaller = false;
        for (size_t k = actions.size(); k-- > 0;) {
            std::vector<Action> shorter = actions;
            shorter.erase(shorter.begin() + long(k));
            if (playFresh(seed, shorter)) {
                actions = std::move(shorter);
                smaller = true;
            }
        }
    }
    return actions;
}

} // namespace

TEST(Soak, RandomUserSessionsKeepTheDataSetConsistent)
{
    const int seconds = qEnvironmentVariableIsSet("SOAK_SECONDS")
        ? qEnvironmentVariableIntValue("SOAK_SECONDS")
        : 20;
    const bool oneSeed = qEnvironmentVariableIsSet("SOAK_SEED");
    uint32_t seed = oneSeed ? uint32_t(qEnvironmentVariableIntValue("SOAK_SEED")) : 1;
    QElapsedTimer clock;
    clock.start();
    int runs = 0;
    do {
        const std::vector<Action> actions = randomActions(seed, 60);
        if (const std::optional<std::string> failure = playFresh(seed, actions)) {
            const std::vector<Action> shortest = shrink(seed, actions);
            std::string steps;
            for (const Action &a : shortest)
                steps += "  " + a.describe() + "\n";
            const std::optional<std::string> again = playFresh(seed, shortest);
            FAIL() << "seed " << seed << " fails: " << *failure << "\nshortest sequence ("
                   << shortest.size() << " actions; replay with SOAK_SEED=" << seed << "):\n"
                   << steps << (again ? *again : std::string("(passes when replayed alone)"));
        }
        ++runs;
        ++seed;
    } while (!oneSeed && clock.elapsed() < seconds * 1000);
    std::printf("%d soak runs of 60 actions; actions performed:", runs);
    for (int k = 0; k < KindCount; ++k)
        std::printf(" %s %d", kindName(Kind(k)), performed[k]);
    std::printf("\n");
}
