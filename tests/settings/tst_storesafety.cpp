#include "common/testsupport.h"
#include "platform/errortrap.h"
#include "settings/inifile.h"
#include "settings/settingsstore.h"
#include "storewriter.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

// The settings file against other copies of the program (storewriter):
// killed while writing, writing at the same time, unable to write, and on a
// full disk.
class tst_StoreSafety : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private:
    // How many keys the writer wrote into what the file held before, each
    // whole, of some round; -1 when the file holds anything else.
    static int wholeKeys(const QString &path, const QByteArray &before)
    {
        QFile file(path);
        const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        IniFile::Document whole = IniFile::parse(before);
        int count = 0;
        for (int i = 0; i < KeyCount; ++i) {
            const QString value = IniFile::value(IniFile::parse(text), Store::Section, keyName(Key(i))).value_or("");
            if (value == storeWriterValue(Key(i), value.section(' ', 1, 1).toInt()))
                count += IniFile::setValue(whole, Store::Section, keyName(Key(i)), value);
        }
        return text == IniFile::serialize(whole) ? count : -1;
    }

private Q_SLOTS:
    // Another copy keeps writing every key but the first, while this one
    // writes the first and reads the file; then it is killed at a random
    // moment, ten times. Neither copy loses a key, every file read is whole,
    // and no lock a killed copy left blocks: neither an empty one (killed
    // before it wrote into it) nor one of a copy that no longer runs.
    void killedWhileWritingLeavesAWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Zdravin.conf");
        SettingsStore store(path);
        QVERIFY(QFile(path + ".lock").open(QIODevice::WriteOnly));
        QString mine = "first";
        QVERIFY(silently([&] { store.WriteSetting(Key(0), mine); }));
        for (int kill = 0; kill < 10; ++kill) {
            QProcess writer;
            writer.start(STOREWRITER_PATH, { path, "0", "1", "1" });
            QVERIFY(writer.waitForReadyRead(30000)); // from here on every key is in the file
            for (int i = QRandomGenerator::global()->bounded(1, 20); i > 0; --i) {
                mine = QStringLiteral("%1.%2").arg(kill).arg(i);
                QVERIFY(silently([&] { store.WriteSetting(Key(0), mine); }));
                QCOMPARE(wholeKeys(path, "[Path]\nPictrureStrench=" + mine.toUtf8() + '\n'), KeyCount - 1);
            }
            writer.kill();
            QVERIFY(writer.waitForFinished());
            QCOMPARE(wholeKeys(path, "[Path]\nPictrureStrench=" + mine.toUtf8() + '\n'), KeyCount - 1);
        }
    }

    void unwritableOrFullKeepsTheOldFileOrTheNew_data()
    {
        QTest::addColumn<QString>("modes"); // of the folder and the file
        QTest::addColumn<int>("freeKiB"); // on a disk of its own; -1: no such disk
        QTest::newRow("read-only folder") << "555 644" << -1;
        QTest::newRow("unreadable file") << "777 600" << -1;
        QTest::newRow("read-only file") << "777 444" << -1;
        for (int kib : { 0, 2, 13, 100 }) // 2: the first write fails; 13: a short write; 100: room for all
            QTest::addRow("%d KiB free", kib) << "777 666" << kib;
    }

    // User nobody (root may write anywhere, and use reserved blocks) writes
    // every key, new to the file, once: each write reaches the file whole or
    // leaves it as it was, byte for byte, and leaves nothing behind. The disk
    // is an ext4 file system of 1 KiB blocks, filled up but for freeKiB.
    void unwritableOrFullKeepsTheOldFileOrTheNew()
    {
        QFETCH(QString, modes);
        QFETCH(int, freeKiB);
        QTemporaryDir dir("/tmp/zdravinky-XXXXXX");
        const QString disk = dir.filePath("disk"), path = disk + "/config/Zdravin.conf";
        const QByteArray before = "; upraveno ručně\n[Path]\n";
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", { "-q", disk }); });
        const char *script = R"sh(chmod 755 "$(dirname "$0")" && mkdir "$0"
            [ $1 -lt 0 ] || { truncate -s512K "$0.img" && mkfs.ext4 -qF -b1024 -m0 -O^has_journal "$0.img"; }
            [ $1 -lt 0 ] || mount -oloop "$0.img" "$0"
            mkdir "$0/config" && printf %s "$3" >"$0/config/Zdravin.conf"
            chmod ${2#* } "$0/config/Zdravin.conf" && chmod ${2% *} "$0/config"
            # fills the disk up (dd stops when it is full), then frees what is to stay free
            [ $1 -lt 0 ] || { head -c $1K /dev/zero >"$0/free" && dd if=/dev/zero of="$0/full" bs=1K 2>/dev/null || rm "$0/free"; }
            exec setpriv --reuid=nobody --regid=nogroup --clear-groups "$4" "$0/config/Zdravin.conf" 1 0 1 >/dev/null)sh";
        const int failed = QProcess::execute(
            "sh", { "-ec", script, disk, QString::number(freeKiB), modes, before, STOREWRITER_PATH });
        QVERIFY2(failed <= KeyCount, "user nobody cannot run the writer from here, or the disk failed");
        QCOMPARE(wholeKeys(path, before), KeyCount - failed);
        QCOMPARE(failed == 0, freeKiB >= 100); // 100 KiB hold every key
        QCOMPARE(QDir(disk + "/config").entryList(QDir::Files | QDir::Hidden), { "Zdravin.conf" });
    }
};

QTEST_MAIN(tst_StoreSafety)
#include "tst_storesafety.moc"
