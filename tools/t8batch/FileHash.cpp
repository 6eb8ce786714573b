#include "tools/t8batch/FileHash.h"

#include "formats/RegularFile.h"

#include <QCryptographicHash>

#include <array>
#include <cerrno>
#include <unistd.h>

namespace t8 {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

std::string Hex(const QByteArray& digest) {
    return digest.toHex().toStdString();
}

} // namespace

std::string Sha256(std::span<const std::uint8_t> bytes) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return Hex(hash.result());
}

std::string Sha256OfFile(const std::string& path) {
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::array<char, kChunkBytes> chunk{};
    ssize_t got = 0;
    while ((got = ::read(file.fd, chunk.data(), chunk.size())) != 0) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(file.fd);
            return {};
        }
        hash.addData(QByteArrayView(chunk.data(), got));
    }
    ::close(file.fd);
    return Hex(hash.result());
}

} // namespace t8
