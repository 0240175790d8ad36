#include "widgets/piecesheet.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <algorithm>

namespace orvex {

namespace {

bool isClipboardKey(QKeyEvent* key) {
    return key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste);
}

}  // namespace

PieceSheet::PieceSheet(std::int32_t count, std::int32_t side, std::int32_t columns, QWidget* parent)
    : QWidget(parent), mCount(count), mSide(side), mColumns(columns) {
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
}

void PieceSheet::setPainter(Painter painter) {
    mPainter = std::move(painter);
    update();
}

void PieceSheet::setLabels(std::function<QString(std::int32_t index)> label) {
    mLabel = std::move(label);
    update();
}

void PieceSheet::setMarks(std::vector<QColor> marks) {
    mMarks = std::move(marks);
    update();
}

void PieceSheet::setScale(int scale) {
    mScale = scale;
    setFixedSize(sizeHint());
    update();
}

QSize PieceSheet::sizeHint() const {
    const int rows = (mCount + mColumns - 1) / mColumns;
    return {mColumns * mSide * mScale, rows * mSide * mScale};
}

QRect PieceSheet::pieceRect(std::int32_t index) const {
    const int size = mSide * mScale;
    return {(index % mColumns) * size, (index / mColumns) * size, size, size};
}

void PieceSheet::choose(std::int32_t index) {
    if (index < 0 || index >= mCount) {
        return;
    }
    const QRect before = pieceRect(mChosen);
    mChosen = index;
    update(before);
    update(pieceRect(index));
    showChosen();
    emit pieceChosen(index);
}

// The nearest scroll area holding the sheet brings the chosen piece into view.
void PieceSheet::showChosen() {
    for (QWidget* above = parentWidget(); above != nullptr; above = above->parentWidget()) {
        auto* scroll = qobject_cast<QScrollArea*>(above);
        if (scroll != nullptr && scroll->widget() != nullptr) {
            const QRect place = pieceRect(mChosen);
            const QPoint centre = mapTo(scroll->widget(), place.center());
            scroll->ensureVisible(centre.x(), centre.y(), place.width(), place.height());
            return;
        }
    }
}

// The arrow keys step to the neighbouring piece, a row up or down.
bool PieceSheet::stepKey(const QKeyEvent* event) {
    std::int32_t step = 0;
    switch (event->key()) {
        case Qt::Key_Left:
            step = -1;
            break;
        case Qt::Key_Right:
            step = 1;
            break;
        case Qt::Key_Up:
            step = -mColumns;
            break;
        case Qt::Key_Down:
            step = mColumns;
            break;
        default:
            return false;
    }
    const bool extend = mRangeSelection && (event->modifiers() & Qt::ShiftModifier);
    const std::int32_t anchor = mRangeStart.value_or(mChosen);
    choose(std::clamp(mChosen + step, 0, mCount - 1));
    if (extend) {
        mRangeStart = anchor;
        update();
        emit rangeChosen();
    } else if (mRangeStart) {
        mRangeStart.reset();
        update();
    }
    return true;
}

std::vector<std::int32_t> PieceSheet::selection() const {
    if (!mRangeStart) {
        return {mChosen};
    }
    const std::int32_t left = std::min(*mRangeStart % mColumns, mChosen % mColumns);
    const std::int32_t right = std::max(*mRangeStart % mColumns, mChosen % mColumns);
    const std::int32_t top = std::min(*mRangeStart / mColumns, mChosen / mColumns);
    const std::int32_t bottom = std::max(*mRangeStart / mColumns, mChosen / mColumns);
    std::vector<std::int32_t> chosen;
    for (std::int32_t row = top; row <= bottom; ++row) {
        for (std::int32_t column = left; column <= right; ++column) {
            if (row * mColumns + column < mCount) {
                chosen.push_back(row * mColumns + column);
            }
        }
    }
    return chosen;
}

