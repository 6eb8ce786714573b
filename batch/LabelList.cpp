#include "batch/LabelList.h"

#include <algorithm>
#include <cctype>

namespace t8 {

bool SameLabelName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool LabelList::Add(BatchLabel label) {
    if (Find(label.name)) {
        return false;
    }
    labels.push_back(std::move(label));
    return true;
}

std::optional<BatchLabel> LabelList::Find(const std::string& name) const {
    const auto found = std::find_if(labels.begin(), labels.end(), [&](const BatchLabel& label) {
        return SameLabelName(label.name, name);
    });
    return found == labels.end() ? std::nullopt : std::optional(*found);
}

} // namespace t8
