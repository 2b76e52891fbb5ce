// The text buffer against a plain byte array: random edit sequences must give the same bytes and
// the same lines, whatever the sizes of the edits and the kind of the dominant break.
#include "platform/textmodel/TextBuffer.h"

#include <QRandomGenerator>
#include <QTest>

using platform::TextBuffer;
using Break = TextBuffer::Break;

Q_DECLARE_METATYPE(platform::TextBuffer::Break)

namespace {

// Where each line starts, computed the plain way.
QList<qsizetype> lineStartsOf(const QByteArray &t, Break kind)
{
    QList<qsizetype> starts{0};
    for (qsizetype i = 0; i < t.size(); ++i) {
        const bool ends = kind == Break::CrLf ? t[i] == '\n' && i > 0 && t[i - 1] == '\r'
                        : kind == Break::Lf   ? t[i] == '\n' && (i == 0 || t[i - 1] != '\r')
                                              : t[i] == '\r' && (i + 1 == t.size() || t[i + 1] != '\n');
        if (ends)
            starts << i + 1;
    }
    return starts;
}

// About size bytes of random pieces.
QByteArray randomText(QRandomGenerator &random, qsizetype size, const QByteArrayList &pieces)
{
    QByteArray out;
    while (out.size() < size)
        out += pieces[random.bounded(int(pieces.size()))];
    return out;
}

void compareLines(const TextBuffer &buffer, const QByteArray &model, QRandomGenerator &random)
{
    const QList<qsizetype> starts = lineStartsOf(model, buffer.dominantBreak());
    QCOMPARE(buffer.lineCount(), starts.size());
    for (qsizetype line = 0; line < starts.size(); ++line) {
        QCOMPARE(buffer.lineStart(line), starts[line]);
        const qsizetype end = line + 1 < starts.size() ? starts[line + 1] - buffer.breakLength() : model.size();
        QCOMPARE(buffer.lineEnd(line), end);
    }
    for (int probe = 0; probe < 40; ++probe) {
        const qsizetype pos = random.bounded(int(model.size()) + 1);
        const qsizetype line = std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin() - 1;
        QCOMPARE(buffer.lineOf(pos), line);
        const bool inside = buffer.dominantBreak() == Break::CrLf && pos > 0 && pos < model.size()
                            && model[pos - 1] == '\r' && model[pos] == '\n';
        QCOMPARE(buffer.insideBreak(pos), inside);
    }
}

} // namespace

class TstTextBuffer : public QObject {
    Q_OBJECT
private slots:
    void dominantBreak_data();
    void dominantBreak();
    void randomEditsMatchAPlainModel_data();
    void randomEditsMatchAPlainModel();
    void editsAtALeafSeam_data();
    void editsAtALeafSeam();
    void copiesShareTheBytes();
};

void TstTextBuffer::dominantBreak_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Break>("kind");
    QTest::addColumn<int>("lines");
    QTest::newRow("empty") << QByteArray() << Break::CrLf << 1;
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << Break::CrLf << 3;
    QTest::newRow("lone CR") << QByteArray("\ra\rb") << Break::Cr << 3;
    QTest::newRow("lone LF") << QByteArray("a\nb\n\n") << Break::Lf << 4;
    QTest::newRow("tie") << QByteArray("a\rb\nc") << Break::CrLf << 1;
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb\r\n") << Break::CrLf << 3;
    QTest::newRow("LF CR") << QByteArray("\n\r") << Break::CrLf << 1;
    QTest::newRow("pair inside LF") << QByteArray("\r\na\nb\n") << Break::Lf << 3;
    QTest::newRow("no breaks") << QByteArray("abc") << Break::CrLf << 1;
    QTest::newRow("CR before a pair, CR dominant") << QByteArray("x\r\r\n\r") << Break::Cr << 3;
}

void TstTextBuffer::dominantBreak()
{
    QFETCH(QByteArray, text);
    QFETCH(Break, kind);
    QFETCH(int, lines);
    TextBuffer buffer;
    buffer.setText(text);
    QCOMPARE(buffer.dominantBreak(), kind);
    QCOMPARE(buffer.lineCount(), lines);
    QCOMPARE(buffer.text(), text);
}

void TstTextBuffer::randomEditsMatchAPlainModel_data()
{
    // Breaks are frequent and of every kind, so edits split and join pairs all the time.
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<int>("size");
    QTest::addColumn<Break>("kind");
    const QByteArrayList crlf{"a", "bc", " ", "\r\n", "\r\n", "\r", "\n"};
    QTest::newRow("CR LF, one leaf") << crlf << 300 << Break::CrLf;
    QTest::newRow("CR LF, several leaves") << crlf << 150000 << Break::CrLf;
    QTest::newRow("lone CR") << QByteArrayList{"a", "b", "\r", "\r", "\n", "\r\n"} << 100000 << Break::Cr;
    QTest::newRow("lone LF") << QByteArrayList{"a", "b", "\n", "\n", "\r", "\r\n"} << 100000 << Break::Lf;
}

