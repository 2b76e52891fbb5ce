#include "platform/textmodel/Ansi.h"

#include <array>
#include <cstring>

namespace platform::Ansi {

namespace {

// Unicode of the bytes 0x80..0xFF; 0x98 has no character in the code page and stands for U+0098.
constexpr char16_t kHighHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

struct Tables {
    std::array<char16_t, 256> unicode;
    std::array<char, 65536> bytes;      // '?' where the code page has no byte
    std::array<bool, 65536> known;
    std::array<uchar, 256> upper;
    std::array<uchar, 256> lower;
    std::array<std::array<char, 4>, 256> utf8;   // the UTF-8 of each byte's character...
    std::array<uchar, 256> utf8Length;            // ...and its length, 1 to 3

    Tables()
    {
        bytes.fill('?');
        known.fill(false);
        for (int b = 0; b < 256; ++b) {
            unicode[b] = b < 0x80 ? char16_t(b) : kHighHalf[b - 0x80];
            bytes[unicode[b]] = char(b);
            known[unicode[b]] = true;
        }
        for (int b = 0; b < 256; ++b) {
            upper[b] = caseMapped(b, QChar(unicode[b]).toUpper());
            lower[b] = caseMapped(b, QChar(unicode[b]).toLower());
            const char16_t u = unicode[b];
            utf8Length[b] = u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
            if (u < 0x80)
                utf8[b] = {char(u)};
            else if (u < 0x800)
                utf8[b] = {char(0xC0 | u >> 6), char(0x80 | (u & 0x3F))};
            else
                utf8[b] = {char(0xE0 | u >> 12), char(0x80 | (u >> 6 & 0x3F)), char(0x80 | (u & 0x3F))};
        }
    }

