#pragma once
// The recovery copies of unsaved documents: one file per running copy of the program, named
// after that copy (RecoveryHost::selfId) and kept in the host's folder, which only the user may
// enter (0700). A file is written whole or not at all and only the user may read it (0600). It
// holds the document's text as the text box holds it, the document's path, how its file holds
// the text and when it was written:
//
//   Jotbook recovery 1\n
//   saved <milliseconds since 1970 UTC>\n
//   path <the path's bytes, percent-encoded; nothing for a new document>\n
//   coding <Windows-1251, UTF-8 or UTF-8 BOM>\n
//   \n
//   <the text>
//
// A header with other lines, or one that does not end within 16 KiB, is no copy; a copy without
// a coding line is Windows-1251.

#include "platform/interfaces/FileCoding.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace platform {

class RecoveryHost;

struct RecoveryCopy {
    QString file;     // where the copy lies
    QString path;     // the document's path, empty for a new document
    QDateTime saved;
    QByteArray text;
    FileCoding coding = FileCoding::Ansi;
};

class RecoveryFiles {
public:
    explicit RecoveryFiles(RecoveryHost &host) : m_host(host) {}

    // False when the host keeps no copies: writing and removing then do nothing.
    bool enabled() const;
    // This copy's file.
    QString ownFile() const;
    // Writes this copy's file as a new one (mode 0600, a link at its name replaced, not followed).
    // Throws RuntimeError (codes as in SafeWrite.h) when it could not.
    void write(const QString &documentPath, const QByteArray &text, const QDateTime &saved, FileCoding coding);
    // Removes this copy's file when there is one.
    void remove();
    // The newest copy left by a copy of the program that no longer runs, or none; none at all
    // while the folder is not a private one (PrivateFolder.h). Files that are not recovery copies
    // are passed over.
    std::optional<RecoveryCopy> newestOrphan() const;
    // Makes a copy found by newestOrphan this copy's own file, readable by the user alone; false
    // when it stays where it was.
    bool adopt(const RecoveryCopy &copy);
    // Deletes a copy found by newestOrphan.
    static void discard(const RecoveryCopy &copy);

    static QByteArray encode(const QString &documentPath, const QByteArray &text, const QDateTime &saved,
                             FileCoding coding = FileCoding::Ansi);
    // The copy in the file, or none when it is missing, no regular file (a link at the name is
    // not followed) or no recovery copy; without its text unless withText.
    static std::optional<RecoveryCopy> read(const QString &file, bool withText = true);

    static const QString Suffix;   // ".recovery"

private:
    RecoveryHost &m_host;
};

} // namespace platform
