// Reading whole files with the program's error numbers, and saving that never leaves a broken file.

#include "document/FileAccess.h"
#include "platform/interfaces/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

bool setOwner(const QString &path, uid_t uid, gid_t gid, mode_t mode)
{
    const QByteArray p = QFile::encodeName(path);
    return ::chown(p.constData(), uid, gid) == 0 && ::chmod(p.constData(), mode) == 0;
}

// Another local user for the saves that root would do differently; no account is needed.
constexpr uid_t OtherUser = 4242;
constexpr gid_t OtherGroup = 4242;
constexpr gid_t SharedGroup = 4300;

// Saves through this test program started anew, as another user when asUser is set; the helper
// can also kill itself after its first written chunk. Returns what it printed.
QByteArray saveInChild(const QString &path, const QByteArray &text, bool asUser, const QStringList &extra = {})
{
    QProcess child;
    QStringList args{"--save", path, QString::fromLatin1(text)};
    args += extra;
    if (asUser) {
        args.prepend(QCoreApplication::applicationFilePath());
        args = QStringList{"--reuid=4242", "--regid=4242", "--groups=4300"} + args;
        child.start(QStringLiteral("setpriv"), args);
    } else {
        child.start(QCoreApplication::applicationFilePath(), args);
    }
    if (!child.waitForFinished(30000))
        return "timeout";
    return child.exitStatus() == QProcess::CrashExit ? QByteArray("killed")
                                                     : child.readAllStandardOutput().trimmed();
}

QString wayName(platform::WriteWay way)
{
    return way == platform::WriteWay::Replaced ? QStringLiteral("replaced") : QStringLiteral("in place");
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
    void readsFilesOfStatedLengthZero_data();
    void readsFilesOfStatedLengthZero();
    void saveKeepsWhatTheFileHas_data();
    void saveKeepsWhatTheFileHas();
    void temporaryIsPrivate_data();
    void temporaryIsPrivate();
    void killedSaveLeavesNothing_data();
    void killedSaveLeavesNothing();

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

    // Written in place, the space is reserved before the old contents are touched.
    QVERIFY(::link(mountPoint + "/small.txt", mountPoint + "/second name") == 0);
    QCOMPARE(errorOf([&] { FileAccess::SaveFile(path, randomBytes(256 * 1024, 5)); }), 1000 + ENOSPC);
    QCOMPARE(readFile(dir.filePath("second name")), QByteArray("fits"));
}

void TestFileAccess::readsFilesOfStatedLengthZero_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("kernel version") << "/proc/version";
    QTest::newRow("own command line") << "/proc/self/cmdline";
}

void TestFileAccess::readsFilesOfStatedLengthZero()
{
    QFETCH(QString, path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() != 0)
        QSKIP("no such file of stated length 0 here");
    const QByteArray contents = f.readAll();
    QVERIFY(!contents.isEmpty());
    QCOMPARE(FileAccess::FileLength(path), qint64(contents.size()));
    QCOMPARE(FileAccess::ReadWholeFile(path), contents);
}

