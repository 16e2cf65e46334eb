#include "common/faults.h"
#include "common/tempstore.h"
#include "common/testsupport.h"
#include "platform/errortrap.h"
#include "store/inifile.h"
#include "storewriter.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

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
        row("NUL, short hex", "[Path]\nText1=\"\\0\\x4z\"\n", QStringLiteral("\0\x04z"));
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

    void everyCallOfASaveFails_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<QString>("value"); // of Text1; null: removed
        QTest::newRow("a key changed") << QByteArray("[Path]\nText1=a\n; ručně\n") << QString("b");
        QTest::newRow("the first key") << QByteArray() << QString("b");
        QTest::newRow("a key removed") << QByteArray("[Path]\nText1=a\n") << QString();
    }

    // Each system call of one save fails in turn. The file is then the old
    // one or the new one, byte for byte, as the save reports, with the old
    // one's mode and owner; a failing call on the file, on the new file or
    // taking the lock fails the save. Nothing is left beside the file but
    // what a failing removal could not remove, and the next save works and
    // clears it, with a new file that a killed copy left (never a file of the
    // user's own).
    void everyCallOfASaveFails()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        IniFile::Document document = IniFile::parse(before);
        value.isNull() ? IniFile::remove(document, Store::Section, "Text1")
                       : IniFile::setValue(document, Store::Section, "Text1", value);
        const QByteArray after = IniFile::serialize(document);
        const QRegularExpression mustFail(R"(^(?!close|unlink).* (Zdravin\.conf|\..*\.new)$|^flock .*\.lock$)");
        const QStringList mine = { "Zdravin.conf", "Zdravin.conf.bak" }, killed = { ".Zdravin.conf.0123xyz.new" };
        QStringList calls;
        for (int n = 1;; ++n) {
            TempStore temp;
            const QString path = temp.filePath();
            const QDir folder = QFileInfo(path).dir();
            QVERIFY(QFile(path + ".bak").open(QIODevice::WriteOnly)
                && QFile(folder.filePath(killed[0])).open(QIODevice::WriteOnly));
            if (!before.isNull()) // a file of another user (root may keep its owner) that others may not read
                temp.setFileText(before),
                    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
            QVERIFY(before.isNull() || ::geteuid() != 0 || ::chown(QFile::encodeName(path), 65534, 65534) == 0);
            const auto look = [&] { // mode, owner and group
                const QFileInfo file(path);
                return QStringLiteral("%1 %2 %3").arg(file.permissions()).arg(file.ownerId()).arg(file.groupId());
            };
            const QString old = look();
            SettingsStore &store = temp.store();
            const auto save = [&](const QString &text) {
                return silently(
                    [&] { text.isNull() ? store.RemoveSetting(Key::Text1) : store.WriteSetting(Key::Text1, text); });
            };
            Faults::arm(n);
            const bool saved = save(value);
            const auto [counted, call] = Faults::disarm();
            if (counted < n)
                break; // every call of the save has failed once
            calls << call;
            QVERIFY2(temp.fileText() == (saved ? after : before) && !(saved && mustFail.match(call).hasMatch()),
                qPrintable(call));
            QVERIFY2(!saved || before.isNull() || look() == old, qPrintable(call));
            QCOMPARE(store.ReadSetting(Key::Text1, "-"),
                IniFile::value(IniFile::parse(temp.fileText()), Store::Section, "Text1").value_or("-"));
            for (const QString &left : folder.entryList(QDir::Files | QDir::Hidden))
                QVERIFY2((mine + killed).contains(left)
                        || (call.endsWith(left) && (call.startsWith("unlink") || left.endsWith(".lock"))),
                    qPrintable(call + " left " + left));
            QVERIFY2(save("c"), qPrintable(call));
            QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), mine);
        }
        // The folder is flushed after the rename, so that a power cut cannot take the rename back.
        QVERIFY(calls.indexOf(QRegularExpression("fsync tst_.*")) > calls.indexOf(QRegularExpression("rename .*")));
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
        row("over 1 MiB with the change", "{ echo [Path]; head -c 1048569 /dev/zero | tr \\\\0 \\;; } >\"$0\"");
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
        // A file that cannot be read is no empty one: what was read last stays.
        const bool readable = !QFileInfo::exists(path) || (QFileInfo(path).isFile() && QFile(path).size() <= (1 << 20));
        QCOMPARE(silently([&] { store.reload(); }), readable);
        QCOMPARE(store.ReadSetting(Key::Size, "none"), !written.isEmpty() ? "40" : readable ? "none" : "30");
    }

    // As the XDG Base Directory rules say: a relative XDG_CONFIG_HOME is none.
    void userFilePath()
    {
        const QByteArray home = qgetenv("HOME"), before = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", home), qputenv("XDG_CONFIG_HOME", before); });
        qputenv("HOME", "/home/x");
        for (const char *configHome : { "/a/b", "a/b", "" }) {
            qputenv("XDG_CONFIG_HOME", configHome);
            QCOMPARE(SettingsStore::userFilePath(),
                *configHome == '/' ? "/a/b/Zdravin.conf" : "/home/x/.config/Zdravin.conf");
        }
    }

    void asAnotherUser_data()
    {
        QTest::addColumn<QString>("script"); // run by root in the settings folder
        QTest::addColumn<int>("freeKiB"); // on a disk of its own; -1: no such disk
        QTest::addColumn<int>("failing"); // writes that fail; -1: some, not all
        QTest::addColumn<QStringList>("left"); // in the folder when some fail
        const QStringList conf = { "Zdravin.conf" };
        QTest::newRow("read-only folder") << "chmod 555 ." << -1 << KeyCount << conf;
        QTest::newRow("read-only file") << "chmod 444 Zdravin.conf" << -1 << KeyCount << conf;
        QTest::newRow("unreadable file") << "chmod 600 Zdravin.conf" << -1 << KeyCount << conf;
        QTest::newRow("FIFO for a lock") << "mkfifo $L" << -1 << 0 << conf;
        QTest::newRow("root's lock, left") << "echo 999999 >$L" << -1 << 0 << conf; // as QLockFile leaves it
        QTest::newRow("root's old lock, unreadable")
            << "echo 1 >$L && touch -d '-1 min' $L && chmod 600 $L" << -1 << 0 << conf;
        QTest::newRow("folder for a lock") << "mkdir $L" << -1 << 0 << conf;
        QTest::newRow("folder for a lock, not empty")
            << "mkdir $L && touch $L/x" << -1 << KeyCount << QStringList { "Zdravin.conf", "Zdravin.conf.lock" };
        // 2: the first write fails; 13: a short write; 100: room for all
        for (const auto &[kib, failing] : { std::pair(0, KeyCount), { 2, KeyCount }, { 13, -1 }, { 100, 0 } })
            QTest::addRow("%d KiB free", kib) << "" << kib << failing << conf;
    }

    // User nobody (root may write anywhere, and use reserved blocks) writes
    // every key, new to the file, once: each write reaches the file whole or
    // leaves it as it was, byte for byte, and leaves nothing behind. Nothing
    // that was left where the lock goes makes a write wait for good. The disk
    // is an ext4 file system of 1 KiB blocks, filled up but for freeKiB.
    void asAnotherUser()
    {
        QFETCH(QString, script);
        QFETCH(int, freeKiB);
        QFETCH(int, failing);
        QFETCH(QStringList, left);
        QTemporaryDir dir("/tmp/zdravinky-XXXXXX");
        const QString disk = dir.filePath("disk");
        const QByteArray before = "; upraveno ručně\n[Path]\n";
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", { "-q", disk }); });
        const char *prepare = R"sh(chmod 755 "$(dirname "$0")" && mkdir "$0"
            [ $2 -lt 0 ] || { truncate -s512K $0.img && mkfs.ext4 -qF -b1024 -m0 -O^has_journal $0.img && mount -oloop $0.img $0; }
            mkdir -m 777 "$0/config" && cd "$0/config" && printf %s "$3" >Zdravin.conf && chmod 666 Zdravin.conf
            L=Zdravin.conf.lock && eval "$1"
            # fills the disk up (dd stops when it is full), then frees what is to stay free
            [ $2 -lt 0 ] || { head -c $2K /dev/zero >"$0/free" && dd if=/dev/zero of="$0/full" bs=1K 2>/dev/null || rm "$0/free"; }
            exec setpriv --reuid=nobody --regid=nogroup --clear-groups "$4" Zdravin.conf 1 0 1 >/dev/null)sh";
        const int failed = QProcess::execute(
            "sh", { "-ec", prepare, disk, script, QString::number(freeKiB), before, STOREWRITER_PATH });
        QVERIFY2(failing >= 0 ? failed == failing : failed > 0 && failed < KeyCount, "or the disk failed, or setpriv");
        IniFile::Document expected = IniFile::parse(before); // with the keys written, the first ones
        for (int i = 0; i < KeyCount - failed; ++i)
            IniFile::setValue(expected, Store::Section, keyName(Key(i)), storeWriterValue(Key(i), 1));
        QFile file(disk + "/config/Zdravin.conf");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), IniFile::serialize(expected));
        QCOMPARE(
            QDir(disk + "/config").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            failed ? left : QStringList { "Zdravin.conf" });
    }
};

QTEST_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
