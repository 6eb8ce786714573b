#include "tools/t8batch/serial/SerialFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

namespace t8 {

namespace {

constexpr unsigned kMaxBinaryBytes = 8; // little and big hold a 64-bit number
constexpr unsigned kMaxDigitBytes = 20; // the digits of the largest 64-bit number
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;
constexpr std::array<std::pair<std::string_view, SerialEncoding>, 4> kEncodings{
    {{"little", SerialEncoding::Little},
     {"big", SerialEncoding::Big},
     {"bcd", SerialEncoding::Bcd},
     {"ascii", SerialEncoding::Ascii}}};
constexpr std::array<std::string_view, 7> kKeys{"next",     "step",     "address", "bytes",
                                                "encoding", "returned", "reserved"};

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A line's key and value, without its comment; nullopt when it has neither '=' nor content.
struct KeyLine {
    std::string_view key;
    std::string_view value;
    std::size_t valueStart = 0; // in the line
    std::size_t valueEnd = 0;
};

// A line as the operator's message shows it: short, and only if it is text.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 60;
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
    });
    if (!printable) {
        return "the line (bytes that are not text)";
    }
    return "\"" + std::string(text.substr(0, kShown)) + (text.size() > kShown ? "...\"" : "\"");
}

std::optional<KeyLine> Split(std::string_view line, std::string& problem) {
    if (line.ends_with('\r')) {
        line.remove_suffix(1); // a line end of CR LF stays as it was
    }
    const std::string_view content = line.substr(0, line.find('#'));
    if (Trim(content).empty()) {
        return std::nullopt;
    }
    const auto equals = content.find('=');
    if (equals == std::string_view::npos) {
        problem = Quoted(Trim(content)) + " is not key = value";
        return std::nullopt;
    }
    KeyLine entry{Trim(content.substr(0, equals)), Trim(content.substr(equals + 1))};
    entry.valueStart = equals + 1;
    entry.valueEnd = content.size();
    return entry;
}

std::optional<std::uint64_t> WholeNumber(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string NumberProblem(std::string_view key, std::string_view value) {
    if (value.starts_with('-')) {
        return key == "returned" || key == "reserved"
                   ? "a number is negative: " + std::string(value)
                   : std::string(key) + " is negative";
    }
    return std::string(key) + " = " + std::string(value) +
           " is not a whole number (decimal, or hexadecimal after 0x) below 2^64";
}

std::string ParseList(std::string_view key, std::string_view value,
                      std::vector<std::uint64_t>& out) {
    while (!Trim(value).empty()) {
        const auto comma = value.find(',');
        const std::string_view item = Trim(value.substr(0, comma));
        if (item.empty()) {
            return std::string(key) + " has an empty entry between its commas";
        }
        const auto number = WholeNumber(item);
        if (!number) {
            return NumberProblem(key, item);
        }
        out.push_back(*number);
        value = comma == std::string_view::npos ? std::string_view{} : value.substr(comma + 1);
    }
    return {};
}

std::string Apply(SerialSettings& s, std::string_view key, std::string_view value) {
    if (key == "returned" || key == "reserved") {
        return ParseList(key, value, key == "returned" ? s.returned : s.reserved);
    }
    if (key == "encoding") {
        const auto found = std::find_if(kEncodings.begin(), kEncodings.end(),
                                        [&](const auto& entry) { return entry.first == value; });
        if (found == kEncodings.end()) {
            return "encoding takes little, big, bcd or ascii, not \"" + std::string(value) + "\"";
        }
        s.encoding = found->second;
        return {};
    }
    const auto number = WholeNumber(value);
    if (!number) {
        return NumberProblem(key, value);
    }
    if (key == "next") {
        s.next = *number;
    } else if (key == "step") {
        s.step = *number;
        return *number == 0 ? "step must be at least 1" : "";
    } else if (key == "address") {
        s.address = static_cast<std::uint32_t>(*number);
        return *number >= kAddressSpace ? "address lies beyond 0xFFFFFFFF" : "";
    } else {
        s.bytes = static_cast<unsigned>(std::min<std::uint64_t>(*number, kMaxDigitBytes + 1));
        return *number == 0 || *number > kMaxDigitBytes ? "bytes takes 1 to 20" : "";
    }
    return {};
}

// What the whole file must say, once every line is read; `lineOf` gives a key's line.
template <typename LineOf>
std::string Complete(const SerialSettings& s, LineOf lineOf, bool checkNumber) {
    for (const std::string_view key : {"next", "address", "bytes", "encoding"}) {
        if (lineOf(key) == 0) {
            return "it has no line \"" + std::string(key) + " = ...\"";
        }
    }
    const auto at = [&lineOf](std::string_view key) {
        return "line " + std::to_string(lineOf(key)) + ": ";
    };
    if ((s.encoding == SerialEncoding::Little || s.encoding == SerialEncoding::Big) &&
        s.bytes > kMaxBinaryBytes) {
        return at("bytes") + "bytes = " + std::to_string(s.bytes) + " is more than a 64-bit " +
               EncodingName(s.encoding) + " number takes (8)";
    }
    if (std::uint64_t{s.address} + s.bytes > kAddressSpace) {
        return at("address") + "address + bytes run past 0xFFFFFFFF";
    }
    if (!checkNumber) {
        return {};
    }
    // The number a run would take now: the lowest handed back, else next.
    const bool handedBack = !s.returned.empty();
    std::string problem;
    (void)EncodeSerial(
        handedBack ? *std::min_element(s.returned.begin(), s.returned.end()) : s.next, s, problem);
    return problem.empty() ? "" : at(handedBack ? "returned" : "next") + problem;
}

} // namespace

