#include "editor/shell/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace orvex {

namespace {

constexpr int kRecentFiles = 8;
constexpr const char* kRecentKey = "recentFiles";
constexpr const char* kFolderKey = "lastFolder";

}  // namespace

RecentFiles::RecentFiles(QMenu& menu, QObject* parent) : QObject(parent), mMenu(menu) {
    fill();
}

void RecentFiles::remember(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value(kRecentKey).toStringList();
    // A project named with a trailing slash is the same project without it.
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    recent.removeAll(full);
    recent.prepend(full);
    while (recent.size() > kRecentFiles) {
        recent.removeLast();
    }
    settings.setValue(kRecentKey, recent);
    settings.setValue(kFolderKey, QFileInfo(full).absolutePath());
    fill();
}

void RecentFiles::fill() {
    mMenu.clear();
    const QStringList recent = QSettings().value(kRecentKey).toStringList();
    for (const QString& path : recent) {
        const QFileInfo file(path);
        const QString name = file.isDir() ? file.fileName() + "/" : file.fileName();
        QAction* entry = mMenu.addAction(name, this, [this, path] { emit chosen(path); });
        entry->setData(path);
        entry->setToolTip(path);
    }
    mMenu.setEnabled(!recent.isEmpty());
}

}  // namespace orvex
