#include "editor/placements/placementdocks.h"

#include <QFormLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/map/spritepixmap.h"
#include "graphics/placementimage.h"
#include "rom/cameraview.h"
#include "rom/objectmeaning.h"
#include "rom/objectnames.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

QString idText(std::uint8_t id) {
    return QString::number(id, 16).toUpper().rightJustified(2, '0');
}

QString nameOf(std::uint8_t id) {
    const std::string_view name = objectName(id);
    return name.empty() ? QString("(no name)")
                        : QString::fromUtf8(name.data(), static_cast<int>(name.size()));
}

// The pages of the stack, in the order they are added.
enum Page { kNothing, kObject, kRing, kStart, kBounds };

// What the rows of the object type list hold: the id (Qt::UserRole), the subtype, and the kind
// of row.
constexpr int kSubtypeRole = Qt::UserRole + 1;
constexpr int kRowRole = Qt::UserRole + 2;
enum Row { kTypeRow, kPresetRow, kHeadingRow };
constexpr int kIconSide = 32;

Row rowOf(const QListWidgetItem* item) {
    return static_cast<Row>(item->data(kRowRole).toInt());
}

QIcon iconOf(const IndexedImage& picture, const ColourTable& colours) {
    if (picture.isNull()) {
        return {};
    }
    const QImage image = spriteImage(picture, colours);
    return QIcon(QPixmap::fromImage(
        image.width() > kIconSide || image.height() > kIconSide
            ? image.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : image));
}

QListWidgetItem* heading(const QString& text) {
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::NoItemFlags);
    item->setData(kRowRole, kHeadingRow);
    QFont bold = item->font();
    bold.setBold(true);
    item->setFont(bold);
    return item;
}

// "41:02  Spring (Yellow spring, up)": the preset's id and subtype, the name, and what the
// subtype means in the act.
QListWidgetItem* preset(const DebugEntry& entry, ZoneAct act) {
    ObjectPlacement object;
    object.id = entry.id;
    object.subtype = entry.subtype;
    const std::string meaning = subtypeMeaning(act, object);
    auto* item = new QListWidgetItem(
        idText(entry.id) + ":" + idText(entry.subtype) + "  " + nameOf(entry.id) +
        (meaning.empty() ? QString() : " (" + toQString(meaning) + ")"));
    item->setData(Qt::UserRole, entry.id);
    item->setData(kSubtypeRole, entry.subtype);
    item->setData(kRowRole, kPresetRow);
    return item;
}

}  // namespace

ObjectTypeDock::ObjectTypeDock(QWidget* parent) : QDockWidget("Object Types", parent) {
    setObjectName("ObjectListDock");
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    mFilter = new QLineEdit(body);
    mFilter->setObjectName("ObjectFilter");
    mFilter->setPlaceholderText("Filter by name or id");
    mFilter->setClearButtonEnabled(true);
    mList = new QListWidget(body);
    mList->setObjectName("ObjectTypes");
    for (int id = kFirstObjectId; id <= kLastObjectId; ++id) {
        const auto value = static_cast<std::uint8_t>(id);
        auto* item = new QListWidgetItem(idText(value) + "  " + nameOf(value), mList);
        item->setData(Qt::UserRole, id);
        item->setData(kSubtypeRole, 0);
        item->setData(kRowRole, kTypeRow);
    }
    mList->setCurrentRow(0x41 - kFirstObjectId);  // a spring: the commonest thing placed
    column->addWidget(mFilter);
    column->addWidget(mList);
    setWidget(body);
    connect(mFilter, &QLineEdit::textChanged, this, &ObjectTypeDock::applyFilter);
    connect(mList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (rowOf(item) != kHeadingRow) {
            emit activated(static_cast<std::uint8_t>(item->data(Qt::UserRole).toInt()),
                           static_cast<std::uint8_t>(item->data(kSubtypeRole).toInt()));
        }
    });
}

void ObjectTypeDock::showPictures(const LevelSprites* sprites, const ColourTable& colours,
                                  ZoneAct act) {
    mList->setIconSize(QSize(kIconSide, kIconSide));
    showPresets(sprites, colours, act);
    for (int row = 0; row < mList->count(); ++row) {
        QListWidgetItem* item = mList->item(row);
        if (rowOf(item) != kTypeRow) {
            continue;
        }
        const auto id = static_cast<std::uint8_t>(item->data(Qt::UserRole).toInt());
        item->setIcon(iconOf(
            sprites != nullptr ? renderObjectType(*sprites, id, 0) : IndexedImage{}, colours));
    }
}

