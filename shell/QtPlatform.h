// SPDX-License-Identifier: GPL-3.0-or-later
// The platform services of a real desktop session, through Qt.
#pragma once

#include "base/Platform.h"

#include <QLockFile>

#include <memory>
#include <random>

class QWidget;

class QtPlatform : public Platform
{
public:
    // `instanceLockPath` is the single-instance guard's lock file; empty means
    // the standard one: kelvane.lock in $XDG_RUNTIME_DIR, or without that
    // folder kelvane-<uid>.lock in the temporary folder.
    explicit QtPlatform(QString instanceLockPath = QString());
    ~QtPlatform() override;

    // Window that dialogs and message boxes are centred on.
    void setDialogParent(QWidget *parent) { m_parent = parent; }

    MsgAnswer messageBox(const QString &text, const QString &title, MsgStyle style) override;
    int execModal(QDialog &window) override;
    void sleep(int milliseconds) override;
    void processEvents() override;
    QDateTime now() override;
    void seedRandomFromClock() override;
    float uniformRandom() override;
    bool anotherInstanceRunning() override;
    QString settingsFilePath() override;
    QString cacheFolderPath() override;
    QString defaultPrinterName() override;
    QStringList printerNames() override;
    std::unique_ptr<QPrinter> openPrinter(const QString &name) override;
    QSize screenSize() override;
    QRect availableArea() override;
    void setClipboardImage(const QImage &image) override;
    void setBusyCursor(bool busy) override;
    std::optional<QStringList> askRunPaths(const QString &title) override;
    std::optional<QString> askFolder(const QString &title, const QString &start) override;
    bool runLongWork(
        const QString &label, const std::function<void(WorkProgress &)> &work) override;

    // $XDG_CONFIG_HOME/Kelvane.ini, or ~/.config/Kelvane.ini.
    static QString standardSettingsFilePath();
    // $XDG_CACHE_HOME/kelvane, or ~/.cache/kelvane.
    static QString standardCacheFolder();

protected:
    std::optional<QString> askFileName(const FileDialogSpec &spec) override;

private:
    QWidget *m_parent = nullptr;
    QString m_instanceLockPath;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::mt19937 m_random;
};
