// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RunEditRig.h"

#include "runwindows/ApplyRangeDialog.h"
#include "runwindows/RunWindow.h"
#include "runwindows/SaveSelectedDialog.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>

#include <numeric>

RunEditRig::RunEditRig(RunPlan chosen)
    : plan(std::move(chosen))
{
    WriteRun(GenerateRun(plan), root);
}

RunWindow *RunEditRig::openRun()
{
    platform.runPathAnswers.push_back(QStringList { root });
    window->openRunAction()->trigger();
    return window->runWindows().empty() ? nullptr : window->runWindows().back();
}

void RunEditRig::chooseAll(RunWindow &w)
{
    std::vector<int> all(w.run().scans.size());
    std::iota(all.begin(), all.end(), 0);
    w.choose(all);
}

void RunEditRig::applyRange(RunWindow &w, const QString &from, const QString &to)
{
    platform.modalActions.push_back([from, to](QDialog &dialog) {
        auto &range = static_cast<ApplyRangeDialog &>(dialog);
        range.fromField()->setText(from);
        range.toField()->setText(to);
        range.accept();
    });
    w.applyRangeAction()->trigger();
}

void RunEditRig::saveSelected(RunWindow &w, const QString &out, bool complete, bool radius)
{
    platform.modalActions.push_back([out, complete, radius](QDialog &dialog) {
        auto &save = static_cast<SaveSelectedDialog &>(dialog);
        save.folderField()->setText(out);
        (complete ? save.completeButton() : save.truncatedButton())->setChecked(true);
        (radius ? save.radiusButton() : save.xiButton())->setChecked(true);
        save.accept();
    });
    w.saveSelectedAction()->trigger();
}
