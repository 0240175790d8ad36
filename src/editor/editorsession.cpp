#include "editor/editorsession.h"

namespace orvex {

EditorSession::EditorSession() : mLevel(std::make_unique<LevelData>()) {}

bool EditorSession::hasUnsavedEdits() const {
    return mLevel->loadedLevel.has_value() && mLevel->unpackedData != mSavedLayout;
}

Result<RomCheck> EditorSession::openRom(const std::filesystem::path& path, Host& host) {
    RomImage candidate(path);
    auto check = checkROM(candidate, host);
    if (!check) {
        return check.error();
    }
    mRom = std::move(candidate);
    mIdentity = check->identity;
    dropLevel();
    return check;
}

Result<LoadReport> EditorSession::loadLevel(std::int16_t level, Host& host,
                                            const BlockDrawn& drawn) {
    if (!mIdentity) {
        return makeError(ErrorCode::NotLoaded, "No ROM is open");
    }
    auto report = orvex::loadLevel(mRom, mIdentity->profile, level, *mLevel, host, drawn);
    if (report) {
        mShownLevel = level;
        mSavedLayout = mLevel->unpackedData;
    }
    return report;
}

Result<SaveReport> EditorSession::saveLevel(std::int16_t level, Host& host) {
    if (!mIdentity) {
        return makeError(ErrorCode::NotLoaded, "No ROM is open");
    }
    auto report = orvex::saveLevel(mRom, mIdentity->profile, level, *mLevel, host);
    if (report) {
        mSavedLayout = mLevel->unpackedData;
    }
    return report;
}

std::optional<std::uint8_t> EditorSession::blockAt(std::int32_t row, std::int32_t column) const {
    const auto position = layoutPosition(row, column);
    if (!position) {
        return std::nullopt;
    }
    return mLevel->unpackedData[*position];
}

bool EditorSession::placeBlock(std::int32_t row, std::int32_t column, std::uint8_t block) {
    const auto position = layoutPosition(row, column);
    if (!position) {
        return false;
    }
    storeBlock(*position, block);
    return true;
}

void EditorSession::storeBlock(std::size_t position, std::uint8_t block) {
    if (position < mLevel->unpackedData.size()) {
        mLevel->unpackedData[position] = block;
    }
}

std::optional<std::size_t> EditorSession::layoutPosition(std::int32_t row,
                                                         std::int32_t column) const {
    const std::int64_t index = std::int64_t{256} * row + column;
    if (index < 0 || index >= static_cast<std::int64_t>(mLevel->unpackedData.size())) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(index);
}

void EditorSession::dropLevel() {
    mLevel->unpackedData.clear();
    mLevel->loadedLevel.reset();
    mShownLevel.reset();
    mSavedLayout.clear();
}

}  // namespace orvex
