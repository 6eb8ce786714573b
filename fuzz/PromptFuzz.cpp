// libFuzzer target for what a transfer reads from the device's answer: the prompt text
// collected while an address prompt is armed (typed and echoed characters, backspaces), its
// parse into format and range, and the receive that stores the data after it. The receive must
// store the same bytes however the data are cut into blocks.

#include "transfer/AddressPrompt.h"
#include "transfer/PromptParser.h"
#include "transfer/ReceiveStream.h"
#include "transfer/UploadProgress.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t kBackspace = 0x08;
constexpr std::size_t kBatchBlanks = 45; // a batch receive arms the prompt over blanks
constexpr std::size_t kMaxPiece = 4096;
constexpr t8::TransferFormat kFormats[] = {
    t8::TransferFormat::FormatUndetermined, t8::TransferFormat::FormatBinary,
    t8::TransferFormat::FormatIntel,        t8::TransferFormat::FormatMotorola,
    t8::TransferFormat::FormatAscii,        t8::TransferFormat::FormatTek,
};

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

t8::AddressPrompt Collect(const std::string& shown, bool batch) {
    t8::AddressPrompt prompt;
    prompt.Arm(batch ? std::string(kBatchBlanks, ' ') : std::string());
    for (const char c : shown) {
        if (static_cast<std::uint8_t>(c) == kBackspace) {
            prompt.Backspace();
        } else {
            prompt.Character(static_cast<std::uint8_t>(c));
        }
        Require(prompt.EditPos() <= prompt.Text().size() &&
                prompt.Text().size() <= t8::AddressPrompt::kMaxText);
    }
    return prompt;
}

std::vector<std::uint8_t> Receive(const t8::ReceiveStream::Range& range,
                                  const std::vector<std::uint8_t>& data, std::size_t piece) {
    t8::ReceiveStream stream;
    t8::UploadProgress progress;
    stream.Arm();
    stream.SetRange(range);
    for (std::size_t start = 0; start < data.size(); start += piece) {
        (void)stream.Feed(data.data() + start, std::min(piece, data.size() - start), &progress);
    }
    return stream.Data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool batch = input.ConsumeBool();
    const t8::TransferFormat armed = input.PickValueInArray(kFormats);
    const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, kMaxPiece);
    const std::string shown = input.ConsumeRandomLengthString();
    const std::vector<std::uint8_t> received = input.ConsumeRemainingBytes<std::uint8_t>();

    const t8::AddressPrompt prompt = Collect(shown, batch);
    const t8::PromptReading reading = t8::ParsePromptText(prompt.Text(), armed);
    Require(reading.rangeStart >= 0 && reading.rangeEnd >= 1);
    Require(std::find(std::begin(kFormats), std::end(kFormats), reading.format) !=
            std::end(kFormats));

    const t8::ReceiveStream::Range range{reading.format, reading.rangeStart, reading.rangeEnd};
    const std::vector<std::uint8_t> whole = Receive(range, received, received.size() + 1);
    Require(whole.size() <= received.size());
    Require(Receive(range, received, piece) == whole);
    Require(Receive(range, received, 1) == whole);
    return 0;
}
