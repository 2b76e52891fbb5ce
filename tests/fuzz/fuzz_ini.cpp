// The settings file's text model: any bytes read, any value written back.
//   - what is read comes back byte for byte;
//   - a value written reads back exactly from the written bytes;
//   - writing one row changes what no other row reads.

#include "platform/interfaces/RuntimeError.h"
#include "platform/storage/IniText.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

using platform::IniText;

namespace {

// A row's value, or a marker for a row that fails to read (a NUL byte).
QString valueOf(const IniText &text, const QString &section, const QString &key)
{
    try {
        return text.value(section, key).value_or(QStringLiteral("<none>"));
    } catch (const platform::RuntimeError &) {
        return QStringLiteral("<fails>");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniText text(bytes);
    if (text.bytes() != bytes)
        abort();

    QList<std::pair<QString, QString>> rows = text.rows();
    QStringList before;
    for (const auto &[section, key] : rows)
        before << valueOf(text, section, key);

    // The last bytes of the input are the value, its length picks the row.
    static const QString sections[] = {QStringLiteral("General"), QStringLiteral("Other"), QStringLiteral("Font")};
    const QString section = sections[size % 3];
    const QString key = QStringLiteral("Key%1").arg(size % 5);
    const QString value = QString::fromUtf8(bytes.right(qsizetype(size % 40)));
    text.setValue(section, key, value);

    const IniText again(text.bytes());
    if (again.value(section, key) != value)
        abort();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const auto &[s, k] = rows[i];
        if ((s != section || k != key) && valueOf(again, s, k) != before[i])
            abort();
    }
    return 0;
}
