#include "chrome/Toolbar.h"

#include "chrome/MainActions.h"

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

MainToolbar::MainToolbar(const MainActions &m, QWidget *parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("TMainToolbar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setContextMenuPolicy(Qt::PreventContextMenu);
    // The window's own menu of bars (right click on the menu bar or the status bar) would offer
    // this hidden item alone and hide the toolbar behind "П&анель инструментов"'s back.
    toggleViewAction()->setVisible(false);

    const QHash<QString, QAction *> commands = {
        {QStringLiteral("NewBtn"), m.mnuNew},     {QStringLiteral("OpenBtn"), m.mnuOpen},
        {QStringLiteral("SaveBtn"), m.mnuSave},   {QStringLiteral("PrintBtn"), m.mnuPrint},
        {QStringLiteral("CutBtn"), m.mnuCut},     {QStringLiteral("CopyBtn"), m.mnuCopy},
        {QStringLiteral("PasteBtn"), m.mnuPaste}, {QStringLiteral("UndoBtn"), m.mnuUndo},
        {QStringLiteral("FindBtn"), m.mnuFind},
    };
    for (const Item &item : items()) {
        const QString key = QString::fromLatin1(item.key);
        if (key.startsWith(QLatin1String("Space"))) {
            addSeparator()->setObjectName(key);
            continue;
        }
        QAction *a = commands.value(key);
        if (a) {
            // The menu shows no pictures.
            a->setIconVisibleInMenu(false);
        } else {
            a = new QAction(QString::fromUtf8(item.tip), this);
            a->setObjectName(key);
            connect(a, &QAction::triggered, this, [this, key] { Q_EMIT buttonClick(key); });
        }
        a->setIcon(picture(key));
        a->setToolTip(QString::fromUtf8(item.tip));
        a->setStatusTip(QString::fromUtf8(item.help));
        addAction(a);
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
