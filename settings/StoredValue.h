#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <string>

namespace t8 {

// Longest directory, filter or device text taken from the store; a path longer than the
// system's PATH_MAX cannot be opened anyway.
inline constexpr qsizetype kMaxStoredText = 4096;

// The text of a stored value, or nothing when the value is not text. An unquoted comma in a
// hand-edited file makes the INI reader split the value; it is joined back.
[[nodiscard]] std::optional<QString> StoredText(const QVariant& value);

// A whole decimal 32-bit integer, written signed or unsigned, as its 32-bit pattern. Anything
// else (letters, trailing text, more than 32 bits) is unusable and gives nothing.
[[nodiscard]] std::optional<std::uint32_t> ParseStoredInt(const QString& text);

// The decimal string-to-long rule of the "BautRate" key: leading blanks and a sign accepted,
// conversion stops at the first non-digit, no digits give 0; the store's long is 32 bits, so
// the result saturates there.
[[nodiscard]] std::int32_t ParseLeadingLong(const QString& text);

// A face name as the font record holds it: up to the first zero, at most kFaceNameMax
// characters, never a split surrogate pair.
[[nodiscard]] std::string FitFaceName(const QString& text);

} // namespace t8