void TestFileAccess::saveKeepsWhatTheFileHas_data()
{
    QTest::addColumn<bool>("asUser");
    QTest::addColumn<uint>("fileOwner");
    QTest::addColumn<uint>("fileGroup");
    QTest::addColumn<uint>("fileMode");
    QTest::addColumn<uint>("folderOwner");
    QTest::addColumn<uint>("folderMode");
    QTest::addColumn<int>("extra");   // 1 a second hard link, 2 an extended attribute, 3 an immutable folder
    QTest::addColumn<QString>("result");

    QTest::newRow("plain file") << false << 0u << 0u << 0640u << 0u << 0755u << 0 << "replaced";
    QTest::newRow("second hard link") << false << 0u << 0u << 0640u << 0u << 0755u << 1 << "in place";
    QTest::newRow("extended attribute") << false << 0u << 0u << 0640u << 0u << 0755u << 2 << "replaced";
    QTest::newRow("immutable folder") << false << 0u << 0u << 0640u << 0u << 0755u << 3 << "in place";
    QTest::newRow("user's own file") << true << 4242u << 4242u << 0600u << 4242u << 0755u << 0 << "replaced";
    QTest::newRow("user's group kept") << true << 4242u << 4300u << 0664u << 4242u << 0755u << 0 << "replaced";
    QTest::newRow("folder closed to the user") << true << 4242u << 4242u << 0644u << 0u << 0755u << 0 << "in place";
    QTest::newRow("another owner's file") << true << 0u << 0u << 0666u << 4242u << 0755u << 0 << "in place";
    QTest::newRow("group-shared file") << true << 0u << 4300u << 0664u << 0u << 02775u << 0 << "in place";
    QTest::newRow("group the user is not in") << true << 4242u << 5000u << 0666u << 4242u << 0755u << 0 << "in place";
    QTest::newRow("read-only file") << true << 4242u << 4242u << 0444u << 4242u << 0755u << 0 << "error 75";
}

void TestFileAccess::saveKeepsWhatTheFileHas()
{
    QFETCH(bool, asUser);
    QFETCH(uint, fileOwner);
    QFETCH(uint, fileGroup);
    QFETCH(uint, fileMode);
    QFETCH(uint, folderOwner);
    QFETCH(uint, folderMode);
    QFETCH(int, extra);
    QFETCH(QString, result);
    if (asUser && (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty()))
        QSKIP("saving as another user needs root and setpriv");

    QTemporaryDir top;
    QVERIFY(::chmod(QFile::encodeName(top.path()).constData(), 0711) == 0);
    const QString folder = top.filePath("folder");
    const QString path = folder + "/notes.txt";
    QVERIFY(QDir().mkdir(folder));
    writeFile(path, "old text");
    QVERIFY(setOwner(path, fileOwner, fileGroup, fileMode));
    QStringList names{"notes.txt"};
    if (extra == 1) {
        QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(folder + "/other name").constData()) == 0);
        names.append("other name");
    }
    if (extra == 2 && ::setxattr(QFile::encodeName(path).constData(), "user.jotbook", "kept", 4, 0) != 0)
        QSKIP("no extended attributes here");
    QVERIFY(setOwner(folder, folderOwner, folderMode & 02000 ? fileGroup : 0, folderMode));
    const QString chattr = QStandardPaths::findExecutable(QStringLiteral("chattr"));
    if (extra == 3 && (chattr.isEmpty() || QProcess::execute(chattr, {"+i", folder}) != 0))
        QSKIP("cannot make a folder immutable here");
    const auto unlock = qScopeGuard([&] { if (extra == 3) QProcess::execute(chattr, {"-i", folder}); });
    const struct stat before = statOf(path);

    QString said;
    if (asUser)
        said = QString::fromLatin1(saveInChild(path, "new text", true));
    else
        said = wayName(FileAccess::SaveFile(path, "new text"));
    QCOMPARE(said, result);

    const struct stat after = statOf(path);
    QCOMPARE(readFile(path), QByteArray(result.startsWith("error") ? "old text" : "new text"));
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino == before.st_ino, result != "replaced");
    if (extra == 1)
        QCOMPARE(readFile(folder + "/other name"), QByteArray("new text"));
    if (extra == 2) {
        char value[16] = {};
        QCOMPARE(::getxattr(QFile::encodeName(path).constData(), "user.jotbook", value, sizeof value), ssize_t(4));
        QCOMPARE(QByteArray(value), QByteArray("kept"));
    }
    names.sort();
    QCOMPARE(entries(folder), names);
}

