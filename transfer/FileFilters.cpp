#include "transfer/FileFilters.h"

#include <cctype>
#include <vector>

namespace t8 {

namespace {

std::vector<std::string> SplitAt(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::string Cased(const std::string& pattern, int (*convert)(int)) {
    std::string out = pattern;
    for (char& c : out) {
        c = static_cast<char>(convert(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

std::string DialogPatterns(std::string_view patterns) {
    std::string out;
    auto add = [&out](const std::string& pattern) {
        if (out.find(pattern) == std::string::npos) {
            out += (out.empty() ? "" : " ") + pattern;
        }
    };
    for (const std::string& pattern : SplitAt(patterns, ';')) {
        if (pattern == "*.*" || pattern == "*") {
            add("*");
            continue;
        }
        add(pattern);
        add(Cased(pattern, std::tolower));
        add(Cased(pattern, std::toupper));
    }
    return out;
}

std::string DialogFilter(std::string_view barSeparated) {
    const std::vector<std::string> parts = SplitAt(barSeparated, '|');
    std::string filter;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) {
            break; // the closing "||"
        }
        std::string name = parts[i];
        if (const auto open = name.rfind(" ("); open != std::string::npos && name.back() == ')') {
            name.erase(open); // the dialog shows the patterns it matches instead
        }
        filter += (filter.empty() ? "" : ";;") + name + " (" + DialogPatterns(parts[i + 1]) + ")";
    }
    return filter;
}

} // namespace t8
