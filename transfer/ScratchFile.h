#pragma once

#include <string>

namespace t8 {

// A scratch file in a private folder of its own under the temporary directory, so one
// program's stream never clobbers another's. Both go when the object goes.
class ScratchFile {
public:
    static constexpr const char* kFileName = "temp.dat";

    ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();

    [[nodiscard]] bool Ok() const { return !path.empty(); }
    // The file (created empty); empty when the folder could not be made.
    [[nodiscard]] const std::string& Path() const { return path; }
    [[nodiscard]] const std::string& Error() const { return error; }

private:
    std::string folder;
    std::string path;
    std::string error;
};

} // namespace t8
