#include "document/Recovery.h"

#include "document/Document.h"
#include "document/Documents.h"
#include "platform/interfaces/RuntimeError.h"
#include "platform/textmodel/TextDocument.h"
#include "platform/ui/Messenger.h"

#include <new>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

Recovery::Recovery(const Context &context, QObject *parent) : QObject(parent), c(context), m_files(context.host)
{
    TRecovery.setSingleShot(true);
    connect(&TRecovery, &QTimer::timeout, this, [this] { WriteRecoveryCopy(true); });
    connect(&c.document.text(), &platform::TextDocument::changed, this, &Recovery::TTextBlock_Change);
    connect(&c.document.text(), &platform::TextDocument::reset, this, &Recovery::TTextBlock_Change);
    c.document.setStateObserver([this] { documentStateChanged(); });
}

void Recovery::TTextBlock_Change()
{
    if (m_ended || !m_files.enabled())
        return;
    if (!TRecovery.isActive())
        m_pendingSince.start();
    TRecovery.start(int(qBound(qint64(0), m_maxDelay - m_pendingSince.elapsed(), qint64(m_idleDelay))));
}

void Recovery::documentStateChanged()
{
    // New, a successful open or save: the text is one the disk holds (or an empty one).
    if (!c.document.isChanged())
        removeCopy();
    else
        TTextBlock_Change();
}

void Recovery::removeCopy()
{
    TRecovery.stop();
    if (m_hasCopy)
        m_files.remove();
    m_hasCopy = false;
}

bool Recovery::WriteRecoveryCopy(bool report)
{
    TRecovery.stop();
    if (m_ended || !m_files.enabled())
        return true;
    if (!c.document.isChanged()) {
        removeCopy();
        return true;
    }
    const platform::TextDocument &text = c.document.text();
    const QString path = c.document.GlobalFileName();
    if (m_hasCopy && m_copyRevision == text.revision() && m_copyPath == path)
        return true;
    int error = 0;
    try {
        m_files.write(path, text.text(), c.clock.now(), c.document.coding());
        m_hasCopy = true;
        m_copyRevision = text.revision();
        m_copyPath = path;
        m_reported = false;
        return true;
    } catch (const platform::RuntimeError &e) {
        error = e.code;
    } catch (const std::bad_alloc &) {
        error = platform::ErrorCode::OutOfMemory;
    }
    if (report && !m_reported) {
        m_reported = true;
        c.messages.msgBox(m_files.ownFile() + QStringLiteral("\r\n\r\nНе удалось сохранить резервную копию документа!\r\n")
                              + Documents::SaveFailureReason(error),
                          MsgButtons::Ok, MsgIcon::Warning);
    }
    return false;
}

void Recovery::EndRecovery()
{
    removeCopy();
    m_ended = true;
}

bool Recovery::OfferRecoveryCopy()
{
    const std::optional<platform::RecoveryCopy> copy = m_files.newestOrphan();
    if (!copy)
        return false;
    const QString question = QStringLiteral("Найдена резервная копия несохранённого документа \"%1\".\r\n\r\n"
                                            "Восстановить её?")
                                 .arg(Document::TitleName(copy->path));
    if (c.messages.msgBox(question, MsgButtons::YesNo, MsgIcon::Question, 1) != MsgAnswer::Yes) {
        platform::RecoveryFiles::discard(*copy);
        return false;
    }
    c.document.Restore(copy->text, copy->path, copy->coding);
    // The copy already holds this text: it becomes this program's copy. Where it cannot be moved,
    // this program writes its own and only then lets the old one go.
    if (m_files.adopt(*copy)) {
        TRecovery.stop();
        m_hasCopy = true;
        m_copyRevision = c.document.text().revision();
        m_copyPath = copy->path;
    } else if (WriteRecoveryCopy(true)) {
        platform::RecoveryFiles::discard(*copy);
    }
    return true;
}
