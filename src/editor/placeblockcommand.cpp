#include "editor/placeblockcommand.h"

#include <QString>

#include "graphics/levelimage.h"

namespace orvex {

PlaceBlockCommand::PlaceBlockCommand(Store store, std::size_t position, std::uint8_t before,
                                     std::uint8_t after)
    : mStore(std::move(store)), mPosition(position), mBefore(before), mAfter(after) {
    constexpr auto kRow = static_cast<std::size_t>(kLayoutRowBytes);
    setText(QString("Place block 0x%1 at row %2, column %3")
                .arg(uint{after}, 2, 16, QChar('0'))
                .arg(position / kRow)
                .arg(position % kRow));
}

void PlaceBlockCommand::redo() {
    mStore(mPosition, mAfter);
}

void PlaceBlockCommand::undo() {
    mStore(mPosition, mBefore);
}

}  // namespace orvex
