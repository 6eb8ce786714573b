#include "batch/LabelList.h"

#include <algorithm>
#include <cctype>

namespace t8 {

namespace {

// The key SameWord compares by.
std::string Key(const std::string& name) {
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

} // namespace

bool LabelList::Add(BatchLabel label) {
    std::string key = Key(label.name);
    return labels.try_emplace(std::move(key), std::move(label)).second;
}

std::optional<BatchLabel> LabelList::Find(const std::string& name) const {
    const auto found = labels.find(Key(name));
    return found == labels.end() ? std::nullopt : std::optional(found->second);
}

} // namespace t8
