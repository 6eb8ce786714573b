#include "settings/StoredValue.h"

#include "link/LogFont.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace t8 {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kUInt32Max = std::numeric_limits<std::uint32_t>::max();

// the C library's isspace in the "C" locale
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

std::optional<QString> StoredText(const QVariant& value) {
    if (!value.isValid()) {
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    if (!value.canConvert<QString>()) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<std::uint32_t> ParseStoredInt(const QString& text) {
    bool ok = false;
    const qlonglong number = text.trimmed().toLongLong(&ok, 10);
    if (!ok || number < kInt32Min || number > kUInt32Max) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(number);
}

std::int32_t ParseLeadingLong(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        // stop growing once past the range: the result saturates and cannot overflow
        if (magnitude <= kInt32Max + 1) {
            magnitude = magnitude * 10 + (text[at].unicode() - u'0');
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp(value, kInt32Min, kInt32Max));
}

std::string FitFaceName(const QString& text) {
    QString name = text.left(text.indexOf(QChar(0)));
    if (name.size() > static_cast<qsizetype>(kFaceNameMax)) {
        qsizetype keep = static_cast<qsizetype>(kFaceNameMax);
        if (name[keep - 1].isHighSurrogate()) {
            --keep;
        }
        name.truncate(keep);
    }
    return name.toStdString();
}

} // namespace t8