bool PieceSheet::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        isClipboardKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void PieceSheet::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
    } else if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested();
    } else if ((event->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier && stepKey(event)) {
        event->accept();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit pieceActivated(mChosen);
    } else {
        QWidget::keyPressEvent(event);
    }
}

// Only the pieces in the exposed rectangle are drawn: the sheet can be many screens tall.
void PieceSheet::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const int size = mSide * mScale;
    const QRect exposed = event->rect();
    const int firstRow = exposed.top() / size;
    const int lastRow = exposed.bottom() / size;
    QImage picture(mSide, mSide, QImage::Format_ARGB32);
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < mColumns; ++column) {
            const std::int32_t index = row * mColumns + column;
            if (index >= mCount) {
                break;
            }
            picture.fill(Qt::black);
            if (mPainter) {
                mPainter(index, picture);
            }
            const QRect place = pieceRect(index);
            painter.drawImage(place, picture);
            const auto at = static_cast<std::size_t>(index);
            if (at < mMarks.size() && mMarks[at].alpha() != 0) {
                painter.fillRect(place, mMarks[at]);
            }
            if (mLabel) {
                drawLabel(painter, place, mLabel(index));
            }
        }
    }
    painter.setPen(QPen(Qt::yellow, 2));
    painter.drawRect(pieceRect(mChosen).adjusted(1, 1, -1, -1));
    if (mRangeStart) {
        const std::vector<std::int32_t> chosen = selection();
        const QRect range = pieceRect(chosen.front()).united(pieceRect(chosen.back()));
        painter.setPen(QPen(Qt::cyan, 2, Qt::DashLine));
        painter.drawRect(range.adjusted(1, 1, -1, -1));
    }
}

void PieceSheet::drawLabel(QPainter& painter, const QRect& place, const QString& text) const {
    if (text.isEmpty()) {
        return;
    }
    QFont font = painter.font();
    font.setPixelSize(std::max(7, place.height() / 4));
    painter.setFont(font);
    const QRect box = painter.fontMetrics().boundingRect(text).adjusted(-1, 0, 1, 0);
    const QRect corner(place.left(), place.bottom() - box.height() + 1, box.width(), box.height());
    painter.fillRect(corner, QColor(0, 0, 0, 160));
    painter.setPen(QColor(255, 220, 120));
    painter.drawText(corner, Qt::AlignCenter, text);
}

// The piece under `at`, or -1.
std::int32_t PieceSheet::pieceAt(QPoint at) const {
    const int size = mSide * mScale;
    if (at.x() < 0 || at.x() >= mColumns * size || at.y() < 0) {
        return -1;
    }
    const std::int32_t index = (at.y() / size) * mColumns + at.x() / size;
    return index < mCount ? index : -1;
}

void PieceSheet::mousePressEvent(QMouseEvent* event) {
    const std::int32_t index = pieceAt(event->position().toPoint());
    if (index < 0) {
        return;
    }
    if (mRangeSelection && event->button() == Qt::LeftButton &&
        (event->modifiers() & Qt::ShiftModifier)) {
        const std::int32_t anchor = mRangeStart.value_or(mChosen);
        choose(index);
        mRangeStart = anchor;
        update();
        emit rangeChosen();
        return;
    }
    if (mRangeStart) {
        mRangeStart.reset();
        update();
    }
    choose(index);
    if (event->button() == Qt::LeftButton) {
        mDragging = true;
        emit piecePressed(index);
    }
}

void PieceSheet::mouseMoveEvent(QMouseEvent* event) {
    const std::int32_t index = pieceAt(event->position().toPoint());
    if (mDragging && index >= 0 && index != mChosen) {
        choose(index);
        emit pieceDragged(index);
    }
}

void PieceSheet::mouseReleaseEvent(QMouseEvent* /*event*/) {
    if (mDragging) {
        mDragging = false;
        emit dragFinished();
    }
}

}  // namespace orvex
