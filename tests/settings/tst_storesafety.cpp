#include "common/testsupport.h"
#include "settings/inifile.h"
#include "settings/settingsstore.h"
#include "storewriter.h"

#include "platform/errortrap.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sys/stat.h>
#include <unistd.h>

// The settings file against other copies of the program: killed while
// writing, writing at the same time, unable to write, and on a full disk.
class tst_StoreSafety : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void killedWhileWritingLeavesAWholeFile();
    void reloadWhileAnotherCopyWritesSeesWholeValues();
    void lockOfAKilledCopyDoesNotBlock_data();
    void lockOfAKilledCopyDoesNotBlock();
    void twoCopiesWritingAtOnceLoseNoKey();
    void unwritableStoreChangesNothing_data();
    void unwritableStoreChangesNothing();
    void fullDiskKeepsTheOldFileOrTheNew_data();
    void fullDiskKeepsTheOldFileOrTheNew();
};

namespace {

const QString FileName = QStringLiteral("Zdravin.conf");

QString names(const QList<Key> &keys)
{
    QStringList list;
    for (Key key : keys)
        list << keyName(key);
    return list.join(u',');
}

void startWriter(QProcess &writer, const QString &file, int rounds, const QList<Key> &keys,
    std::optional<Key> sentinel = std::nullopt)
{
    QStringList args = { file, QString::number(rounds), names(keys) };
    if (sentinel)
        args << keyName(*sentinel);
    writer.start(QStringLiteral(STOREWRITER_PATH), args);
}

// Reads the writer's output up to a line that starts with the prefix.
bool waitForLine(QProcess &writer, const QByteArray &prefix)
{
    for (;;) {
        while (writer.canReadLine()) {
            if (writer.readLine().startsWith(prefix))
                return true;
        }
        if (!writer.waitForReadyRead(30000))
            return false;
    }
}

// Root may write anywhere, so tests of what a user may not do run the writer
// as user nobody.
void startWriterAsNobody(QProcess &writer, const QStringList &args)
{
    writer.start(QStandardPaths::findExecutable(QStringLiteral("setpriv")),
        QStringList { QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
            QStringLiteral("--clear-groups"), QStringLiteral(STOREWRITER_PATH) }
            + args);
}

bool nobodyCanRunTheWriter()
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return false;
    QProcess probe; // without arguments the writer only complains
    startWriterAsNobody(probe, {});
    return probe.waitForFinished() && probe.exitCode() == 2;
}

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// True when the value is one the writer wrote to the key in some round.
bool isWholeValue(Key key, const QString &value)
{
    static const QRegularExpression round(QStringLiteral("^ \\w+ kolo (\\d+): "));
    const QRegularExpressionMatch match = round.match(value);
    return match.hasMatch() && value == storeWriterValue(key, match.captured(1).toInt());
}

// Empty when the file is one the writer wrote whole: it ends with a line
// end, every line is the section header or one of the writer's keys, the
// sentinel holds its name, and every key a value of some round, whole.
QString tornPart(const QByteArray &text, const QList<Key> &keys, Key sentinel)
{
    if (!text.endsWith('\n'))
        return QStringLiteral("no line end at the end");
    QStringList known = { keyName(sentinel) };
    for (Key key : keys)
        known << keyName(key);
    for (const QByteArray &line : text.chopped(1).split('\n')) {
        if (line != "[Path]" && !known.contains(QString::fromUtf8(line.left(line.indexOf('=')))))
            return QStringLiteral("stray line: ") + QString::fromUtf8(line.left(80));
    }
    const IniFile::Document document = IniFile::parse(text);
    if (IniFile::value(document, Store::Section, keyName(sentinel)) != keyName(sentinel))
        return QStringLiteral("sentinel lost");
    for (Key key : keys) {
        const QString value = IniFile::value(document, Store::Section, keyName(key)).value_or(QString());
        if (!isWholeValue(key, value))
            return keyName(key) + QStringLiteral(" torn: ") + value.right(40);
    }
    return {};
}

} // namespace

