// Reading whole files with the program's error numbers, and saving that never leaves a broken file.

#include "document/FileAccess.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator rng(seed);
    for (char &c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// The error number a call raises, 0 when it succeeds.
template <typename F>
int errorOf(F &&call)
{
    try {
        call();
    } catch (const platform::RuntimeError &e) {
        return e.code;
    }
    return 0;
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Everything in the folder, hidden files included: no temporary file may be left behind.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestFileAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readErrors_data();
    void readErrors();
    void readsWholeFilesExactly_data();
    void readsWholeFilesExactly();
    void saveReplacesContentsAndLeavesNoTemporary();
    void saveKeepsPermissions();
    void saveThroughLinkKeepsLink();
    void saveFailingHalfWayKeepsOldFile();
    void saveErrors();
    void saveRefusedByProtectedTargets();
    void saveOnFullFileSystemKeepsOldFile();

private:
    QTemporaryDir m_dir;
};

void TestFileAccess::readErrors_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("code");
    QVERIFY(m_dir.isValid());
    const QString d = m_dir.path();
    writeFile(d + "/plain.txt", "text");
    QDir(d).mkdir("folder");
    QVERIFY(::mkfifo(QFile::encodeName(d + "/fifo").constData(), 0666) == 0);

    QTest::newRow("missing file") << d + "/missing.txt" << 53;
    QTest::newRow("missing folder") << d + "/nowhere/missing.txt" << 76;
    QTest::newRow("file used as folder") << d + "/plain.txt/x.txt" << 76;
    QTest::newRow("folder given as file") << d + "/folder" << 75;
    QTest::newRow("fifo without writer") << d + "/fifo" << 75;
    QTest::newRow("endless device") << "/dev/zero" << 75;
    QTest::newRow("empty path") << QString() << 53;
}

void TestFileAccess::readErrors()
{
    QFETCH(QString, path);
    QFETCH(int, code);
    QCOMPARE(errorOf([&] { FileAccess::FileLength(path); }), code);
    QCOMPARE(errorOf([&] { FileAccess::ReadWholeFile(path); }), code);
}

void TestFileAccess::readsWholeFilesExactly_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("empty") << qsizetype(0);
    QTest::newRow("one byte") << qsizetype(1);
    QTest::newRow("several read chunks") << qsizetype(FileAccess::WriteChunk * 2 + 3);
}

void TestFileAccess::readsWholeFilesExactly()
{
    QFETCH(qsizetype, size);
    const QString path = m_dir.filePath(QStringLiteral("read-%1.bin").arg(size));
    const QByteArray data = randomBytes(size, quint32(size));
    writeFile(path, data);
    QCOMPARE(FileAccess::FileLength(path), qint64(size));
    QCOMPARE(FileAccess::ReadWholeFile(path), data);
}

void TestFileAccess::saveReplacesContentsAndLeavesNoTemporary()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Документ.txt"));
    const QByteArray longer = randomBytes(FileAccess::WriteChunk + 10, 1);
    FileAccess::SaveFile(path, longer);
    QCOMPARE(readFile(path), longer);
    FileAccess::SaveFile(path, "short");
    QCOMPARE(readFile(path), QByteArray("short"));
    FileAccess::SaveFile(path, QByteArray());
    QCOMPARE(readFile(path), QByteArray());
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("Документ.txt")});
    QCOMPARE(modeOf(path), mode_t(0666 & ~currentUmask()));
}

void TestFileAccess::saveKeepsPermissions()
{
    QTemporaryDir dir;
    for (mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0755), mode_t(0604)}) {
        const QString path = dir.filePath(QStringLiteral("mode-%1").arg(mode, 0, 8));
        writeFile(path, "old");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
        FileAccess::SaveFile(path, "new");
        QCOMPARE(readFile(path), QByteArray("new"));
        QCOMPARE(modeOf(path), mode);
    }
}

