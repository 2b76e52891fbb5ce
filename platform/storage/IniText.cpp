#include "platform/storage/IniText.h"

#include "platform/interfaces/RuntimeError.h"

#include <QStringDecoder>

namespace platform {

namespace {

const QString General = QStringLiteral("General");
const char ByteOrderMark[] = "\xEF\xBB\xBF";

// UTF-8 to text, keeping a U+FEFF where it stands (QString::fromUtf8 drops it at the start).
QString fromUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmed(QByteArrayView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.sliced(b, e - b).toByteArray();
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void chopBlanks(QString &text, qsizetype limit)
{
    qsizetype n = text.size();
    while (n > limit && (text[n - 1] == QLatin1Char(' ') || text[n - 1] == QLatin1Char('\t')))
        --n;
    text.truncate(n);
}

// The unquoted, unescaped text of a value as QSettings reads it. An unquoted comma separates
// the items of a list, which come back joined by single commas.
QString unescapeText(QByteArrayView raw)
{
    static const char simple[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                                     {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    QString out;
    bool inQuotes = false, itemQuoted = false;
    qsizetype i = 0, chopLimit = 0;
    const qsizetype n = raw.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(raw[i]))
            ++i;
        chopLimit = out.size();
    };
    skipBlanks();
    while (i < n) {
        const char c = raw[i];
        if (c == '\\') {
            if (++i >= n)
                break;
            const char e = raw[i++];
            bool done = false;
            for (const auto &s : simple) {
                if (e == s[0]) {
                    out += QLatin1Char(s[1]);
                    done = true;
                    break;
                }
            }
            if (!done && e == 'x' && i < n && hexDigit(raw[i]) >= 0) {
                char16_t v = 0;
                for (; i < n && hexDigit(raw[i]) >= 0; ++i)
                    v = char16_t((v << 4) | hexDigit(raw[i]));
                out += QChar(v);
            } else if (!done && e >= '0' && e <= '7') {
                char16_t v = char16_t(e - '0');
                for (; i < n && raw[i] >= '0' && raw[i] <= '7'; ++i)
                    v = char16_t((v << 3) | (raw[i] - '0'));
                out += QChar(v);
            }
            chopLimit = out.size();
        } else if (c == '"') {
            ++i;
            itemQuoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ';' && !inQuotes) {
            break;   // a comment to the end of the line
        } else if (c == ',' && !inQuotes) {
            if (!itemQuoted)
                chopBlanks(out, chopLimit);
            out += QLatin1Char(',');
            itemQuoted = false;
            ++i;
            skipBlanks();
        } else {
            qsizetype j = i + 1;
            while (j < n && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',' && raw[j] != ';')
                ++j;
            out += fromUtf8(raw.sliced(i, j - i));
            i = j;
        }
    }
    if (!itemQuoted)
        chopBlanks(out, chopLimit);
    return out;
}

} // namespace

IniText::IniText(const QByteArray &bytes)
{
    QByteArrayView data(bytes);
    if (data.startsWith(ByteOrderMark)) {
        data = data.sliced(3);
        m_byteOrderMark = true;
    }
    QString section = General;
    bool firstBreak = true;
    for (qsizetype pos = 0; pos < data.size();) {
        qsizetype end = pos;
        while (end < data.size() && data[end] != '\n' && data[end] != '\r')
            ++end;
        Line line;
        line.text = data.sliced(pos, end - pos).toByteArray();
        const qsizetype breakLength = end == data.size() ? 0 : (data.sliced(end).startsWith("\r\n") ? 2 : 1);
        line.eol = data.sliced(end, breakLength).toByteArray();
        if (firstBreak && breakLength) {
            m_eol = line.eol;
            firstBreak = false;
        }
        pos = end + breakLength;

        const QByteArray t = trimmed(line.text);
        if (t.startsWith('[')) {
            const qsizetype close = t.indexOf(']');
            const QByteArray name = trimmed(QByteArrayView(t).sliced(1, (close < 0 ? t.size() : close) - 1));
            section = name.compare("general", Qt::CaseInsensitive) == 0 ? General : fromUtf8(name);
            line.section = section;
            line.header = true;
        } else if (!t.startsWith(';') && !t.startsWith('#') && t.contains('=')) {
            line.key = trimmed(QByteArrayView(t).first(t.indexOf('=')));
            line.section = section;
        }
        m_lines.append(line);
    }
}

qsizetype IniText::rowOf(const QString &section, const QByteArray &key) const
{
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i)
        if (!m_lines[i].key.isEmpty() && m_lines[i].key == key && m_lines[i].section == section)
            return i;
    return -1;
}

std::optional<QString> IniText::value(const QString &section, const QString &key) const
{
    const qsizetype row = rowOf(section, key.toUtf8());
    if (row < 0)
        return std::nullopt;
    const QByteArray &text = m_lines[row].text;
    const QByteArray raw = text.mid(text.indexOf('=') + 1);
    if (raw.contains('\0'))
        throw RuntimeError(ErrorCode::TypeMismatch);
    return unescape(raw);
}

void IniText::setValue(const QString &section, const QString &key, const QString &value)
{
    const QByteArray k = key.toUtf8();
    const QByteArray text = k + '=' + escape(value);
    if (const qsizetype row = rowOf(section, k); row >= 0) {
        m_lines[row].text = text;
        return;
    }
    Line row{text, m_eol, section, k, false};
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        if ((m_lines[i].header || !m_lines[i].key.isEmpty()) && m_lines[i].section == section) {
            if (m_lines[i].eol.isEmpty())
                m_lines[i].eol = m_eol;
            m_lines.insert(i + 1, row);
            return;
        }
    }
    // A new section, after an empty line.
    if (!m_lines.isEmpty()) {
        if (m_lines.last().eol.isEmpty())
            m_lines.last().eol = m_eol;
        if (!trimmed(m_lines.last().text).isEmpty())
            m_lines.append(Line{QByteArray(), m_eol, QString(), QByteArray(), false});
    }
    m_lines.append(Line{'[' + section.toUtf8() + ']', m_eol, section, QByteArray(), true});
    m_lines.append(row);
}