void tst_StoreSafety::killedWhileWritingLeavesAWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const Key sentinel = Key::Pictrure;
    QList<Key> keys;
    for (int i = 0; i < KeyCount; ++i) {
        if (Key(i) != sentinel)
            keys << Key(i);
    }
    for (int kill = 0; kill < 10; ++kill) {
        QProcess writer;
        startWriter(writer, path, 0, keys, sentinel);
        QVERIFY(waitForLine(writer, "round 1")); // from here on every key is in the file
        QThread::msleep(QRandomGenerator::global()->bounded(5, 51));
        writer.kill();
        QVERIFY(writer.waitForFinished());
        const QString torn = tornPart(fileText(path), keys, sentinel);
        QVERIFY2(torn.isEmpty(), qPrintable(QStringLiteral("after kill %1: %2").arg(kill).arg(torn)));
        SettingsStore next(path);
        QVERIFY(silently([&] { next.WriteSetting(Key::Text1, storeWriterValue(Key::Text1, 0)); }));
    }
}

// The settings window reads the file again when it opens, maybe while another
// copy replaces it.
void tst_StoreSafety::reloadWhileAnotherCopyWritesSeesWholeValues()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QList<Key> keys = { Key::Text1, Key::Text2 };
    QProcess writer;
    startWriter(writer, path, 0, keys);
    QVERIFY(waitForLine(writer, "round 1"));
    SettingsStore store(path);
    for (int i = 0; i < 300; ++i) {
        store.reload();
        for (Key key : keys)
            QVERIFY2(isWholeValue(key, store.ReadSetting(key, QString())), qPrintable(keyName(key)));
    }
    writer.kill();
    QVERIFY(writer.waitForFinished());
}

void tst_StoreSafety::lockOfAKilledCopyDoesNotBlock_data()
{
    QTest::addColumn<bool>("killedBeforeWritingIt");
    QTest::newRow("lock of a process that no longer runs") << false;
    QTest::newRow("empty lock, killed between creating and writing it") << true;
}

void tst_StoreSafety::lockOfAKilledCopyDoesNotBlock()
{
    QFETCH(bool, killedBeforeWritingIt);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QString lockPath = path + QStringLiteral(".lock");
    if (killedBeforeWritingIt) {
        QFile empty(lockPath);
        QVERIFY(empty.open(QIODevice::WriteOnly));
    } else {
        QProcess holder;
        holder.start(QStringLiteral(STOREWRITER_PATH), { QStringLiteral("--hold-lock"), path });
        QVERIFY(waitForLine(holder, "locked"));
        holder.kill();
        QVERIFY(holder.waitForFinished());
    }
    QVERIFY(QFileInfo::exists(lockPath));
    SettingsStore store(path);
    QVERIFY(silently([&] { store.WriteSetting(Key::Size, QStringLiteral("30")); }));
    QCOMPARE(SettingsStore(path).ReadSetting(Key::Size, QString()), QStringLiteral("30"));
    QVERIFY(!QFileInfo::exists(lockPath));
}

void tst_StoreSafety::twoCopiesWritingAtOnceLoseNoKey()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QList<Key> mine
        = { Key::Text1, Key::Date, Key::TextV, Key::DateF, Key::PictrureStrench, Key::Text, Key::Color };
    const QList<Key> theirs = { Key::Text2, Key::Cas, Key::Svatky, Key::CasF, Key::Pictrure, Key::Size, Key::Long };
    const int rounds = 40;
    QProcess a, b;
    startWriter(a, path, rounds, mine);
    startWriter(b, path, rounds, theirs);
    for (QProcess *writer : { &a, &b }) {
        QVERIFY(writer->waitForFinished(120000));
        QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
        QVERIFY2(writer->exitCode() == 0, writer->readAllStandardOutput().right(200).constData());
    }
    SettingsStore fresh(path);
    for (Key key : mine + theirs)
        QCOMPARE(fresh.ReadSetting(key, QString()), storeWriterValue(key, rounds));
}

void tst_StoreSafety::unwritableStoreChangesNothing_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");
    QTest::newRow("read-only folder") << 0555 << 0644;
    QTest::newRow("unreadable file in a writable folder") << 0777 << 0600;
    QTest::newRow("read-only file in a writable folder") << 0777 << 0444;
}

// Root may write anywhere, so the writer runs as nobody against root's files.
void tst_StoreSafety::unwritableStoreChangesNothing()
{
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    if (!nobodyCanRunTheWriter())
        QSKIP("needs root, setpriv and a build folder user nobody can reach");

    QTemporaryDir dir(QStringLiteral("/tmp/zdravinky-XXXXXX"));
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    const QString folder = dir.filePath(QStringLiteral("config"));
    const QString path = folder + u'/' + FileName;
    const QByteArray before("; upraveno ručně\n[Path]\nText1=Ahoj, světe\nSize=30\n");
    QVERIFY(QDir().mkpath(folder));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    QVERIFY(::chmod(QFile::encodeName(path).constData(), fileMode) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), folderMode) == 0);

    QProcess writer;
    startWriterAsNobody(writer, { path, QStringLiteral("3"), names({ Key::Text1, Key::Text2, Key::Size }) });
    QVERIFY(writer.waitForFinished(60000));
    QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(writer.exitCode(), 1);
    QVERIFY(writer.readAllStandardOutput().contains("written 0 failed 9"));
    QCOMPARE(fileText(path), before);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList { FileName });
}

