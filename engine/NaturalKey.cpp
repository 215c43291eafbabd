#include "engine/NaturalKey.h"

#include <QString>
#include <algorithm>

namespace NaturalKey {

void append(QByteArrayView text, std::vector<char> &key)
{
    QByteArray folded;
    if (std::any_of(text.begin(), text.end(), [](char c) { return uchar(c) >= 0x80; })) {
        folded = QString::fromUtf8(text).toCaseFolded().toUtf8();
        text = folded;
    }
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (!isDigit(c)) {
            key.push_back(c == '/' ? '\0' : (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c);
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        qsizetype first = i;
        while (first < end && text[first] == '0')
            ++first;
        // Numbers compare by length first; past 65,535 digits they tie.
        const size_t length = std::min<size_t>(size_t(end - first), 0xffff);
        key.push_back('0');
        key.push_back(char(length >> 8));
        key.push_back(char(length & 0xff));
        key.insert(key.end(), text.data() + first, text.data() + first + length);
        i = end;
    }
}

} // namespace NaturalKey
