#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMenuBar>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace orvex {

// What the registry knows of one action: its id (also the QAction's objectName and its
// settings key), its text, the keys it has unless the user changed them, the area it belongs
// to, and where its menu entry goes: the menu path ("Edit" or "Edit/Preferences") and a
// section (entries of different sections are parted by a separator).
struct ActionSpec {
    const char* id = "";
    QString text;
    QList<QKeySequence> defaultKeys;
    QString area;
    QString menu;
    int section = 0;
    bool checkable = false;
};

// Every action of the window, registered once. Menus are built from it in the order of
// registration, and the keys come from it only: the defaults, or what the user set (stored
// with QSettings under "keys/<id>").
class ActionRegistry : public QObject {
    Q_OBJECT

public:
    // The actions belong to `owner` (the window), where their shortcuts act.
    explicit ActionRegistry(QWidget& owner);

    // Registers `spec` and returns its action, triggered calling `run` (unless empty). The
    // action's keys are the stored ones if the user changed them, else the defaults. Once the
    // menus are built, its entry goes at the end of its menu.
    QAction* add(const ActionSpec& spec, std::function<void()> run = {});

    // The action with `id`, or null.
    [[nodiscard]] QAction* action(const QString& id) const;
    [[nodiscard]] const ActionSpec* spec(const QString& id) const;
    [[nodiscard]] const std::vector<ActionSpec>& specs() const { return mSpecs; }

    // Gives action `id` the `keys` at once (menu and shortcut) and stores them. Refuses, changing
    // nothing, a key another action has: the text then names both actions and the key.
    [[nodiscard]] std::optional<QString> setKeys(const QString& id,
                                                 const QList<QKeySequence>& keys);
    // Every action back to its default keys; the stored keys are forgotten.
    void resetKeys();

    // Adds the menus of the registered actions to `bar`, in the order they were first named;
    // `menu` gives an already existing menu for a path, so the window can add entries of its own.
    void buildMenus(QMenuBar& bar);
    // The menu built for `path` ("File", "Edit/Preferences"), or null.
    [[nodiscard]] QMenu* menu(const QString& path) const;

signals:
    void keysChanged();

private:
    QMenu* menuFor(QMenuBar& bar, const QString& path);
    void place(std::size_t index);

    QWidget& mOwner;
    std::vector<ActionSpec> mSpecs;
    std::vector<QAction*> mActions;
    std::vector<std::pair<QString, QMenu*>> mMenus;
    QMenuBar* mBar = nullptr;                          // once the menus are built
    std::vector<std::pair<QMenu*, int>> mLastSection;  // each menu's last entry's section
};

// The keys as the user reads them: "Ctrl+S, Ctrl+Shift+S".
[[nodiscard]] QString keysText(const QList<QKeySequence>& keys);

}  // namespace orvex
