#pragma once

#include <QDialog>
#include <QLabel>

namespace orvex {

// About: the credits box, shown modally by the main window. "OK!" (Command1) closes it.
// Its design is in twips, 15 to a pixel.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* owner);

private:
    void addLabel(const char* name, const QString& text, QRect twips, bool bold);
    void fitText(QLabel* label) const;
};

}  // namespace orvex