// The presets of the zone before go; a chosen one leaves its plain id chosen.
void ObjectTypeDock::showPresets(const LevelSprites* sprites, const ColourTable& colours,
                                 ZoneAct act) {
    QListWidgetItem* chosen = mList->currentItem();
    if (chosen != nullptr && rowOf(chosen) != kTypeRow) {
        chosen = typeRow(chosen->data(Qt::UserRole).toInt());
    }
    for (int row = mList->count() - 1; row >= 0; --row) {
        if (rowOf(mList->item(row)) != kTypeRow) {
            delete mList->takeItem(row);
        }
    }
    const std::size_t count = sprites != nullptr ? sprites->debugEntryCount() : 0;
    if (count > 0) {
        int row = 0;
        mList->insertItem(row++, heading("Presets"));
        for (std::size_t i = 0; i < count; ++i) {
            const DebugEntry& entry = sprites->debugEntry(i);
            QListWidgetItem* item = preset(entry, act);
            item->setIcon(iconOf(
                renderSprite(sprites->video(), sprites->debugPieces(i), entry.artTile, false, false)
                    .picture,
                colours));
            mList->insertItem(row++, item);
        }
        mList->insertItem(row, heading("All types"));
    }
    mList->setCurrentItem(chosen);
    applyFilter(mFilter->text());
}

void ObjectTypeDock::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    if (mList->currentItem() != nullptr) {
        mList->scrollToItem(mList->currentItem(), QAbstractItemView::PositionAtCenter);
    }
}

QListWidgetItem* ObjectTypeDock::typeRow(int id) const {
    for (int row = 0; row < mList->count(); ++row) {
        QListWidgetItem* item = mList->item(row);
        if (rowOf(item) == kTypeRow && item->data(Qt::UserRole).toInt() == id) {
            return item;
        }
    }
    return nullptr;
}

const QListWidgetItem* ObjectTypeDock::chosenItem() const {
    const QListWidgetItem* item = mList->currentItem();
    return item != nullptr && !item->isHidden() && rowOf(item) != kHeadingRow ? item : nullptr;
}

std::uint8_t ObjectTypeDock::chosenId() const {
    const QListWidgetItem* item = chosenItem();
    return item != nullptr ? static_cast<std::uint8_t>(item->data(Qt::UserRole).toInt())
                           : std::uint8_t{0x41};
}

std::uint8_t ObjectTypeDock::chosenSubtype() const {
    const QListWidgetItem* item = chosenItem();
    return item != nullptr ? static_cast<std::uint8_t>(item->data(kSubtypeRole).toInt())
                           : std::uint8_t{0};
}

// Headings show only while nothing is typed.
void ObjectTypeDock::applyFilter(const QString& text) {
    const QString wanted = text.trimmed();
    QListWidgetItem* firstShown = nullptr;
    for (int row = 0; row < mList->count(); ++row) {
        QListWidgetItem* item = mList->item(row);
        const bool isHeading = rowOf(item) == kHeadingRow;
        const bool shown =
            isHeading ? wanted.isEmpty() : item->text().contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !isHeading && firstShown == nullptr) {
            firstShown = item;
        }
    }
    if (mList->currentItem() == nullptr || mList->currentItem()->isHidden()) {
        mList->setCurrentItem(firstShown);
    }
}

PlacementPropertiesDock::PlacementPropertiesDock(PlacementTools& tools, QWidget& window)
    : QDockWidget("Properties", &window), mTools(tools), mWindow(window) {
    setObjectName("PropertiesDock");
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    mSummary = new QLabel(body);
    mSummary->setObjectName("PropSummary");
    mPages = new QStackedWidget(body);
    mPages->addWidget(new QWidget(mPages));
    mPages->addWidget(makeObjectPage());
    mPages->addWidget(makeRingPage());
    mPages->addWidget(makeStartPage());
    mPages->addWidget(makeBoundsPage());
    column->addWidget(mSummary);
    column->addWidget(mPages);
    mCameraNote = new QLabel(body);
    mCameraNote->setObjectName("PropCameraNote");
    mCameraNote->setWordWrap(true);
    column->addWidget(mCameraNote);
    column->addStretch();
    setWidget(body);
    connectObjectFields();
    connectRingFields();
    connectMarkerFields();
}

