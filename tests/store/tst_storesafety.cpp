#include "common/testsupport.h"
#include "platform/errortrap.h"
#include "store/inifile.h"
#include "store/settingsstore.h"
#include "storewriter.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

// The settings file against other copies of the program (storewriter)
// killed while writing and writing at the same time.
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
        // What a killed copy left beside the file, its new file or its lock, is cleared by the next write.
        QVERIFY(silently([&] { store.WriteSetting(Key(0), "last"); }));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), { "Zdravin.conf" });
    }
};

QTEST_MAIN(tst_StoreSafety)
#include "tst_storesafety.moc"