void tst_StoreSafety::fullDiskKeepsTheOldFileOrTheNew_data()
{
    QTest::addColumn<int>("freeKiB");
    QTest::addColumn<bool>("everyKeyFits");
    for (int kib : { 0, 1, 2, 3, 5, 8, 13, 21 })
        QTest::addRow("%d KiB free", kib) << kib << false;
    QTest::newRow("room for every key") << 96 << true;
}

// The settings window's OK on a nearly full disk: eleven keys new to the file,
// one write each, by an ordinary user (root could use reserved blocks) on an
// ext4 file system of 1 KiB blocks. Every write reaches the file whole or
// leaves it as it was, byte for byte.
void tst_StoreSafety::fullDiskKeepsTheOldFileOrTheNew()
{
    QFETCH(int, freeKiB);
    QFETCH(bool, everyKeyFits);
    if (!nobodyCanRunTheWriter())
        QSKIP("needs root, setpriv and a build folder user nobody can reach");
    QTemporaryDir dir(QStringLiteral("/tmp/zdravinky-XXXXXX"));
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    const QString image = dir.filePath(QStringLiteral("disk.img"));
    const QString disk = dir.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkdir(disk));
    QFile imageFile(image);
    QVERIFY(imageFile.open(QIODevice::WriteOnly) && imageFile.resize(512 * 1024));
    imageFile.close();
    QCOMPARE(QProcess::execute(QStringLiteral("mkfs.ext4"),
                 { QStringLiteral("-qF"), QStringLiteral("-b1024"), QStringLiteral("-m0"),
                     QStringLiteral("-O^has_journal"), image }),
        0);
    QCOMPARE(QProcess::execute(QStringLiteral("mount"), { QStringLiteral("-oloop"), image, disk }), 0);
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), { disk }); });
    QVERIFY(::chmod(QFile::encodeName(disk).constData(), 0777) == 0);

    const QString path = disk + u'/' + FileName;
    const QByteArray before("; upraveno ručně\n[Path]\nLong=30\nText1=Ahoj\nTextV=1\n");
    auto write = [](const QString &name, const QByteArray &bytes) {
        QFile file(name);
        return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size();
    };
    QVERIFY(write(path, before));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0666) == 0);
    // Fills the disk up, then frees as much as is to be left free.
    QVERIFY(write(disk + QStringLiteral("/free"), QByteArray(freeKiB * 1024, 'x')));
    QFile full(disk + QStringLiteral("/full"));
    QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (full.write(QByteArray(1024, 'x')) == 1024) { }
    full.close();
    QVERIFY(QFile::remove(disk + QStringLiteral("/free")));
    QList<Key> keys;
    for (int i = 0; i < KeyCount; ++i) {
        if (Key(i) != Key::Long && Key(i) != Key::Text1 && Key(i) != Key::TextV)
            keys << Key(i);
    }
    QProcess writer;
    startWriterAsNobody(writer, { path, QStringLiteral("1"), names(keys) });
    QVERIFY(writer.waitForFinished(60000));
    const QByteArray output = writer.readAllStandardOutput();

    // What the writes that succeeded make of the old file: each key the file
    // now holds, whole, and nothing else changed.
    const QByteArray after = fileText(path);
    IniFile::Document expected = IniFile::parse(before);
    int written = 0;
    for (Key key : keys) {
        if (IniFile::value(IniFile::parse(after), Store::Section, keyName(key))) {
            IniFile::setValue(expected, Store::Section, keyName(key), storeWriterValue(key, 1));
            ++written;
        }
    }
    QCOMPARE(after, IniFile::serialize(expected));
    QVERIFY2(output.contains(QStringLiteral("written %1 failed %2").arg(written).arg(keys.size() - written).toUtf8()),
        output.constData());
    QCOMPARE(written == keys.size(), everyKeyFits);
}

QTEST_MAIN(tst_StoreSafety)
#include "tst_storesafety.moc"
