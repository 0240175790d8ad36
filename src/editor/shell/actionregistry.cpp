#include "editor/shell/actionregistry.h"

#include <QMenu>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <tuple>

namespace orvex {

namespace {

QString settingsKey(const QString& id) {
    return "keys/" + id;
}

// The keys stored for `id`, when the user changed them (an empty list: no key at all).
std::optional<QList<QKeySequence>> storedKeys(const QString& id) {
    const QSettings settings;
    if (!settings.contains(settingsKey(id))) {
        return std::nullopt;
    }
    return QKeySequence::listFromString(settings.value(settingsKey(id)).toString(),
                                        QKeySequence::PortableText);
}

QString menuObjectName(const QString& path) {
    QString last = path.section('/', -1);
    last.remove(' ');
    return "Menu" + last;
}

}  // namespace

QString keysText(const QList<QKeySequence>& keys) {
    return QKeySequence::listToString(keys, QKeySequence::NativeText);
}

ActionRegistry::ActionRegistry(QWidget& owner) : QObject(&owner), mOwner(owner) {
    setObjectName("ActionRegistry");
}

QAction* ActionRegistry::add(const ActionSpec& spec, std::function<void()> run) {
    auto* action = new QAction(spec.text, &mOwner);
    action->setObjectName(spec.id);
    action->setCheckable(spec.checkable);
    action->setShortcuts(storedKeys(spec.id).value_or(spec.defaultKeys));
    if (run) {
        connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    }
    mSpecs.push_back(spec);
    mActions.push_back(action);
    if (mBar != nullptr) {
        place(mSpecs.size() - 1);
    }
    return action;
}

QAction* ActionRegistry::action(const QString& id) const {
    for (std::size_t i = 0; i < mSpecs.size(); ++i) {
        if (id == mSpecs[i].id) {
            return mActions[i];
        }
    }
    return nullptr;
}

const ActionSpec* ActionRegistry::spec(const QString& id) const {
    const auto found = std::find_if(mSpecs.begin(), mSpecs.end(),
                                    [&id](const ActionSpec& spec) { return id == spec.id; });
    return found == mSpecs.end() ? nullptr : &*found;
}

std::optional<QString> ActionRegistry::setKeys(const QString& id, const QList<QKeySequence>& keys) {
    QAction* changed = action(id);
    if (changed == nullptr) {
        return "There is no action " + id;
    }
    for (const QKeySequence& key : keys) {
        // A sequence of chords would make its first chord a prefix that waits for more keys.
        if (key.count() > 1) {
            return key.toString(QKeySequence::NativeText) +
                   " is a sequence of keys; a key is one combination, such as Ctrl+S";
        }
        for (std::size_t i = 0; i < mActions.size(); ++i) {
            if (mActions[i] != changed && mActions[i]->shortcuts().contains(key)) {
                return key.toString(QKeySequence::NativeText) + " is already the key of \"" +
                       mSpecs[i].text + "\" (" + mSpecs[i].area + "); it was not given to \"" +
                       spec(id)->text + "\"";
            }
        }
    }
    changed->setShortcuts(keys);
    QSettings().setValue(settingsKey(id),
                         QKeySequence::listToString(keys, QKeySequence::PortableText));
    emit keysChanged();
    return std::nullopt;
}

void ActionRegistry::resetKeys() {
    QSettings settings;
    settings.remove("keys");
    for (std::size_t i = 0; i < mActions.size(); ++i) {
        mActions[i]->setShortcuts(mSpecs[i].defaultKeys);
    }
    emit keysChanged();
}

QMenu* ActionRegistry::menu(const QString& path) const {
    for (const auto& [name, built] : mMenus) {
        if (name == path) {
            return built;
        }
    }
    return nullptr;
}

QMenu* ActionRegistry::menuFor(QMenuBar& bar, const QString& path) {
    if (QMenu* built = menu(path)) {
        return built;
    }
    const QString parent = path.section('/', 0, -2);
    const QString title = path.section('/', -1);
    QMenu* made = nullptr;
    if (parent.isEmpty()) {
        made = bar.addMenu(title);
    } else {
        QMenu* into = menuFor(bar, parent);
        into->addSeparator();
        made = into->addMenu(title);
    }
    made->setObjectName(menuObjectName(path));
    mMenus.emplace_back(path, made);
    return made;
}

void ActionRegistry::buildMenus(QMenuBar& bar) {
    // Entries go menu by menu (in the order each menu was first named), within a menu by
    // section, then in the order they were registered.
    std::vector<std::size_t> firstOfMenu(mSpecs.size());
    for (std::size_t i = 0; i < mSpecs.size(); ++i) {
        std::size_t first = 0;
        while (mSpecs[first].menu != mSpecs[i].menu) {
            ++first;
        }
        firstOfMenu[i] = first;
    }
    std::vector<std::size_t> order(mSpecs.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::tuple(firstOfMenu[a], mSpecs[a].section, a) <
               std::tuple(firstOfMenu[b], mSpecs[b].section, b);
    });
    // Top menus in the order they were first named.
    for (const ActionSpec& spec : mSpecs) {
        if (!spec.menu.isEmpty()) {
            menuFor(bar, spec.menu.section('/', 0, 0));
        }
    }
    mBar = &bar;
    for (const std::size_t i : order) {
        place(i);
    }
}

// After the entries placed before it: a separator first when its section is another one.
void ActionRegistry::place(std::size_t index) {
    const ActionSpec& spec = mSpecs[index];
    if (spec.menu.isEmpty()) {
        mOwner.addAction(mActions[index]);
        return;
    }
    QMenu* into = menuFor(*mBar, spec.menu);
    auto last = std::find_if(mLastSection.begin(), mLastSection.end(),
                             [into](const auto& entry) { return entry.first == into; });
    if (last == mLastSection.end()) {
        mLastSection.emplace_back(into, spec.section);
    } else if (last->second != spec.section) {
        into->addSeparator();
        last->second = spec.section;
    }
    into->addAction(mActions[index]);
}

}  // namespace orvex
