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
#include "editor/placements/numberbox.h"
#include "editor/placements/placementtools.h"
#include "graphics/sprites.h"

namespace orvex {

// ObjectListDock: every object id the game has code for, with its name; typing in the filter
// keeps the ids whose name or hexadecimal number contains the text. The chosen id is what
// Insert adds; a double click adds it at once.
class ObjectTypeDock : public QDockWidget {
    Q_OBJECT

public:
    explicit ObjectTypeDock(QWidget* parent);

    [[nodiscard]] std::uint8_t chosenId() const;
    // Shows each type as `sprites` draw it in the level's colours (null: no pictures).
    void showPictures(const LevelSprites* sprites, const ColourTable& colours);
    [[nodiscard]] QLineEdit& filter() const { return *mFilter; }
    [[nodiscard]] QListWidget& list() const { return *mList; }

signals:
    void activated(std::uint8_t id);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyFilter(const QString& text);

    QLineEdit* mFilter = nullptr;
    QListWidget* mList = nullptr;
};

// PropertiesDock: the fields of the selected objects or ring groups, or of the start position
// or the boundaries when their marker is chosen. It shows the first one selected; a change of
// one field goes to every one selected, as one undo step. The number fields give the window's
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
