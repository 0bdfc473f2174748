// SPDX-License-Identifier: GPL-3.0-or-later
// The data operations, the comment editor and the colour dialog on a full
// data set: what a user waits for after choosing the command.
#include "base/AppContext.h"
#include "colours/ColourDialog.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "datafiles/ClearBlank.h"
#include "datafiles/CommentEditor.h"
#include "datafiles/CommentsDialog.h"
#include "operations/InvertSign.h"
#include "operations/Noise.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QSlider>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace
{

// A started main window over a full data set, working in a private folder.
struct Session {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    QtPlatform platform { dir.filePath(QStringLiteral("kelvane.lock")) };
    NumLib numlib;
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    std::unique_ptr<MainWindow> window;

    Session()
    {
        QDir::setCurrent(dir.path());
        window = std::make_unique<MainWindow>(app);
        ProgramState &s = *state;
        s.NumPts = MaxPoints;
        for (int i = 1; i <= MaxPoints; ++i) {
            s.RawPts.x(i) = 5.9f + 0.0006f * float(i);
            s.RawPts.conc(i) = 0.4f + 0.3f * std::sin(float(i) * 0.01f);
            s.RawPts.flag(i) = 100.0f;
            s.DataPts.x(i) = s.RawPts.x(i);
            s.DataPts.conc(i) = s.RawPts.conc(i);
            s.DataPts.flag(i) = s.RawPts.flag(i);
        }
        s.NumComments = 50;
        for (int k = 1; k <= 50; ++k)
            s.CommentBuf.setSlot(k, QByteArray(96, char('A' + k % 26)));
    }
    ~Session() { QDir::setCurrent(previous); }
};

void BM_InvertC_2199_points(benchmark::State &state)
{
    Session session;
    for (auto _ : state)
        InvertC(session.app, *session.window);
}
BENCHMARK(BM_InvertC_2199_points)->Unit(benchmark::kMillisecond);

void BM_ClearBlank_2199_points(benchmark::State &state)
{
    Session session;
    for (auto _ : state)
        ClearBlank(session.app, *session.window);
}
BENCHMARK(BM_ClearBlank_2199_points)->Unit(benchmark::kMillisecond);

void BM_Gauss_2199_draws(benchmark::State &state)
{
    QtPlatform platform;
    platform.seedRandomFromClock();
    for (auto _ : state) {
        float sum = 0.0f;
        for (int i = 0; i < MaxPoints; ++i)
            sum += Gauss(platform, 0.01f);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_Gauss_2199_draws)->Unit(benchmark::kMicrosecond);

void BM_StoreCommentLines_50(benchmark::State &state)
{
    auto s = std::make_unique<ProgramState>();
    s->NumComments = 50;
    const QByteArray text = CommentScratchText(*s);
    for (auto _ : state)
        StoreCommentLines(*s, text);
}
BENCHMARK(BM_StoreCommentLines_50)->Unit(benchmark::kMicrosecond);

void BM_CommentsDialog_open_50_lines(benchmark::State &state)
{
    Session session;
    const QByteArray text = CommentScratchText(*session.state);
    for (auto _ : state) {
        CommentsDialog dialog(session.platform, session.window.get());
        dialog.setText(text);
        benchmark::DoNotOptimize(dialog.text());
    }
}
BENCHMARK(BM_CommentsDialog_open_50_lines)->Unit(benchmark::kMillisecond);

void BM_ColourDialog_slider_change(benchmark::State &state)
{
    Session session;
    ProgramState &s = *session.state;
    ColourDialog dialog(
        ColoursOf(s), [&s](const PlotColours &c) { SetColours(s, c); }, session.window.get());
    int value = 0;
    for (auto _ : state)
        dialog.slider(0)->setValue(++value % 256);
}
BENCHMARK(BM_ColourDialog_slider_change)->Unit(benchmark::kMicrosecond);

} // namespace
