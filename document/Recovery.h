#pragma once
// Unsaved text survives a crash, a kill or a shutdown. While the document has changes that are not
// saved, a recovery copy of its text (the bytes as the document holds them), its path and its
// coding is kept (platform::RecoveryFiles): written once the typing pauses, at once when the program is asked to
// end, and removed when the text is saved, replaced or discarded and when the program ends
// normally. At start-up the newest copy that a program no longer running left behind is offered
// back.
//
// Editing costs a restart of a single-shot timer; the text is read only when the timer fires.

#include "platform/storage/RecoveryFiles.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Document;
namespace platform {
class Clock;
class Messenger;
class RecoveryHost;
}

class Recovery : public QObject {
    Q_OBJECT
public:
    struct Context {
        Document &document;
        platform::RecoveryHost &host;
        platform::Clock &clock;            // stamps each copy, so that the newest can be found
        platform::Messenger &messages;
    };

    explicit Recovery(const Context &context, QObject *parent = nullptr);

    // The copy is written IdleDelay ms after the last edit, and no later than MaxDelay ms after
    // the first edit it does not hold yet (or after the delays set here).
    static constexpr int IdleDelay = 2000;
    static constexpr int MaxDelay = 5000;
    void setDelays(int idle, int max)
    {
        m_idleDelay = idle;
        m_maxDelay = max;
    }

    // At once: writes the copy of a changed document, removes that of an unchanged one. False
    // when the copy could not be written; with report that is told to the user, once until a
    // copy could be written again.
    bool WriteRecoveryCopy(bool report);
    // The program ends normally: the copy goes and no other is written.
    void EndRecovery();
    // Start-up of the first running copy: offers the newest copy left by a program that no longer
    // runs. Yes puts its text and path back (the document then counts as changed) and makes the
    // copy this program's own; No deletes it. Other copies stay for later starts. True when a
    // text was put back.
    bool OfferRecoveryCopy();

    platform::RecoveryFiles &files() { return m_files; }

private:
    void TTextBlock_Change();
    void documentStateChanged();
    void removeCopy();

    Context c;
    platform::RecoveryFiles m_files;
    QTimer TRecovery;
    QElapsedTimer m_pendingSince;   // since the first edit the copy does not hold
    bool m_hasCopy = false;
    quint64 m_copyRevision = 0;     // the text's revision and the path the copy holds
    QString m_copyPath;
    bool m_reported = false;
    bool m_ended = false;
    int m_idleDelay = IdleDelay;
    int m_maxDelay = MaxDelay;
};
