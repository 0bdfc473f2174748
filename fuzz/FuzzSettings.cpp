// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on arbitrary bytes: the colours read from it always lie
// in 0..255, and reading never fails.
#include "base/AppContext.h"
#include "base/Platform.h"
#include "base/Settings.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"

#include <QDialog>

#include <cstdlib>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace
{

// Only the settings file's place and the clock are asked for.
class SettingsOnlyPlatform : public Platform
{
public:
    explicit SettingsOnlyPlatform(QString file)
        : m_file(std::move(file))
    {
    }
    MsgAnswer messageBox(const QString &, const QString &, MsgStyle) override { abort(); }
    int execModal(QDialog &) override { abort(); }
    void sleep(int) override { }
    void processEvents() override { }
    QDateTime now() override { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); }
    void seedRandomFromClock() override { }
    float uniformRandom() override { return 0.0f; }
    bool anotherInstanceRunning() override { return false; }
    QString settingsFilePath() override { return m_file; }
    QString cacheFolderPath() override { abort(); }
    QString defaultPrinterName() override { return {}; }
    QStringList printerNames() override { return {}; }
    QSize screenSize() override { return { 1024, 768 }; }
    void setClipboardImage(const QImage &) override { }
    void setBusyCursor(bool) override { }

protected:
    std::optional<QString> askFileName(const FileDialogSpec &) override { abort(); }

private:
    QString m_file;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int fd = memfd_create("fuzz-settings", 0);
    if (fd < 0)
        return 0;
    if (size > 0 && write(fd, data, size) != ssize_t(size)) {
        close(fd);
        return 0;
    }
    // The settings are written as well as read; a /proc path cannot take the
    // write, which must fail quietly.
    SettingsOnlyPlatform platform(QStringLiteral("/proc/self/fd/%1").arg(fd));
    NumLib numlib;
    static auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    ReadSettings(app);
    close(fd);
    for (const int16_t colour : { state->GoodRed, state->GoodGreen, state->GoodBlue, state->DelRed,
             state->DelGreen, state->DelBlue }) {
        if (colour < 0 || colour > 255)
            abort();
    }
    // The recent files as the menu needs them: at most eight, none empty.
    if (state->RecentFiles.size() > RecentFileList::Capacity
        || state->RecentFiles.paths().contains(QString()))
        abort();
    return 0;
}
