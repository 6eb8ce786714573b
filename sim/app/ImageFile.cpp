#include "sim/app/ImageFile.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace t8::sim {

std::string LoadImage(const std::string& path, Memory& memory) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "cannot open " + path;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
    if (!memory.Write(0, bytes)) {
        return path + " is larger than the memory (" + std::to_string(memory.Size()) + " bytes)";
    }
    return {};
}

std::string SaveImage(const std::string& path, const Memory& memory) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const auto bytes = memory.View(0, memory.Size());
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return file ? std::string() : "cannot write " + path;
}

} // namespace t8::sim