void TestFileAccess::temporaryIsPrivate_data()
{
    QTest::addColumn<bool>("unnamed");
    QTest::addColumn<bool>("existing");
    QTest::newRow("unnamed, over a file") << true << true;
    QTest::newRow("unnamed, new file") << true << false;
    QTest::newRow("named, over a file") << false << true;
    QTest::newRow("named, new file") << false << false;
}

void TestFileAccess::temporaryIsPrivate()
{
    QFETCH(bool, unnamed);
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString path = dir.filePath("open.txt");
    if (existing) {
        writeFile(path, "old");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
    }
    QStringList seen;
    mode_t openBits = 0;
    platform::useUnnamedTemporary = unnamed;
    FileAccess::writeFaultHook = [&](qint64) {
        for (const QString &name : entries(dir.path())) {
            if (name == "open.txt")
                continue;
            seen << name;
            openBits |= modeOf(dir.filePath(name)) & 077;
        }
        return 0;
    };
    const auto restore = qScopeGuard([] {
        FileAccess::writeFaultHook = nullptr;
        platform::useUnnamedTemporary = true;
    });
    FileAccess::SaveFile(path, "secret");
    QCOMPARE(seen.size(), unnamed ? 0 : 1);
    QCOMPARE(openBits, mode_t(0));
    QCOMPARE(readFile(path), QByteArray("secret"));
    QCOMPARE(modeOf(path), existing ? mode_t(0644) : mode_t(0666 & ~currentUmask()));
}

void TestFileAccess::killedSaveLeavesNothing_data()
{
    QTest::addColumn<bool>("unnamed");
    QTest::newRow("unnamed temporary") << true;
    QTest::newRow("named temporary") << false;
}

void TestFileAccess::killedSaveLeavesNothing()
{
    QFETCH(bool, unnamed);
    QTemporaryDir dir;
    const QString path = dir.filePath("diary.txt");
    writeFile(path, "old");
    const QStringList extra = unnamed ? QStringList{"--kill"} : QStringList{"--kill", "--named"};
    QCOMPARE(saveInChild(path, "new", false, extra), QByteArray("killed"));
    QCOMPARE(readFile(path), QByteArray("old"));

    // A named copy stays until the next save; copies of live savers and of other users stay.
    const QStringList left = entries(dir.path()).filter(".jotbook-");
    QCOMPARE(left.size(), unnamed ? 0 : 1);
    for (const QString &name : left)
        QCOMPARE(modeOf(dir.filePath(name)) & 077, mode_t(0));
    const QString deadPid = left.isEmpty() ? QStringLiteral("999999999") : left.first().section('-', 1, 1);
    const QString live = ".diary.txt.jotbook-1-a", foreign = ".diary.txt.jotbook-" + deadPid + "-b";
    writeFile(dir.filePath(live), "x");
    writeFile(dir.filePath(foreign), "x");
    QVERIFY(setOwner(dir.filePath(foreign), OtherUser, OtherGroup, 0600));

    platform::useUnnamedTemporary = unnamed;
    const auto restore = qScopeGuard([] { platform::useUnnamedTemporary = true; });
    FileAccess::SaveFile(path, "new");
    QCOMPARE(readFile(path), QByteArray("new"));
    QCOMPARE(entries(dir.path()), QStringList({live, foreign, "diary.txt"}));
}

int main(int argc, char *argv[])
{
    // Child mode: save argv[3] to argv[2] and say how, or die after the data is written.
    if (argc >= 4 && qstrcmp(argv[1], "--save") == 0) {
        const QStringList options = QStringList(argv + 4, argv + argc);
        platform::useUnnamedTemporary = !options.contains("--named");
        if (options.contains("--kill"))
            FileAccess::writeFaultHook = [](qint64) { return ::raise(SIGKILL); };
        try {
            puts(qPrintable(wayName(FileAccess::SaveFile(QString::fromLocal8Bit(argv[2]), argv[3]))));
        } catch (const platform::RuntimeError &e) {
            printf("error %d\n", e.code);
        }
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestFileAccess test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_fileaccess.moc"