    // The byte of the other case, or the byte itself when the code page cannot hold it.
    uchar caseMapped(int byte, QChar mapped) const
    {
        return known[mapped.unicode()] ? uchar(bytes[mapped.unicode()]) : uchar(byte);
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

QByteArray mapBytes(const QByteArray &bytes, const std::array<uchar, 256> &table)
{
    QByteArray out(bytes.size(), Qt::Uninitialized);
    const uchar *src = reinterpret_cast<const uchar *>(bytes.constData());
    char *dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = char(table[src[i]]);
    return out;
}

const char Mark[] = "\xEF\xBB\xBF";

// The first byte from p on that is not ASCII, or end; eight bytes at a time.
inline const uchar *asciiEnd(const uchar *p, const uchar *end)
{
    constexpr quint64 highBits = 0x8080808080808080ull;
    for (quint64 word; end - p >= 8; p += 8) {
        std::memcpy(&word, p, 8);
        if (word & highBits)
            break;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

// The UTF-8 sequence at p, whose first byte is not ASCII: its length and code point, or length 0
// when it is no valid UTF-8 (a stray continuation byte, a sequence cut short, an overlong form, a
// surrogate, a code point past U+10FFFF).
struct Sequence {
    int length;
    char32_t code;
};
inline Sequence sequenceAt(const uchar *p, const uchar *end)
{
    const uchar b = *p;
    if (b >= 0xC2 && b < 0xE0) {   // two bytes, as Cyrillic letters take
        if (end - p >= 2 && (p[1] & 0xC0) == 0x80)
            return {2, char32_t((b & 0x1F) << 6 | (p[1] & 0x3F))};
        return {0, 0};
    }
    if (b < 0xE0 || b > 0xF4)
        return {0, 0};
    const int length = b < 0xF0 ? 3 : 4;
    if (end - p < length)
        return {0, 0};
    char32_t code = b & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return {0, 0};
        code = code << 6 | (p[i] & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {0, 0};
    return {length, code};
}

} // namespace

QChar toUnicode(uchar byte)
{
    return QChar(tables().unicode[byte]);
}

QString toUnicode(const QByteArray &bytes)
{
    QString out;
    toUnicode(bytes.constData(), bytes.size(), out);
    return out;
}

void toUnicode(const char *bytes, qsizetype size, QString &out)
{
    const auto &unicode = tables().unicode;
    out.resize(size);
    QChar *dst = out.data();
    const uchar *src = reinterpret_cast<const uchar *>(bytes);
    for (qsizetype i = 0; i < size; ++i)
        dst[i] = QChar(unicode[src[i]]);
}

bool isRepresentable(QChar ch)
{
    return tables().known[ch.unicode()];
}

char fromUnicode(QChar ch)
{
    return tables().bytes[ch.unicode()];
}

QByteArray fromUnicode(const QString &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    fromUnicode(text.constData(), text.size(), out.data());
    return out;
}

void fromUnicode(const QChar *chars, qsizetype size, char *out)
{
    const auto &bytes = tables().bytes;
    for (qsizetype i = 0; i < size; ++i)
        out[i] = bytes[chars[i].unicode()];
}

uchar toUpper(uchar byte)
{
    return tables().upper[byte];
}

uchar toLower(uchar byte)
{
    return tables().lower[byte];
}

QByteArray toUpper(const QByteArray &bytes)
{
    return mapBytes(bytes, tables().upper);
}

QByteArray toLower(const QByteArray &bytes)
{
    return mapBytes(bytes, tables().lower);
}

Utf8Reading readUtf8(QByteArray bytes)
{
    const Tables &t = tables();
    const bool mark = bytes.startsWith(Mark);
    char *const data = bytes.data();
    const uchar *const begin = reinterpret_cast<const uchar *>(data);
    const uchar *const end = begin + bytes.size();
    const uchar *p = begin + (mark ? 3 : 0);
    char *out = data;
    if (!mark) {
        // ASCII alone reads the same in both codings; it is UTF-8 only after the mark.
        p = asciiEnd(p, end);
        if (p == end)
            return {Utf8Reading::NotUtf8, false, std::move(bytes)};
        out += p - begin;
    }

    // Decoded in place, in one pass: no character is longer in Windows-1251 than in UTF-8, so what
    // is written never overtakes what is still to be read. Russian text has short runs of ASCII
    // between its words: those are copied a byte at a time.
    while (p < end) {
        if (*p < 0x80) {
            *out++ = char(*p++);
            continue;
        }
        const Sequence sequence = sequenceAt(p, end);
        if (sequence.length == 0 || sequence.code > 0xFFFF || !t.known[sequence.code])
            break;
        p += sequence.length;
        *out++ = t.bytes[sequence.code];
    }
    if (p == end) {
        bytes.truncate(out - data);
        bytes.squeeze();
        return {Utf8Reading::Converted, mark, std::move(bytes)};
    }

    // Not all of it is Windows-1251 text: the characters decoded so far came from valid UTF-8,
    // which is the one way to write them, so writing them again from the back restores the bytes
    // (each takes at least the byte it was decoded into, so none is overwritten before it is read).
    char *back = data + (p - begin);
    while (out > data) {
        const uchar byte = uchar(*--out);
        back -= t.utf8Length[byte];
        std::memcpy(back, t.utf8[byte].data(), t.utf8Length[byte]);
    }
    std::memcpy(data, Mark, back - data);   // the mark, or nothing

    // The rest tells whether it is UTF-8 at all.
    for (; p < end; p = asciiEnd(p, end)) {
        const Sequence sequence = sequenceAt(p, end);
        if (sequence.length == 0)
            return {Utf8Reading::NotUtf8, false, std::move(bytes)};
        p += sequence.length;
    }
    return {Utf8Reading::Foreign, mark, std::move(bytes)};
}

QByteArray toUtf8(const QByteArray &text, bool mark)
{
    const Tables &t = tables();
    const uchar *src = reinterpret_cast<const uchar *>(text.constData());
    const qsizetype n = text.size();
    const qsizetype markSize = mark ? 3 : 0;
    qsizetype size = markSize;
    for (qsizetype i = 0; i < n; ++i)
        size += t.utf8Length[src[i]];

    // Every character is copied as four bytes and the next one starts after its own length, so
    // the buffer has three bytes to spare at the end.
    QByteArray data(size + 3, Qt::Uninitialized);
    char *out = data.data();
    std::memcpy(out, Mark, markSize);
    out += markSize;
    for (qsizetype i = 0; i < n; ++i) {
        std::memcpy(out, t.utf8[src[i]].data(), 4);
        out += t.utf8Length[src[i]];
    }
    data.resize(size);
    return data;
}

} // namespace platform::Ansi
