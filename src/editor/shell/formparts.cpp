#include "editor/shell/formparts.h"

#include <QLabel>
#include <QRegularExpressionValidator>

#include "widgets/linewidget.h"

namespace orvex {

namespace {

QFont boldSansSerif() {
    QFont font("MS Sans Serif");
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

}  // namespace

QComboBox* createLevelSelector(QWidget& form, int entries) {
    auto* combo = new QComboBox(&form);
    combo->setObjectName("Combo1");
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Digits only; a number that names no entry is put right when it is entered.
    // Taken by a click only: at the start and after a level is chosen the keys are the tools'.
    combo->setFocusPolicy(Qt::ClickFocus);
    combo->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,2}"), combo));
    for (int entry = 1; entry <= entries; ++entry) {
        combo->addItem(QString::number(entry));
    }
    combo->setCurrentIndex(-1);
    combo->setEditText("1");
    combo->setGeometry(40, 0, 46, 21);
    combo->setFont(boldSansSerif());
    QPalette face = combo->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    combo->setPalette(face);
    return combo;
}

void createCaptionLine(QWidget& form) {
    auto* line = new LineWidget(&form, {0, 0}, {80, 0}, QColor(128, 128, 128));
    line->setObjectName("Line1");
    auto* label = new QLabel("Level:", &form);
    label->setObjectName("Label1");
    label->setGeometry(0, 4, 41, 17);
    label->setFont(boldSansSerif());
    QPalette navy = label->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(navy);
    // Lines and labels are drawn on the form itself, below every other control.
    label->lower();
    line->lower();
}

}  // namespace orvex
