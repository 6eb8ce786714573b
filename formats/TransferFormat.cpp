#include "formats/TransferFormat.h"

#include "formats/FormatInfo.h"

namespace t8 {

std::string_view FormatKeyword(TransferFormat format) {
    const FormatInfo* info = FindFormat(format);
    return info != nullptr ? info->keyword : std::string_view();
}

TransferFormat MatchFormatKeywords(std::string_view text) {
    const FormatInfo* best = nullptr;
    for (const FormatInfo& row : Formats()) {
        if (text.find(row.keyword) != std::string_view::npos &&
            (best == nullptr || row.keywordRank > best->keywordRank)) {
            best = &row;
        }
    }
    return best != nullptr ? best->format : TransferFormat::FormatUndetermined;
}

} // namespace t8
