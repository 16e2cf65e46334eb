#include "common/tempstore.h"
#include "common/testsupport.h"
#include "platform/errortrap.h"
#include "settings/inifile.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <sys/stat.h>

// The settings file as people edit it, and what the store makes of it.
class tst_SettingsStore : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    // A file written by hand is read as a person means it, and a write
    // changes only the line it must: writing the value read writes nothing.
    void handEdited_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value"); // Text1 as read (or absent), then written; null: removed
        QTest::addColumn<QByteArray>("after"); // null: as before
        auto row = [](const char *name, const QByteArray &before, const QString &value, const QByteArray &after = {}) {
            QTest::newRow(name) << before << value << after;
        };
        row("unquoted: literal, trimmed", "[Path]\n  Text1 = \t a, b; 1,5 \n", "a, b; 1,5");
        row("quoted: escapes, spaces", "[Path]\nText1= \" a\\\"\\\\\\r\\n\\x41\\u010D \" ; x\n", " a\"\\\r\nAč ");
        row("unknown escape, unterminated", "[Path]\nText1=\"C:\\Obrázky\\x\\Já.jpg\n", "C:\\Obrázky\\x\\Já.jpg");
        row("empty", "[Path]\nText1=\n", "");
        row("invalid UTF-8", "[Path]\nText1=a\xC3\x28\xFF\n", "a\uFFFD(\uFFFD");
        row("1 MiB", QByteArray("[Path]\nText1=Ahoj\n").leftJustified(SettingsStore::MaxFileSize, ';'), "Ahoj");
        row("last duplicate wins", "[Path]\nText1=a\n[X]\n[Path]\nText1=b\n", "b", "[Path]\n[X]\n[Path]\nText1=b\n");
        row("remove every duplicate", "[Path]\nText1=1\n[Path]\nText1=2\n", {}, "[Path]\n[Path]\n");
        row("garbage, elsewhere", QByteArrayLiteral("\0\xFF[Path\nText1=x\n=\n[]\n[X]\nText1=y\n[Path]\ntext1=y"), "x",
            QByteArrayLiteral("\0\xFF[Path\nText1=x\n=\n[]\n[X]\nText1=y\n[Path]\ntext1=y\nText1=x\n"));
        row("BOM, CR LF, lone CR", "\xEF\xBB\xBF[Path]\r\n;x\rText=A\r\r", "x", "[Path]\n;x\nText=A\nText1=x\n\n");
        row("second BOM", "\xEF\xBB\xBF\xEF\xBB\xBFx=1", "x", "\xEF\xBB\xBF\xEF\xBB\xBFx=1\n\n[Path]\nText1=x\n");
        row("last [Path]", "[Path]\n[X]\n[Path]\nC=1\n;\n\n", "x", "[Path]\n[X]\n[Path]\nC=1\nText1=x\n;\n\n");
        const QByteArray mine = "; \xE1\n[Path]\n T =A\n# Text1=8\nK\xE9y=\x8E\xED\xA0\x80\n\n[Jin\xE9]\ny=\"q\"\n";
        const QByteArray added = QByteArray(mine).replace("\x80\n", "\x80\nText1=12\n");
        row("one line added", mine, "12", added);
        row("one line removed", added, {}, mine);
        row("unquoted when it reads back", "", "Svátek má: \U0001F600", "[Path]\nText1=Svátek má: \U0001F600\n");
        row("quoted", "", "a, \t\x01\x7f\u0085\u2028", "[Path]\nText1=\"a, \\t\\x01\\x7f\\x85\\u2028\"\n");
    }

    void handEdited()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        TempStore temp(before);
        if (!value.isNull())
            QCOMPARE(temp.store().ReadSetting(Key::Text1, value), value);
        value.isNull() ? temp.store().RemoveSetting(Key::Text1) : temp.store().WriteSetting(Key::Text1, value);
        QCOMPARE(temp.fileText(), after.isNull() ? before : after);
        QCOMPARE(SettingsStore(temp.filePath()).ReadSetting(Key::Text1, "none"), value.isNull() ? "none" : value);
    }

    // Random texts of the characters that matter, each written over the last
    // one as read from the file, and read back.
    void everyTextSurvivesTheFile()
    {
        const QString alphabet = QString::fromUtf16(u" \t\"\\,;#=\r\n[]x0nuá\x01\x7f\x85\u2028\U0001F600\xD800\xDC00");
        QRandomGenerator random(26);
        IniFile::Document document;
        for (int round = 0; round < 3000; ++round) {
            QString value;
            for (int length = random.bounded(9); length > 0; --length)
                value += alphabet[random.bounded(int(alphabet.size()))];
            IniFile::setValue(document, {}, "a", value);
            document = IniFile::parse(IniFile::serialize(document));
            QCOMPARE(IniFile::value(document, {}, "a"), value);
        }
    }

    // The store had read a good file when the path became something else.
    void oddFileIsNeverLostNorHangs_data()
    {
        QTest::addColumn<QString>(
            "script"); // makes the file ($0) something else; $T is a file beside it, in the same folder
        QTest::addColumn<QByteArray>("written"); // what writing Size=40 adds to what `look` shows; none: it fails
        auto row = [](const char *name, const char *script, const QByteArray &written = {}) {
            QTest::newRow(name) << QString(script) << written;
        };
        row("FIFO", "mkfifo \"$0\"");
        row("link to /dev/zero", "ln -s /dev/zero \"$0\"");
        row("link to a device node", "mknod $T c 1 3 && ln -s $T \"$0\"");
        row("folder", "mkdir \"$0\"");
        row("folder is a file", "rmdir \"$(dirname \"$0\")\" && touch \"$(dirname \"$0\")\"");
        row("over 1 MiB", "{ echo [Path]; echo Size=50; head -c 1M /dev/zero; } >\"$0\"");
        row("link to a read-only file", "echo [Path] >$T && chmod 444 $T && ln -s $T \"$0\"", "Size=40\n");
        row("link to a file not there yet", "ln -s $T \"$0\"", "644\n[Path]\nSize=40\n");
    }

    // A read gives the file's value or the fallback at once; a write goes
    // where a link leads, keeping the link and the file's mode, or fails and
    // leaves everything as it was, in memory too.
    void oddFileIsNeverLostNorHangs()
    {
        QFETCH(QString, script);
        QFETCH(QByteArray, written);
        QTemporaryDir dir;
        const QString path = dir.filePath("config/Zdravin.conf");
        auto sh = [&](const QString &script) {
            QProcess shell;
            shell.start("sh", { "-c", "cd \"$(dirname \"$0\")\"; T=Zdravin.conf.target; " + script, path });
            return shell.waitForFinished() ? shell.readAllStandardOutput() : QByteArray();
        };
        ::umask(022); // so that a new file's mode is known
        SettingsStore store(path);
        store.RemoveSetting(Key::Size); // not there: nothing to write, not even a folder
        QVERIFY(!QFileInfo::exists(dir.filePath("config")));
        store.WriteSetting(Key::Size, "30");
        QCOMPARE(sh("rm \"$0\" && " + script + " && echo made"), "made\n");
        const QString look = "stat -c '%F %N' \"$0\"; [ -f \"$0\" ] && stat -Lc %a \"$0\" && cat \"$0\"";
        const QByteArray before = sh(look);
        QCOMPARE(silently([&] { store.WriteSetting(Key::Size, "40"); }), !written.isEmpty());
        QCOMPARE(sh(look), before + written);
        QCOMPARE(store.ReadSetting(Key::Size, {}), written.isEmpty() ? "30" : "40");
        store.reload();
        QCOMPARE(store.ReadSetting(Key::Size, "none"), written.isEmpty() ? "none" : "40");
    }
};

QTEST_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