void TestFileAccess::saveThroughLinkKeepsLink()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("real");
    const QString real = dir.filePath("real/notes.txt");
    writeFile(real, "old");
    QVERIFY(::chmod(QFile::encodeName(real).constData(), 0640) == 0);
    // A relative link to a relative link.
    QVERIFY(QFile::link("real/notes.txt", dir.filePath("first")));
    QVERIFY(QFile::link("first", dir.filePath("second")));

    FileAccess::SaveFile(dir.filePath("second"), "new");
    QCOMPARE(QFileInfo(dir.filePath("second")).symLinkTarget(), QFileInfo(dir.filePath("first")).absoluteFilePath());
    QVERIFY(QFileInfo(dir.filePath("first")).isSymLink());
    QCOMPARE(readFile(real), QByteArray("new"));
    QCOMPARE(modeOf(real), mode_t(0640));
    QCOMPARE(entries(dir.filePath("real")), QStringList{"notes.txt"});

    // A dangling link gets the file it names.
    QVERIFY(QFile::link("real/later.txt", dir.filePath("dangling")));
    FileAccess::SaveFile(dir.filePath("dangling"), "created");
    QVERIFY(QFileInfo(dir.filePath("dangling")).isSymLink());
    QCOMPARE(readFile(dir.filePath("real/later.txt")), QByteArray("created"));
}

void TestFileAccess::saveFailingHalfWayKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    const QByteArray old = randomBytes(1000, 2);
    writeFile(path, old);

    qint64 reachedBeforeFault = 0;
    FileAccess::writeFaultHook = [&](qint64 written) {
        reachedBeforeFault = written;
        return ENOSPC;
    };
    const auto restore = qScopeGuard([] { FileAccess::writeFaultHook = nullptr; });
    QCOMPARE(errorOf([&] { FileAccess::SaveFile(path, randomBytes(3 * FileAccess::WriteChunk, 3)); }), 1000 + ENOSPC);
    QCOMPARE(reachedBeforeFault, FileAccess::WriteChunk);
    QCOMPARE(readFile(path), old);
    QCOMPARE(entries(dir.path()), QStringList{"keep.txt"});
}

void TestFileAccess::saveErrors()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("plain.txt"), "x");
    QDir(dir.path()).mkdir("folder");
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0666) == 0);

    QCOMPARE(errorOf([&] { FileAccess::SaveFile(dir.filePath("nowhere/a.txt"), "x"); }), 76);
    QCOMPARE(errorOf([&] { FileAccess::SaveFile(dir.filePath("plain.txt/a.txt"), "x"); }), 76);
    QCOMPARE(errorOf([&] { FileAccess::SaveFile(dir.filePath("folder"), "x"); }), 75);
    QCOMPARE(errorOf([&] { FileAccess::SaveFile(dir.filePath("fifo"), "x"); }), 75);
    QCOMPARE(entries(dir.path()), QStringList({"fifo", "folder", "plain.txt"}));
}

void TestFileAccess::saveRefusedByProtectedTargets()
{
    // Places the system refuses even to root: a folder of the kernel's own file system, and an
    // immutable file.
    if (QFileInfo(QStringLiteral("/sys/kernel")).isDir())
        QCOMPARE(errorOf([] { FileAccess::SaveFile(QStringLiteral("/sys/kernel/jotbook-test.txt"), "x"); }), 75);

    QTemporaryDir dir;
    const QString path = dir.filePath("fixed.txt");
    writeFile(path, "old");
    if (::geteuid() != 0) {
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        QCOMPARE(errorOf([&] { FileAccess::SaveFile(path, "new"); }), 75);
        QCOMPARE(readFile(path), QByteArray("old"));
        return;
    }
    const QString chattr = QStandardPaths::findExecutable(QStringLiteral("chattr"));
    if (chattr.isEmpty() || QProcess::execute(chattr, {"+i", path}) != 0)
        QSKIP("cannot make a file immutable here");
    const auto unlock = qScopeGuard([&] { QProcess::execute(chattr, {"-i", path}); });
    QCOMPARE(errorOf([&] { FileAccess::SaveFile(path, "new"); }), 75);
    QCOMPARE(readFile(path), QByteArray("old"));
    QCOMPARE(entries(dir.path()), QStringList{"fixed.txt"});
}

void TestFileAccess::saveOnFullFileSystemKeepsOldFile()
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("jotbook-test", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("mounting a small file system is not permitted here");
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });

    const QString path = dir.filePath("small.txt");
    writeFile(path, "old contents");
    QCOMPARE(errorOf([&] { FileAccess::SaveFile(path, randomBytes(256 * 1024, 4)); }), 1000 + ENOSPC);
    QCOMPARE(readFile(path), QByteArray("old contents"));
    QCOMPARE(entries(dir.path()), QStringList{"small.txt"});
    FileAccess::SaveFile(path, "fits");
    QCOMPARE(readFile(path), QByteArray("fits"));
}

QTEST_MAIN(TestFileAccess)
#include "tst_fileaccess.moc"