QSpinBox* PlacementPropertiesDock::addNumber(QFormLayout* form, const char* name,
                                             const QString& label, int maximum, int base) {
    QSpinBox* box = base == 16 ? new HexByteBox(mWindow, form->parentWidget())
                               : new NumberBox(mWindow, form->parentWidget());
    box->setObjectName(name);
    box->setRange(0, maximum);
    form->addRow(label, box);
    return box;
}

WordBox* PlacementPropertiesDock::addWord(QFormLayout* form, const char* name, const QString& label,
                                          bool asSigned) {
    auto* box = new WordBox(asSigned, mWindow, form->parentWidget());
    box->setObjectName(name);
    box->setToolTip(
        "Decimal, or hexadecimal after $; a negative number is the word the game "
        "reads as it (-256 is $FF00)");
    form->addRow(label, box);
    return box;
}

QCheckBox* PlacementPropertiesDock::addFlag(QFormLayout* form, const char* name,
                                            const QString& label) {
    auto* box = new QCheckBox(label, form->parentWidget());
    box->setObjectName(name);
    form->addRow(QString(), box);
    return box;
}

QWidget* PlacementPropertiesDock::makeObjectPage() {
    auto* page = new QWidget(mPages);
    auto* form = new QFormLayout(page);
    mObjectX = addNumber(form, "PropX", "X", 0xFFFF, 10);
    mObjectY = addNumber(form, "PropY", "Y", 0x0FFF, 10);
    mId = addNumber(form, "PropId", "Id", 0xFF, 16);
    mIdName = new QLabel(page);
    form->addRow(QString(), mIdName);
    mSubtype = addNumber(form, "PropSubtype", "Subtype", 0xFF, 16);
    mSubtypeMeaning = new QLabel(page);
    mSubtypeMeaning->setObjectName("PropSubtypeMeaning");
    mSubtypeMeaning->setWordWrap(true);
    form->addRow(QString(), mSubtypeMeaning);
    mXFlip = addFlag(form, "PropXFlip", "X flip");
    mYFlip = addFlag(form, "PropYFlip", "Y flip");
    mRemember = addFlag(form, "PropRemember", "Remember state");
    mTwoPlayer = addFlag(form, "PropTwoPlayer", "Two-player flag");
    return page;
}

QWidget* PlacementPropertiesDock::makeRingPage() {
    auto* page = new QWidget(mPages);
    auto* form = new QFormLayout(page);
    mRingX = addNumber(form, "PropRingX", "X", 0xFFFF, 10);
    mRingY = addNumber(form, "PropRingY", "Y", 0x0FFF, 10);
    mCount = addNumber(form, "PropCount", "Rings", kMaxRingsInGroup, 10);
    mCount->setMinimum(1);
    mDirection = new QComboBox(page);
    mDirection->setObjectName("PropDirection");
    mDirection->addItems({"Row", "Column"});
    form->addRow("Direction", mDirection);
    return page;
}

QWidget* PlacementPropertiesDock::makeStartPage() {
    auto* page = new QWidget(mPages);
    auto* form = new QFormLayout(page);
    mStartX = addWord(form, "PropStartX", "X", false);
    mStartY = addWord(form, "PropStartY", "Y", false);
    return page;
}

// The minimums are shown signed, as the game compares them with the maximums.
QWidget* PlacementPropertiesDock::makeBoundsPage() {
    auto* page = new QWidget(mPages);
    auto* form = new QFormLayout(page);
    mXMin = addWord(form, "PropXMin", "X minimum", true);
    mXMax = addWord(form, "PropXMax", "X maximum", false);
    mYMin = addWord(form, "PropYMin", "Y minimum", true);
    mYMax = addWord(form, "PropYMax", "Y maximum", false);
    mBoundsProblem = new QLabel(page);
    mBoundsProblem->setObjectName("PropBoundsProblem");
    mBoundsProblem->setWordWrap(true);
    form->addRow(mBoundsProblem);
    return page;
}

