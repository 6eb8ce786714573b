#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace t8::test {

// A private folder under the system's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "t8test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            root = pattern;
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    [[nodiscard]] bool Ok() const { return !root.empty(); }
    [[nodiscard]] std::string Root() const { return root.string(); }
    [[nodiscard]] std::string Path(const std::string& relative) const {
        return (root / relative).string();
    }
    // Makes (or replaces) the link `relative` pointing to `target`, making its folders.
    void Link(const std::string& relative, const std::string& target) const {
        std::error_code ignored;
        std::filesystem::create_directories((root / relative).parent_path(), ignored);
        std::filesystem::remove(root / relative, ignored);
        std::filesystem::create_symlink(target, root / relative, ignored);
    }
    void Remove(const std::string& relative) const {
        std::error_code ignored;
        std::filesystem::remove_all(root / relative, ignored);
    }

private:
    std::filesystem::path root;
};

// A file's bytes as they are; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace t8::test
