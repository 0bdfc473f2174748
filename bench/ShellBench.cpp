// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/AppContext.h"
#include "core/NumLib.h"
#include "core/PlotSession.h"
#include "core/ProgramState.h"
#include "datafiles/WorkFile.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/StartUp.h"

#include "BenchData.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace
{

// The real platform without the start-up's deliberate sleeps.
class NoSleepPlatform : public QtPlatform
{
public:
    explicit NoSleepPlatform(const QTemporaryDir &dir)
        : QtPlatform(dir.filePath(QStringLiteral("kelvane.lock")))
        , m_dir(dir)
    {
    }
    void sleep(int) override { }
    QString settingsFilePath() override { return m_dir.filePath(QStringLiteral("Kelvane.ini")); }

private:
    const QTemporaryDir &m_dir;
};

void BM_WorkFileText_2199_points(benchmark::State &state)
{
    auto s = std::make_unique<ProgramState>();
    fillFullDataSet(*s);
    for (auto _ : state)
        benchmark::DoNotOptimize(WorkFileText(*s));
}
BENCHMARK(BM_WorkFileText_2199_points)->Unit(benchmark::kMicrosecond);

// A main window that shows nothing, to time the file apart from the view.
class NoView : public MainView
{
public:
    void setMenuEnabled(MenuEntry, bool) override { }
    void setMenuVisible(MenuEntry, bool) override { }
    void setDataSetCaption(int, const QString &) override { }
    void setDataSetEnabled(int, bool) override { }
    void setDataSetVisible(int, bool) override { }
    void setDataSetChecked(int, bool) override { }
    void setViewText(ViewTab, const QByteArray &) override { }
    void setRemovedLines(ViewTab, const std::vector<int> &) override { }
    void setTabCaption(ViewTab, const QString &) override { }
    void setNotice(const QString &) override { }
    PlotOutcome editPlot(const PlotSession &) override { return {}; }
    void showLnC(const PlotFields &) override { }
    std::optional<float> askNoiseLevel(float) override { return std::nullopt; }
    std::optional<QByteArray> editCommentText(const QByteArray &) override { return std::nullopt; }
    std::optional<PlotColours> askColours(
        const PlotColours &, const std::function<void(const PlotColours &)> &) override
    {
        return std::nullopt;
    }
};

void BM_RewriteWorkFile_file_only(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    auto s = std::make_unique<ProgramState>();
    fillFullDataSet(*s);
    NoView view;
    for (auto _ : state)
        RewriteWorkFile(*s, view);
    QDir::setCurrent(previous);
}
BENCHMARK(BM_RewriteWorkFile_file_only)->Unit(benchmark::kMicrosecond);

void BM_RewriteWorkFile_2199_points(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    NoSleepPlatform platform(dir);
    NumLib numlib;
    auto s = std::make_unique<ProgramState>();
    AppContext app { *s, platform, numlib };
    MainWindow window(app);
    fillFullDataSet(*s);
    for (auto _ : state)
        RewriteWorkFile(*s, window);
    QDir::setCurrent(previous);
}
BENCHMARK(BM_RewriteWorkFile_2199_points)->Unit(benchmark::kMillisecond);

// The Edited Data File view's part of a rewrite: the new text and its removed
// lines handed to the view, and the visible rows painted as a shown window
// would paint them.
void BM_ViewRefresh_2199_lines(benchmark::State &state)
{
    QTemporaryDir dir;
    NoSleepPlatform platform(dir);
    NumLib numlib;
    auto s = std::make_unique<ProgramState>();
    AppContext app { *s, platform, numlib };
    MainWindow window(app);
    fillFullDataSet(*s);
    const QByteArray text = WorkFileText(*s);
    const std::vector<int> removed = RemovedPointLines(*s);
    TextView *view = window.view(ViewTab::EditedDataFile);
    window.tabs()->setCurrentWidget(view);
    window.show();
    QImage image(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        window.setViewText(ViewTab::EditedDataFile, text);
        window.setRemovedLines(ViewTab::EditedDataFile, removed);
        if (state.range(0))
            view->viewport()->render(&image);
    }
    state.SetLabel(state.range(0) ? "with paint" : "text only");
}
BENCHMARK(BM_ViewRefresh_2199_lines)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_StartUp_without_sleeps(benchmark::State &state)
{
    QTemporaryDir dir;
    NumLib numlib;
    for (auto _ : state) {
        NoSleepPlatform platform(dir);
        auto s = std::make_unique<ProgramState>();
        AppContext app { *s, platform, numlib };
        auto window = StartUp(app);
        benchmark::DoNotOptimize(window.get());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp_without_sleeps)->Unit(benchmark::kMillisecond);

} // namespace