void PlacementPropertiesDock::connectObjectFields() {
    using Edit = std::function<void(ObjectPlacement&, int)>;
    const auto number = [this](QSpinBox* box, const char* what, Edit edit) {
        connect(box, &QSpinBox::valueChanged, this, [this, what, edit](int value) {
            if (!mShowing) {
                mTools.editObjects([&](ObjectPlacement& o) { edit(o, value); }, what);
            }
        });
    };
    number(mObjectX, "Set object x", [](auto& o, int v) { o.x = static_cast<std::uint16_t>(v); });
    number(mObjectY, "Set object y", [](auto& o, int v) { o.y = static_cast<std::uint16_t>(v); });
    number(mId, "Set object id", [](auto& o, int v) { o.id = static_cast<std::uint8_t>(v); });
    number(mSubtype, "Set object subtype",
           [](auto& o, int v) { o.subtype = static_cast<std::uint8_t>(v); });
    using Flag = bool ObjectPlacement::*;
    const auto flag = [this](QCheckBox* box, const char* what, Flag field) {
        connect(box, &QCheckBox::toggled, this, [this, what, field](bool on) {
            if (!mShowing) {
                mTools.editObjects([&](ObjectPlacement& o) { o.*field = on; }, what);
            }
        });
    };
    flag(mXFlip, "Set X flip", &ObjectPlacement::xFlip);
    flag(mYFlip, "Set Y flip", &ObjectPlacement::yFlip);
    flag(mRemember, "Set remember state", &ObjectPlacement::rememberState);
    flag(mTwoPlayer, "Set two-player flag", &ObjectPlacement::twoPlayer);
}

void PlacementPropertiesDock::connectRingFields() {
    using Edit = std::function<void(RingGroup&, int)>;
    const auto number = [this](QSpinBox* box, const char* what, Edit edit) {
        connect(box, &QSpinBox::valueChanged, this, [this, what, edit](int value) {
            if (!mShowing) {
                mTools.editRings([&](RingGroup& g) { edit(g, value); }, what);
            }
        });
    };
    number(mRingX, "Set ring x", [](auto& g, int v) { g.x = static_cast<std::uint16_t>(v); });
    number(mRingY, "Set ring y", [](auto& g, int v) { g.y = static_cast<std::uint16_t>(v); });
    number(mCount, "Set ring count",
           [](auto& g, int v) { g.count = static_cast<std::uint8_t>(v); });
    connect(mDirection, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!mShowing) {
            mTools.editRings([index](RingGroup& g) { g.column = index == 1; },
                             "Set ring direction");
        }
    });
}

void PlacementPropertiesDock::connectMarkerFields() {
    using StartWord = std::uint16_t StartPosition::*;
    const auto start = [this](WordBox* box, const char* what, StartWord field) {
        connect(box, &QSpinBox::valueChanged, this, [this, box, what, field] {
            if (!mShowing) {
                mTools.editStart([&](StartPosition& s) { s.*field = box->word(); }, what);
            }
        });
    };
    start(mStartX, "Set the start x", &StartPosition::x);
    start(mStartY, "Set the start y", &StartPosition::y);
    using BoundsWord = std::uint16_t LevelBounds::*;
    const auto bound = [this](WordBox* box, const char* what, BoundsWord field) {
        connect(box, &QSpinBox::valueChanged, this, [this, box, what, field] {
            if (mShowing) {
                return;
            }
            const auto refused =
                mTools.editBounds([&](LevelBounds& b) { b.*field = box->word(); }, what);
            mBoundsProblem->setText(refused ? toQString(*refused) : QString());
            if (refused) {
                refresh(mDocument);  // the field shows what the level keeps
            }
        });
    };
    bound(mXMin, "Set the boundaries' x minimum", &LevelBounds::xMin);
    bound(mXMax, "Set the boundaries' x maximum", &LevelBounds::xMax);
    bound(mYMin, "Set the boundaries' y minimum", &LevelBounds::yMin);
    bound(mYMax, "Set the boundaries' y maximum", &LevelBounds::yMax);
}

