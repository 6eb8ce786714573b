#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace t8 {

// A LABEL line met during a run: where the line after it starts.
struct BatchLabel {
    static constexpr std::size_t kMaxNameChars = 31;

    std::uint64_t position = 0; // file position just after the LABEL line
    std::size_t lineNumber = 0; // number of the LABEL line itself
    std::string name;
};

// The labels met so far. Names compare as batch words do (SameWord); the first definition of a
// name stays. Found by a hash of the name, so a file of many labels runs and checks in linear
// time.
class LabelList {
public:
    // False when a label of that name exists already (the list is unchanged then).
    bool Add(BatchLabel label);
    [[nodiscard]] std::optional<BatchLabel> Find(const std::string& name) const;
    [[nodiscard]] std::size_t Size() const { return labels.size(); }

private:
    std::unordered_map<std::string, BatchLabel> labels; // by the name in lower case
};

} // namespace t8