QByteArray IniText::bytes() const
{
    QByteArray out = m_byteOrderMark ? QByteArray(ByteOrderMark) : QByteArray();
    for (const Line &line : m_lines)
        out += line.text + line.eol;
    return out;
}

QList<std::pair<QString, QString>> IniText::rows() const
{
    QList<std::pair<QString, QString>> result;
    for (const Line &line : m_lines)
        if (!line.key.isEmpty())
            result.append({line.section, fromUtf8(line.key)});
    return result;
}

QByteArray IniText::escape(const QString &value)
{
    QString s = value;
    if (s.contains(QChar(0)))
        s = QStringLiteral("@String(") + s + QLatin1Char(')');
    else if (s.startsWith(QLatin1Char('@')))
        s.prepend(QLatin1Char('@'));

    QByteArray out;
    bool needsQuotes = false, escapeNextIfDigit = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        if (escapeNextIfDigit && c < 128 && hexDigit(char(c)) >= 0) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfDigit = false;
        switch (c) {
        case 0: out += "\\0"; escapeNextIfDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c <= 0x1F) {
                out += "\\x" + QByteArray::number(c, 16);
                escapeNextIfDigit = true;
            } else if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                out += QStringView(s).sliced(i, 2).toUtf8();
                ++i;
            } else {
                out += QStringView(s).sliced(i, 1).toUtf8();
            }
        }
    }
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

std::optional<QString> IniText::unescape(const QByteArray &raw)
{
    const QString s = unescapeText(raw);
    if (s.startsWith(QLatin1Char('@'))) {
        if (s == QLatin1String("@Invalid()"))
            return std::nullopt;
        if (s.startsWith(QLatin1String("@@")))
            return s.mid(1);
        for (const QLatin1String prefix : {QLatin1String("@String("), QLatin1String("@ByteArray(")})
            if (s.startsWith(prefix) && s.endsWith(QLatin1Char(')')))
                return s.mid(prefix.size(), s.size() - prefix.size() - 1);
    }
    return s;
}

} // namespace platform
