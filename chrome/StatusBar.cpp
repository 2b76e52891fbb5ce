#include "chrome/StatusBar.h"

#include "platform/interfaces/Platform.h"

#include <QLabel>

namespace {
QLabel *keyPanel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 16);
    return label;
}
} // namespace

MainStatusBar::MainStatusBar(platform::KeyboardLocks &locks, QWidget *parent) : QStatusBar(parent), m_locks(locks)
{
    setObjectName(QStringLiteral("SMainStatusBar"));
    setSizeGripEnabled(true);
    m_text = new QLabel(QStringLiteral("Готово"), this);
    m_text->setObjectName(QStringLiteral("StatusText"));
    m_text->setMinimumWidth(1);
    m_caps = keyPanel(QStringLiteral("CAPS"), this);
    m_scroll = keyPanel(QStringLiteral("SCRL"), this);
    m_num = keyPanel(QStringLiteral("NUM"), this);
    addWidget(m_text, 1);
    addPermanentWidget(m_caps);
    addPermanentWidget(m_scroll);
    addPermanentWidget(m_num);
    m_locks.setChangedHandler([this] { updateLocks(); });
    updateLocks();
}

MainStatusBar::~MainStatusBar()
{
    m_locks.setChangedHandler({});
}

QString MainStatusBar::panelText() const
{
    return m_text->text();
}

void MainStatusBar::setPanelText(const QString &text)
{
    m_text->setText(text);
}

void MainStatusBar::updateLocks()
{
    // An inactive lock panel is drawn greyed, as a disabled label.
    m_caps->setEnabled(m_locks.caps());
    m_scroll->setEnabled(m_locks.scroll());
    m_num->setEnabled(m_locks.num());
}
