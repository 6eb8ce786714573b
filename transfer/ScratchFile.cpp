#include "transfer/ScratchFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace t8 {
namespace {

std::string TemporaryRoot() {
    const char* root = std::getenv("TMPDIR");
    return root != nullptr && root[0] != '\0' ? root : "/tmp";
}

} // namespace

ScratchFile::ScratchFile() {
    const std::string pattern = TemporaryRoot() + "/t8hostlink-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        error =
            "Cannot create a temporary folder in " + TemporaryRoot() + ": " + std::strerror(errno);
        return;
    }
    folder = name.data();
    const std::string file = folder + "/" + kFileName;
    std::FILE* created = std::fopen(file.c_str(), "wb");
    if (created == nullptr) {
        error = "Cannot create " + file + ": " + std::strerror(errno);
        return;
    }
    std::fclose(created);
    path = file;
}

ScratchFile::~ScratchFile() {
    if (!path.empty()) {
        ::unlink(path.c_str());
    }
    if (!folder.empty()) {
        ::rmdir(folder.c_str());
    }
}

} // namespace t8
