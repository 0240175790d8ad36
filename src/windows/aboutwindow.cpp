#include "windows/aboutwindow.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace orvex {

namespace {

constexpr int kTwipsPerPixel = 15;

int pixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect pixelRect(QRect twips) {
    return {pixels(twips.x()), pixels(twips.y()), pixels(twips.width()), pixels(twips.height())};
}

const QString kNames = QStringLiteral("Orvex developers");

}  // namespace

AboutWindow::AboutWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName("About");
    setWindowTitle("About Orvex ");
    setModal(true);
    setFixedSize(pixels(7050), pixels(2385));
    addLabel("Label4", QStringLiteral("Programação e interface por:"), {1680, 120, 1920, 255},
             false);
    addLabel("Label3", kNames, {2640, 600, 1935, 255}, true);
    addLabel("Label5", QStringLiteral("Rotinas para os Tiles por:"), {240, 1080, 2295, 255}, false);
    addLabel("Label6", kNames, {1320, 1560, 1455, 255}, true);
    addLabel("Label2", QStringLiteral("Compressão e ROM por:"), {4320, 1080, 2535, 255}, false);
    addLabel("Label1", kNames, {5520, 1560, 1335, 255}, true);

    auto* ok = new QPushButton("OK!", this);
    ok->setObjectName("Command1");
    ok->setGeometry(pixelRect({2618, 2040, 1815, 255}));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutWindow::addLabel(const char* name, const QString& text, QRect twips, bool bold) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setGeometry(pixelRect(twips));
    if (bold) {
        QFont font("MS Sans Serif");
        font.setPointSizeF(8.25);
        font.setBold(true);
        label->setFont(font);
    }
    fitText(label);
}

// The design sizes suit the design font; where this platform's font is wider, the label grows
// about its design centre, inside the window, so that no credit is cut off.
void AboutWindow::fitText(QLabel* label) const {
    const int needed = label->sizeHint().width();
    if (needed <= label->width()) {
        return;
    }
    const int width = std::min(needed, this->width());
    const int centre = label->geometry().center().x();
    const int left = std::clamp(centre - width / 2, 0, this->width() - width);
    label->setGeometry(left, label->y(), width, label->height());
}

}  // namespace orvex
