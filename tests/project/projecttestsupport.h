#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Small file helpers of the project tests.

namespace orvex::testing {

// A fresh temporary folder, removed with everything in it (read-only parts too) when the object
// goes.
class TempFolder {
public:
    TempFolder() {
        std::string folder =
            (std::filesystem::temp_directory_path() / "orvex-project-XXXXXX").string();
        if (::mkdtemp(folder.data()) != nullptr) {
            mPath = folder;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        const auto writable = [&ignored](const std::filesystem::path& path) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        };
        writable(mPath);
        for (auto it = std::filesystem::recursive_directory_iterator(mPath, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            writable(it->path());
        }
        std::filesystem::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return mPath; }

private:
    std::filesystem::path mPath;
};

inline std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string fileText(const std::filesystem::path& path) {
    const auto bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline void putFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline void putFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    putFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace orvex::testing
