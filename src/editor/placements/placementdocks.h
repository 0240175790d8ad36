#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QStackedWidget>
#include <cstdint>

#include "document/leveldocument.h"
#include "editor/placements/placementtools.h"
#include "graphics/sprites.h"
#include "widgets/numberbox.h"

namespace orvex {

// ObjectListDock: first the presets, the entries of the zone's debug list (an id and a subtype,
// with the entry's picture and what the subtype means), then every object id the game has code
// for, with its name; typing in the filter keeps the rows whose text or hexadecimal number
// contains it. The chosen row's id and subtype are what Insert adds; a double click adds them
// at once.
class ObjectTypeDock : public QDockWidget {
    Q_OBJECT

public:
    explicit ObjectTypeDock(QWidget* parent);

    [[nodiscard]] std::uint8_t chosenId() const;
    // The chosen preset's subtype; 0 for a plain id.
    [[nodiscard]] std::uint8_t chosenSubtype() const;
    // Shows each type as `sprites` draw it in the level's colours, and the presets of their
    // debug list, as they mean in `act` (null: no pictures and no presets).
    void showPictures(const LevelSprites* sprites, const ColourTable& colours, ZoneAct act);
    [[nodiscard]] QLineEdit& filter() const { return *mFilter; }
    [[nodiscard]] QListWidget& list() const { return *mList; }

signals:
    void activated(std::uint8_t id, std::uint8_t subtype);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyFilter(const QString& text);
    void showPresets(const LevelSprites* sprites, const ColourTable& colours, ZoneAct act);
    [[nodiscard]] const QListWidgetItem* chosenItem() const;
    // The plain row of object `id`; null for an id the list does not have.
    [[nodiscard]] QListWidgetItem* typeRow(int id) const;

    QLineEdit* mFilter = nullptr;
    QListWidget* mList = nullptr;
};

// PropertiesDock: the fields of the selected objects or ring groups, or of the start position
// or the boundaries when their marker is chosen. It shows the first one selected; a change of
// one field goes to every one selected, as one undo step. Under the subtype it says what the
// subtype means in the level's zone and act, when every object selected has that subtype and
// meaning. The number fields give the window's
// Undo and Redo keys back to it once their value is applied (NumberBox).
class PlacementPropertiesDock : public QDockWidget {
    Q_OBJECT

public:
    // The dock goes into `window`, whose Undo and Redo actions the fields let through.
    PlacementPropertiesDock(PlacementTools& tools, QWidget& window);

    // Shows the selection of `document` as it is now (null: nothing).
    void refresh(const LevelDocument* document);

private:
    QWidget* makeObjectPage();
    QWidget* makeRingPage();
    QWidget* makeStartPage();
    QWidget* makeBoundsPage();
    QSpinBox* addNumber(QFormLayout* form, const char* name, const QString& label, int maximum,
                        int base);
    WordBox* addWord(QFormLayout* form, const char* name, const QString& label, bool asSigned);
    QCheckBox* addFlag(QFormLayout* form, const char* name, const QString& label);
    void connectObjectFields();
    void connectRingFields();
    void connectMarkerFields();
    void showObject(const ObjectPlacement& object);
    void showMeaning(const LevelParts& parts, const std::vector<std::int32_t>& selection);
    void showRing(const RingGroup& group);
    void showBounds(const LevelBounds& bounds);
    void noteStartOutside(const LevelParts& parts);

    PlacementTools& mTools;
    QWidget& mWindow;
    const LevelDocument* mDocument = nullptr;
    QStackedWidget* mPages = nullptr;
    QLabel* mSummary = nullptr;
    QSpinBox* mObjectX = nullptr;
    QSpinBox* mObjectY = nullptr;
    QSpinBox* mId = nullptr;
    QLabel* mIdName = nullptr;
    QSpinBox* mSubtype = nullptr;
    QLabel* mSubtypeMeaning = nullptr;
    QCheckBox* mXFlip = nullptr;
    QCheckBox* mYFlip = nullptr;
    QCheckBox* mRemember = nullptr;
    QCheckBox* mTwoPlayer = nullptr;
    QSpinBox* mRingX = nullptr;
    QSpinBox* mRingY = nullptr;
    QSpinBox* mCount = nullptr;
    QComboBox* mDirection = nullptr;
    WordBox* mStartX = nullptr;
    WordBox* mStartY = nullptr;
    WordBox* mXMin = nullptr;
    WordBox* mXMax = nullptr;
    WordBox* mYMin = nullptr;
    WordBox* mYMax = nullptr;
    QLabel* mBoundsProblem = nullptr;  // why the last change was refused
    QLabel* mCameraNote = nullptr;     // a start the camera cannot show
    bool mShowing = false;             // fields are being filled, not edited
};

}  // namespace orvex