const char* EncodingName(SerialEncoding encoding) {
    for (const auto& [name, value] : kEncodings) {
        if (value == encoding) {
            return name.data();
        }
    }
    return "";
}

SerialParse ParseSerialFile(const std::string& text, bool checkNumber) {
    SerialParse parse;
    std::vector<std::pair<std::string_view, std::size_t>> seen; // key, line
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size() && parse.problem.empty();) {
        const std::size_t newline = std::min(text.find('\n', start), text.size());
        const std::string_view line(text.data() + start, newline - start);
        start = newline + 1;
        ++number;
        std::string problem;
        if (line.find('\0') != std::string_view::npos) {
            problem = "it holds a NUL byte: not a text file";
        } else if (const auto entry = Split(line, problem)) {
            if (std::find(kKeys.begin(), kKeys.end(), entry->key) == kKeys.end()) {
                problem = "unknown key \"" + std::string(entry->key) +
                          "\" (next, step, address, bytes, encoding, returned, reserved)";
            } else if (std::any_of(seen.begin(), seen.end(),
                                   [&](const auto& key) { return key.first == entry->key; })) {
                problem = std::string(entry->key) + " is given twice";
            } else {
                seen.emplace_back(*std::find(kKeys.begin(), kKeys.end(), entry->key), number);
                problem = Apply(parse.settings, entry->key, entry->value);
            }
        }
        if (!problem.empty()) {
            parse.problem = "line " + std::to_string(number) + ": " + problem;
        }
    }
    if (parse.problem.empty()) {
        parse.problem = Complete(
            parse.settings,
            [&seen](std::string_view key) {
                const auto found = std::find_if(seen.begin(), seen.end(), [key](const auto& entry) {
                    return entry.first == key;
                });
                return found == seen.end() ? std::size_t{0} : found->second;
            },
            checkNumber);
    }
    return parse;
}

namespace {

std::string ListText(const std::vector<std::uint64_t>& numbers) {
    std::string text;
    for (const std::uint64_t number : numbers) {
        text += (text.empty() ? "" : ", ") + std::to_string(number);
    }
    return text;
}

} // namespace

std::string RenderSerialFile(const std::string& text, const SerialSettings& settings) {
    const std::array<std::pair<std::string_view, std::string>, 3> values{
        {{"next", std::to_string(settings.next)},
         {"returned", ListText(settings.returned)},
         {"reserved", ListText(settings.reserved)}}};
    std::array<bool, 3> written{};
    std::string out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, newline - start);
        start = newline + 1;
        std::string ignored;
        if (const auto entry = Split(line, ignored)) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (entry->key == values[i].first) {
                    // What stood around the value, the comment after it too, stays.
                    const std::string_view raw(line.data() + entry->valueStart,
                                               entry->valueEnd - entry->valueStart);
                    const std::size_t lead = raw.find_first_not_of(" \t");
                    const std::string before =
                        lead == std::string_view::npos ? " " : std::string(raw.substr(0, lead));
                    const std::string after =
                        lead == std::string_view::npos
                            ? std::string(raw.substr(std::min<std::size_t>(1, raw.size())))
                            : std::string(raw.substr(raw.find_last_not_of(" \t") + 1));
                    const bool bare = values[i].second.empty() && after.empty();
                    line.replace(entry->valueStart, entry->valueEnd - entry->valueStart,
                                 (bare ? "" : before) + values[i].second + after);
                    written[i] = true;
                    break; // the line changed under the entry's views
                }
            }
        }
        out += line;
        if (newline < text.size()) {
            out += '\n';
        }
    }
    // keys the file did not have yet end their lines as its first line does
    const std::size_t firstEnd = text.find('\n');
    const std::string lineEnd =
        firstEnd != std::string::npos && firstEnd > 0 && text[firstEnd - 1] == '\r' ? "\r\n" : "\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!written[i] && (i == 0 || !values[i].second.empty())) {
            if (!out.empty() && out.back() != '\n') {
                out += lineEnd;
            }
            out += std::string(values[i].first) + " = " + values[i].second + lineEnd;
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodeSerial(std::uint64_t number, const SerialSettings& settings,
                                       std::string& problem) {
    const unsigned bytes = settings.bytes;
    std::vector<std::uint8_t> out(bytes);
    std::uint64_t rest = number;
    const bool digits =
        settings.encoding == SerialEncoding::Bcd || settings.encoding == SerialEncoding::Ascii;
    for (unsigned i = 0; i < bytes; ++i) {
        const unsigned at = settings.encoding == SerialEncoding::Little ? i : bytes - 1 - i;
        if (settings.encoding == SerialEncoding::Ascii) {
            out[at] = static_cast<std::uint8_t>('0' + rest % 10);
            rest /= 10;
        } else if (settings.encoding == SerialEncoding::Bcd) {
            out[at] = static_cast<std::uint8_t>((rest % 10) | ((rest / 10 % 10) << 4));
            rest /= 100;
        } else {
            out[at] = static_cast<std::uint8_t>(rest & 0xFF);
            rest >>= 8;
        }
    }
    if (rest != 0) {
        problem = "the number " + std::to_string(number) + " does not fit in " +
                  std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes") + " of " +
                  EncodingName(settings.encoding) + (digits ? " digits" : "");
        return {};
    }
    return out;
}

} // namespace t8
