#include "sim/records/BinaryCodec.h"

#include <algorithm>

namespace t8::sim {

std::vector<std::string> BinaryCodec::Write(std::span<const std::uint8_t> data,
                                            std::uint32_t /*start*/,
                                            std::size_t bytesPerRecord) const {
    std::vector<std::string> blocks;
    for (std::size_t done = 0; done < data.size(); done += bytesPerRecord) {
        const std::size_t count = std::min(bytesPerRecord, data.size() - done);
        blocks.emplace_back(reinterpret_cast<const char*>(data.data() + done), count);
    }
    return blocks;
}

void BinaryCodec::Corrupt(std::string& record) const {
    if (!record.empty()) {
        record[0] = static_cast<char>(record[0] ^ 0x01);
    }
}

void BinaryCodec::Reset(std::uint32_t loadAddress) {
    address = loadAddress;
    bytesRead = 0;
}

ParseStep BinaryCodec::Feed(std::uint8_t byte_) {
    byte = byte_;
    ++bytesRead;
    return {ParseStep::Kind::Data, address++, {&byte, 1}, {}};
}

} // namespace t8::sim
