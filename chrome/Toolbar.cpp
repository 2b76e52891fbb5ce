#include "chrome/Toolbar.h"

#include <QAction>
#include <QIcon>

const QList<MainToolbar::Item> &MainToolbar::items()
{
    static const QList<Item> table = {
        {"NewBtn", "Создать", "Создание нового документа"},
        {"OpenBtn", "Открыть", "Открытие существующего документа"},
        {"SaveBtn", "Сохранить", "Сохранение активного документа"},
        {"Space1", "", ""},
        {"PrintBtn", "Печать", "Печать активного документа"},
        {"Space2", "", ""},
        {"CutBtn", "Вырезать", "Удаление выделенного фрагмента в буфер обмена"},
        {"CopyBtn", "Копировать", "Копирование выделенного фрагмента в буфер обмена"},
        {"PasteBtn", "Вставить", "Вставка в документ содержимого буфера обмена"},
        {"UndoBtn", "Отменить", "Отмена последнего выполненного действия"},
        {"Space3", "", ""},
        {"FindBtn", "Найти", "Поиск указанного образца текста"},
        {"Space4", "", ""},
        {"CopyAllBtn", "Копировать всё", "Копирование всего документа в буфер обмена"},
        {"Space5", "", ""},
        {"LeftBtn", "По левому краю", "Выравнивание текста по левому краю"},
        {"CenterBtn", "По центру", "Выравнивание текста по центру"},
        {"RightBtn", "По правому краю", "Выравнивание текста по правому краю"},
    };
    return table;
}

static QIcon picture(const QString &key)
{
    return QIcon(QStringLiteral(":/icons/%1.png").arg(key));
}

MainToolbar::MainToolbar(QWidget *parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("TMainToolbar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setContextMenuPolicy(Qt::PreventContextMenu);
    for (const Item &item : items()) {
        const QString key = QString::fromLatin1(item.key);
        if (key.startsWith(QLatin1String("Space"))) {
            addSeparator()->setObjectName(key);
            continue;
        }
        QAction *a = addAction(picture(key), QString::fromUtf8(item.tip));
        a->setObjectName(key);
        a->setToolTip(QString::fromUtf8(item.tip));
        a->setStatusTip(QString());
        a->setData(QString::fromUtf8(item.help));
        connect(a, &QAction::triggered, this, [this, key] { Q_EMIT buttonClick(key); });
        m_buttons.insert(key, a);
    }
}

void MainToolbar::showAlignment(int alignment)
{
    if (alignment < 0 || alignment > 2)
        return;
    m_buttons[QStringLiteral("LeftBtn")]->setIcon(picture(alignment == 0 ? "LeftBtn2" : "LeftBtn"));
    m_buttons[QStringLiteral("CenterBtn")]->setIcon(picture(alignment == 2 ? "CenterBtn2" : "CenterBtn"));
    m_buttons[QStringLiteral("RightBtn")]->setIcon(picture(alignment == 1 ? "RightBtn2" : "RightBtn"));
}
