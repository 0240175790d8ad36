#pragma once

#include <QUndoCommand>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace orvex {

// One block placement on the map, as the undo stack keeps it: the layout position with the
// block it held before and the block placed there. Redo and undo hand the position and the
// block to `store`, which writes the layout byte and shows the change.
class PlaceBlockCommand : public QUndoCommand {
public:
    using Store = std::function<void(std::size_t position, std::uint8_t block)>;

    PlaceBlockCommand(Store store, std::size_t position, std::uint8_t before, std::uint8_t after);

    void redo() override;
    void undo() override;

    [[nodiscard]] std::size_t position() const { return mPosition; }

private:
    Store mStore;
    std::size_t mPosition;
    std::uint8_t mBefore;
    std::uint8_t mAfter;
};

}  // namespace orvex