void TstTextBuffer::randomEditsMatchAPlainModel()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(int, size);
    QFETCH(Break, kind);
    QRandomGenerator random{uint(size)};
    QByteArray model = randomText(random, size, pieces);
    TextBuffer buffer;
    buffer.setText(model);
    QCOMPARE(buffer.dominantBreak(), kind);
    std::vector<TextBuffer::Span> history;

    for (int step = 0; step < 250; ++step) {
        const qsizetype pos = random.bounded(int(model.size()) + 1);
        const int edit = random.bounded(10);   // mostly small, some large, some undo-like
        const qsizetype length = qMin<qsizetype>(model.size() - pos, edit < 6 ? random.bounded(4)
                                                                              : random.bounded(size / 2 + 1));
        QByteArray inserted;
        TextBuffer::Span removed;
        if (edit == 9 && !history.empty()) {
            // What an undo does: put back text taken out earlier.
            const TextBuffer::Span back = history[size_t(random.bounded(int(history.size())))];
            inserted = back.toByteArray();
            removed = buffer.replace(pos, length, back);
        } else {
            inserted = randomText(random, edit < 6 ? random.bounded(4) : random.bounded(size / 3 + 1), pieces);
            removed = buffer.replace(pos, length, inserted);
        }
        QCOMPARE(removed.toByteArray(), model.mid(pos, length));
        history.push_back(removed);
        model.replace(pos, length, inserted);
        QCOMPARE(buffer.size(), model.size());
        if (step % 7 == 0)
            QCOMPARE(buffer.text(), model);   // also makes the leaves share one array
        const qsizetype from = random.bounded(int(model.size()) + 1);
        QCOMPARE(buffer.mid(from, 100), model.mid(from, 100));
        compareLines(buffer, model, random);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(buffer.text(), model);
}

void TstTextBuffer::editsAtALeafSeam_data()
{
    QTest::addColumn<QByteArray>("tail");   // after the seam; its breaks decide the kind
    QTest::newRow("CR LF") << QByteArray("\r\n1\r\n2\r\n3");
    QTest::newRow("lone CR") << QByteArray("\r1\r2\r3");
    QTest::newRow("lone LF") << QByteArray("\n1\n2\n3");
}

// A new text is cut into leaves of 32 KiB. Every small edit next to the first seam, with every
// neighbourhood of CR, LF and other bytes, must keep the line index exact.
void TstTextBuffer::editsAtALeafSeam()
{
    QFETCH(QByteArray, tail);
    constexpr qsizetype seam = 32 * 1024;
    const QByteArray bytes[] = {"a", "\r", "\n"};
    const QByteArray inserts[] = {"", "\r", "\n", "\r\n", "x"};
    for (const QByteArray &b1 : bytes)
        for (const QByteArray &b2 : bytes)
            for (const QByteArray &b3 : bytes) {
                const QByteArray text = QByteArray(seam - 2, 'a') + b1 + b2 + b3 + tail;
                for (qsizetype pos = seam - 2; pos <= seam + 1; ++pos)
                    for (qsizetype length = 0; length <= 2; ++length)
                        for (const QByteArray &insert : inserts) {
                            TextBuffer buffer;
                            buffer.setText(text);
                            QByteArray model = text;
                            buffer.replace(pos, length, insert);
                            model.replace(pos, length, insert);
                            const QList<qsizetype> starts = lineStartsOf(model, buffer.dominantBreak());
                            QCOMPARE(buffer.lineCount(), starts.size());
                            for (qsizetype line = 1; line < qMin<qsizetype>(3, starts.size()); ++line)
                                QCOMPARE(buffer.lineStart(line), starts[line]);
                        }
            }
}

void TstTextBuffer::copiesShareTheBytes()
{
    const QByteArray text(200000, 'x');
    TextBuffer buffer;
    buffer.setText(text);
    QCOMPARE(buffer.text().constData(), text.constData());   // loading copied nothing
    const TextBuffer::Span all = buffer.span(0, buffer.size());
    buffer.replace(5, 1, QByteArrayView("y"));
    QCOMPARE(all.toByteArray(), text);                      // a span keeps what it saw
    QCOMPARE(text.count('x'), text.size());
    QCOMPARE(buffer.mid(4, 3), QByteArray("xyx"));
    const QByteArray once = buffer.text();
    QCOMPARE(buffer.text().constData(), once.constData());  // the second call builds nothing
}

QTEST_MAIN(TstTextBuffer)
#include "tst_textbuffer.moc"
