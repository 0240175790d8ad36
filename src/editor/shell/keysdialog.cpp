#include "editor/shell/keysdialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

namespace orvex {

namespace {

enum Column { kAction, kArea, kKeys, kColumns };

// What the mouse does, listed under the keys: what it does, where, and the gesture.
struct Gesture {
    const char* what;
    const char* where;
    const char* how;
};
constexpr std::array<Gesture, 16> kGestures{{
    {"Scroll down and up", "Map", "Wheel"},
    {"Scroll across", "Map", "Shift+Wheel"},
    {"Zoom about the pointer", "Map", "Ctrl+Wheel"},
    {"Pan", "Map", "Middle drag, or Space+Left drag"},
    {"Pick the block under the pointer", "Map", "Right click"},
    {"Place, paint, select or fill (the tool chosen)", "Map", "Left click or drag"},
    {"Select a placement", "Objects, Rings", "Left click"},
    {"Add to or take from the selection", "Objects, Rings", "Ctrl+Left click"},
    {"Move the selection by 8 pixels", "Objects, Rings", "Left drag"},
    {"Move the selection by single pixels", "Objects, Rings", "Shift+Left drag"},
    {"Select the placements in a rectangle", "Objects, Rings", "Left drag from empty ground"},
    {"Move the start or a boundary edge", "Objects, Rings", "Left drag on it"},
    {"Move the view", "Level Overview", "Left click or drag"},
    {"Make mask pixels solid / empty", "Collision Shapes", "Left / Right drag"},
    {"Paint a chunk into block entries", "Block Editor", "Left drag (Paint with chosen chunk)"},
    {"Choose a piece", "Sheets", "Left click, or the arrow keys; Return takes a shape"},
}};

// "Edit > Select All", without the '&' of mnemonics.
QString entryText(const ActionSpec& spec) {
    QString path = spec.menu;
    path.replace('/', " > ");
    return (path.isEmpty() ? QString() : path + " > ") + QString(spec.text).remove('&');
}

}  // namespace

KeysDialog::KeysDialog(ActionRegistry& actions, Mode mode, QWidget* parent)
    : QDialog(parent), mActions(actions) {
    setObjectName("KeysDialog");
    setWindowTitle(mode == Mode::Edit ? "Keys" : "Keyboard Shortcuts");
    auto* layout = new QVBoxLayout(this);
    mTable = new QTableWidget(0, kColumns, this);
    mTable->setObjectName("KeysTable");
    mTable->setHorizontalHeaderLabels({"Action", "Area", "Keys"});
    mTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mTable->setSelectionMode(QAbstractItemView::SingleSelection);
    mTable->verticalHeader()->hide();
    mTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(mTable);
    fill();
    if (mode == Mode::List) {
        addGestures();
    }
    mTable->resizeColumnsToContents();
    if (mode == Mode::Edit) {
        addEditor();
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 480);
}

void KeysDialog::fill() {
    const auto& specs = mActions.specs();
    mTable->setRowCount(static_cast<int>(specs.size()));
    for (int row = 0; row < mTable->rowCount(); ++row) {
        const ActionSpec& spec = specs[static_cast<std::size_t>(row)];
        mTable->setItem(row, kAction, new QTableWidgetItem(entryText(spec)));
        mTable->setItem(row, kArea, new QTableWidgetItem(spec.area));
        mTable->setItem(row, kKeys,
                        new QTableWidgetItem(keysText(mActions.action(spec.id)->shortcuts())));
    }
}

void KeysDialog::addGestures() {
    for (const Gesture& gesture : kGestures) {
        const int row = mTable->rowCount();
        mTable->insertRow(row);
        mTable->setItem(row, kAction, new QTableWidgetItem(gesture.what));
        mTable->setItem(row, kArea, new QTableWidgetItem(QString("Mouse: ") + gesture.where));
        mTable->setItem(row, kKeys, new QTableWidgetItem(gesture.how));
    }
}

void KeysDialog::addEditor() {
    auto* row = new QHBoxLayout;
    mKeyEdit = new QKeySequenceEdit(this);
    mKeyEdit->setObjectName("KeyEdit");
    auto* assignButton = new QPushButton("Assign", this);
    assignButton->setObjectName("AssignKey");
    auto* clearButton = new QPushButton("No Key", this);
    clearButton->setObjectName("ClearKey");
    auto* resetButton = new QPushButton("Reset All", this);
    resetButton->setObjectName("ResetKeys");
    row->addWidget(mKeyEdit, 1);
    row->addWidget(assignButton);
    row->addWidget(clearButton);
    row->addWidget(resetButton);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    mMessage = new QLabel(this);
    mMessage->setObjectName("KeyMessage");
    mMessage->setWordWrap(true);
    layout()->addWidget(mMessage);
    // One combination: the first one typed is kept, and the field stops listening.
    connect(mKeyEdit, &QKeySequenceEdit::keySequenceChanged, this,
            [this](const QKeySequence& typed) {
                if (typed.count() > 1) {
                    mKeyEdit->setKeySequence(QKeySequence(typed[0]));
                }
                if (!typed.isEmpty()) {
                    mKeyEdit->clearFocus();
                }
            });
    connect(assignButton, &QPushButton::clicked, this,
            [this] { mMessage->setText(assign(mTable->currentRow(), mKeyEdit->keySequence())); });
    connect(clearButton, &QPushButton::clicked, this,
            [this] { mMessage->setText(assign(mTable->currentRow(), {})); });
    connect(resetButton, &QPushButton::clicked, this, [this] {
        mActions.resetKeys();
        fill();
        mMessage->setText("Every action has its default keys again.");
    });
}

QString KeysDialog::assign(int row, const QKeySequence& key) {
    if (row < 0 || row >= mTable->rowCount()) {
        return "Choose an action in the list first.";
    }
    const ActionSpec& spec = mActions.specs()[static_cast<std::size_t>(row)];
    const QList<QKeySequence> keys =
        key.isEmpty() ? QList<QKeySequence>{} : QList<QKeySequence>{key};
    if (auto refused = mActions.setKeys(spec.id, keys)) {
        return *refused;
    }
    mTable->item(row, kKeys)->setText(keysText(keys));
    return "\"" + entryText(spec) + "\": " + (keys.isEmpty() ? "no key" : keysText(keys));
}

}  // namespace orvex
