#include "batch/LabelList.h"

#include "batch/BatchTokens.h"

#include <algorithm>

namespace t8 {

bool LabelList::Add(BatchLabel label) {
    if (Find(label.name)) {
        return false;
    }
    labels.push_back(std::move(label));
    return true;
}

std::optional<BatchLabel> LabelList::Find(const std::string& name) const {
    const auto found = std::find_if(labels.begin(), labels.end(), [&](const BatchLabel& label) {
        return SameWord(label.name, name);
    });
    return found == labels.end() ? std::nullopt : std::optional(*found);
}

} // namespace t8
