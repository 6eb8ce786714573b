// Examination throughput on generated files: ~20 MB Intel HEX (8 MiB of data), Motorola and
// binary files, a 10,000-record descending file and a 4 GiB-span file. Reports MB/s of file
// and the process's peak memory.

#include "examine/ExamineTool.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

fs::path BenchDir() {
    static const fs::path dir = [] {
        char pattern[] = "/tmp/t8bench.XXXXXX";
        return fs::path(::mkdtemp(pattern));
    }();
    return dir;
}

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// count bytes per record from address, ascending or descending; Intel or Motorola S2/S3-free.
std::string Records(bool motorola, std::uint32_t first, std::uint32_t bytes, bool descending) {
    std::string out;
    std::mt19937 random(1);
    constexpr std::uint32_t kPerRecord = 32;
    std::uint32_t upper = 0xFFFFFFFFU;
    const std::uint32_t records = bytes / kPerRecord;
    for (std::uint32_t r = 0; r < records; ++r) {
        const std::uint32_t index = descending ? records - 1 - r : r;
        const std::uint32_t address = first + index * kPerRecord;
        std::string data;
        std::uint32_t sum = 0;
        for (std::uint32_t i = 0; i < kPerRecord; ++i) {
            const auto b = static_cast<std::uint32_t>(random() & 0xFF);
            sum += b;
            data += Hex(b, 2);
        }
        if (motorola) {
            const std::uint32_t count = kPerRecord + 4;
            sum += count + (address & 0xFF) + ((address >> 8) & 0xFF) + ((address >> 16) & 0xFF);
            out += "S2" + Hex(count, 2) + Hex(address & 0xFFFFFF, 6) + data + Hex(~sum & 0xFF, 2) +
                   "\n";
            continue;
        }
        if (address >> 16 != upper) {
            upper = address >> 16;
            const std::uint32_t s = 2 + 4 + (upper >> 8) + (upper & 0xFF);
            out += ":02000004" + Hex(upper, 4) + Hex((0x100 - s) & 0xFF, 2) + "\r\n";
        }
        sum += kPerRecord + (address & 0xFF) + ((address >> 8) & 0xFF);
        out += ":" + Hex(kPerRecord, 2) + Hex(address & 0xFFFF, 4) + "00" + data +
               Hex((0x100 - (sum & 0xFF)) & 0xFF, 2) + "\r\n";
    }
    return out;
}

fs::path Make(const std::string& name, const std::string& content) {
    const fs::path path = BenchDir() / name;
    if (!fs::exists(path)) {
        std::ofstream(path, std::ios::binary) << content;
    }
    return path;
}

fs::path MakeFile(int kind) {
    constexpr std::uint32_t kData = 8U << 20;
    switch (kind) {
    case 0:
        return Make("intel.hex", Records(false, 0, kData, false));
    case 1:
        return Make("motorola.s28", Records(true, 0, kData, false));
    case 2:
        return Make("binary.bin", std::string(20U << 20, '\x5A'));
    case 3:
        return Make("descending.hex", Records(false, 0, 10000 * 32, true));
    default:
        return Make("span4g.hex",
                    Records(false, 0, 4096, false) + Records(false, 0xFFFF0000U, 4096, false));
    }
}

void BM_Examine(benchmark::State& state) {
    const fs::path path = MakeFile(static_cast<int>(state.range(0)));
    const auto size = static_cast<double>(fs::file_size(path));
    for (auto _ : state) {
        t8::ExamineTool tool(path.string());
        tool.Init();
        while (!tool.Finished()) {
            tool.Tick();
        }
        benchmark::DoNotOptimize(tool.Image().ImageSum());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size) * state.iterations());
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["file_MB"] = size / 1e6;
}

BENCHMARK(BM_Examine)->ArgName("file")->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
