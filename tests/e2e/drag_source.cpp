// Another program's text box for the end-to-end tests: a window "Drag source" that drags its text
// as a text editor does (copy or move, move proposed) when pressed, and writes how the drag ended
// ("IgnoreAction", "CopyAction", "MoveAction") to the file named on its command line. After a move
// an editor deletes the dragged text.

#include <QApplication>
#include <QDrag>
#include <QFile>
#include <QLabel>
#include <QMetaEnum>
#include <QMimeData>

class DragSource : public QLabel {
public:
    explicit DragSource(const QString &resultFile) : QLabel(QStringLiteral("dragged words")), m_result(resultFile)
    {
        setWindowTitle(QStringLiteral("Drag source"));
        resize(240, 120);
    }

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        auto *drag = new QDrag(this);
        auto *data = new QMimeData;
        data->setText(text());
        drag->setMimeData(data);
        const Qt::DropAction ended = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        if (m_result.open(QIODevice::WriteOnly)) {
            m_result.write(QMetaEnum::fromType<Qt::DropAction>().valueToKey(ended));
            m_result.close();
        }
    }

private:
    QFile m_result;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    DragSource source(QString::fromLocal8Bit(argc > 1 ? argv[1] : "/dev/null"));
    source.show();
    return app.exec();
}
