#pragma once

#include <QMenu>
#include <QObject>
#include <QString>

namespace orvex {

// File > Open Recent: the last eight ROMs and projects opened, newest first, kept with QSettings
// together with the folder that holds the last one (where the open dialogs start). A project's
// entry ends with a slash.
class RecentFiles : public QObject {
    Q_OBJECT

public:
    RecentFiles(QMenu& menu, QObject* parent);

    // Puts `path` first, dropping the oldest beyond eight.
    void remember(const QString& path);

signals:
    void chosen(const QString& path);

private:
    void fill();

    QMenu& mMenu;
};

}  // namespace orvex
