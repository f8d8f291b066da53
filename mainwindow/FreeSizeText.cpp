#include "mainwindow/FreeSizeText.h"

#include <limits>

namespace zolvane::gui {

std::optional<std::int32_t> FreeSizeValue(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && text[at] == QLatin1Char(' ')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == QLatin1Char('+') || text[at] == QLatin1Char('-'))) {
        negative = text[at] == QLatin1Char('-');
        ++at;
    }
    int base = 10;
    if (at < text.size() && text[at] == QLatin1Char('$')) {
        base = 16;
        ++at;
    } else if (text.mid(at, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        base = 16;
        at += 2;
    }
    if (at == text.size()) {
        return std::nullopt;
    }
    // Magnitudes up to 2^31 leave room for the most negative value.
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].toLower().unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (base == 16 && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > kLimit) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace zolvane::gui