void PlacementPropertiesDock::refresh(const LevelDocument* document) {
    const auto& selection = mTools.selection();
    const auto kind = mTools.kind();
    const LevelParts* parts = document != nullptr ? &document->parts() : nullptr;
    const auto marker = mTools.marker();
    mDocument = document;
    mShowing = true;
    if (parts != nullptr && kind && marker == PlacementTools::Marker::Start && parts->start) {
        mPages->setCurrentIndex(kStart);
        mSummary->setText("Start position");
        mStartX->showWord(parts->start->x);
        mStartY->showWord(parts->start->y);
    } else if (parts != nullptr && kind && marker == PlacementTools::Marker::Bounds &&
               parts->bounds) {
        mPages->setCurrentIndex(kBounds);
        mSummary->setText("Boundaries");
        showBounds(*parts->bounds);
    } else if (parts == nullptr || !kind || selection.empty()) {
        mPages->setCurrentIndex(kNothing);
        mSummary->setText(kind ? "Nothing selected" : QString());
    } else if (*kind == PlacementKind::Objects && parts->objects) {
        mPages->setCurrentIndex(kObject);
        showObject((*parts->objects)[static_cast<std::size_t>(selection.front())]);
        showMeaning(*parts, selection);
    } else if (*kind == PlacementKind::Rings && parts->rings) {
        mPages->setCurrentIndex(kRing);
        showRing((*parts->rings)[static_cast<std::size_t>(selection.front())]);
    }
    if (mPages->currentIndex() != kBounds) {
        mBoundsProblem->clear();
    }
    mCameraNote->clear();
    if (mPages->currentIndex() == kStart || mPages->currentIndex() == kBounds) {
        noteStartOutside(*parts);
    }
    if (!selection.empty() && kind) {
        const bool objects = *kind == PlacementKind::Objects;
        mSummary->setText(
            selection.size() == 1
                ? QString(objects ? "Object %1" : "Ring group %1").arg(selection.front() + 1)
                : QString(objects ? "%1 objects (the fields of the first)"
                                  : "%1 ring groups (the fields of the first)")
                      .arg(selection.size()));
    }
    mShowing = false;
}

void PlacementPropertiesDock::showObject(const ObjectPlacement& object) {
    mObjectX->setValue(object.x);
    mObjectY->setValue(object.y);
    mId->setValue(object.id);
    mIdName->setText(nameOf(object.id));
    mSubtype->setValue(object.subtype);
    mXFlip->setChecked(object.xFlip);
    mYFlip->setChecked(object.yFlip);
    mRemember->setChecked(object.rememberState);
    mTwoPlayer->setChecked(object.twoPlayer);
}

// What the subtype means, when every selected object has the same subtype and meaning.
void PlacementPropertiesDock::showMeaning(const LevelParts& parts,
                                          const std::vector<std::int32_t>& selection) {
    const ZoneAct act = mDocument != nullptr ? mDocument->zoneAct() : ZoneAct{};
    const auto& objects = *parts.objects;
    const ObjectPlacement& first = objects[static_cast<std::size_t>(selection.front())];
    const std::string meaning = subtypeMeaning(act, first);
    const bool shared = std::all_of(selection.begin(), selection.end(), [&](std::int32_t index) {
        const ObjectPlacement& object = objects[static_cast<std::size_t>(index)];
        return object.subtype == first.subtype && subtypeMeaning(act, object) == meaning;
    });
    mSubtypeMeaning->setText(shared ? toQString(meaning) : QString());
}

void PlacementPropertiesDock::showBounds(const LevelBounds& bounds) {
    mXMin->showWord(bounds.xMin);
    mXMax->showWord(bounds.xMax);
    mYMin->showWord(bounds.yMin);
    mYMax->showWord(bounds.yMax);
}

// What level-set warns of: a start the camera cannot show within the boundaries is kept, but
// the player would begin off the screen.
void PlacementPropertiesDock::noteStartOutside(const LevelParts& parts) {
    if (!parts.start || !parts.bounds) {
        return;
    }
    const CameraReach reach = cameraReach(*parts.bounds);
    if (!cameraShows(reach, *parts.start)) {
        mCameraNote->setText(QString("The camera cannot show the start (x %1, y %2) within the "
                                     "boundaries (x %3 to %4, y %5 to %6); the level keeps it "
                                     "all the same")
                                 .arg(static_cast<std::int16_t>(parts.start->x))
                                 .arg(static_cast<std::int16_t>(parts.start->y))
                                 .arg(reach.left)
                                 .arg(reach.right)
                                 .arg(reach.top)
                                 .arg(reach.bottom));
    }
}

void PlacementPropertiesDock::showRing(const RingGroup& group) {
    mRingX->setValue(group.x);
    mRingY->setValue(group.y);
    mCount->setValue(group.count);
    mDirection->setCurrentIndex(group.column ? 1 : 0);
}

}  // namespace orvex
