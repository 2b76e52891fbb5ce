// A stand-in for another program's text box in the end-to-end tests: a window "Drag source" that
// starts a drag of its text as a text editor does (copy or move, move proposed) when the left
// button is pressed on it, and writes how the drag ended to the file named on its command line:
// "IgnoreAction", "CopyAction", "MoveAction" or "LinkAction". A move is what makes an editor delete
// the dragged text.

#include <QApplication>
#include <QDrag>
#include <QFile>
#include <QLabel>
#include <QMetaEnum>
#include <QMimeData>
#include <QMouseEvent>

namespace {

class DragSource : public QLabel {
public:
    explicit DragSource(const QString &resultFile) : QLabel(QStringLiteral("dragged words")), m_resultFile(resultFile)
    {
        setWindowTitle(QStringLiteral("Drag source"));
        setAlignment(Qt::AlignCenter);
        resize(240, 120);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto *drag = new QDrag(this);
        auto *data = new QMimeData;
        data->setText(text());
        drag->setMimeData(data);
        const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        QFile out(m_resultFile);
        if (out.open(QIODevice::WriteOnly))
            out.write(QMetaEnum::fromType<Qt::DropAction>().valueToKey(result) + QByteArray("\n"));
    }

private:
    QString m_resultFile;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    DragSource source(QString::fromLocal8Bit(argv[1]));
    source.move(40, 40);
    source.show();
    return app.exec();
}
