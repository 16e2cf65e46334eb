#include "common/tempstore.h"
#include "common/testsupport.h"
#include "platform/errortrap.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

class tst_SettingsStore : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void handEdited_data();
    void handEdited();
    void absentKeyGivesFallback();
    void readingAndRemovingAbsentKeysWriteNothing();
    void writeKeepsWhatAPersonWrote();
    void garbageGivesFallbacksAndStaysUntouched_data();
    void garbageGivesFallbacksAndStaysUntouched();
    void failedWriteChangesNothing_data();
    void failedWriteChangesNothing();
    void oddFileIsNeverLostNorHangs_data();
    void oddFileIsNeverLostNorHangs();
    void writeReplacesTheFileAtomically();
    void twoCopiesLoseNoKey();
};

void tst_SettingsStore::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "Monotype Corsiva";
    QTest::newRow("trailing space") << "Svátek má: ";
    QTest::newRow("leading spaces") << "  dnes";
    QTest::newRow("only spaces") << "   ";
    QTest::newRow("comma") << "Zdravinky, dnes je: ";
    QTest::newRow("list-like") << "a, b";
    QTest::newRow("quotes") << "\"Datum a Čas\"";
    QTest::newRow("lone quote") << "\"";
    QTest::newRow("backslashes") << "C:\\Program Files\\Jasanek\\Zdravinky\\Já 8.jpg";
    QTest::newRow("equals") << "a=b";
    QTest::newRow("semicolon") << "; not a comment";
    QTest::newRow("hash") << "# not a comment";
    QTest::newRow("CR LF") << "první\r\ndruhý";
    QTest::newRow("tab") << "a\tb";
    QTest::newRow("control") << QString::fromUtf16(u"a\u0001b");
    QTest::newRow("brackets") << "[Path]";
    QTest::newRow("escape-like text") << "\\n is not a line break";
    QTest::newRow("Czech") << "Příliš žluťoučký kůň úpěl ďábelské ódy";
    QTest::newRow("empty") << "";
}

// Written by one store, read by a new one from the file alone.
void tst_SettingsStore::roundTrip()
{
    QFETCH(QString, value);
    TempStore temp;
    temp.store().WriteSetting(Key::Text1, value);
    temp.store().WriteSetting(Key::Text2, QStringLiteral("after"));
    SettingsStore fresh(temp.filePath());
    QCOMPARE(fresh.ReadSetting(Key::Text1, QStringLiteral("fallback")), value);
    QCOMPARE(fresh.ReadSetting(Key::Text2, QString()), QStringLiteral("after"));
    QCOMPARE(temp.store().ReadSetting(Key::Text1, QStringLiteral("fallback")), value);
}

void tst_SettingsStore::handEdited_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text1");
    QTest::newRow("unquoted comma") << QByteArray("[Path]\nText1=Zdravinky, dnes je:\n") << "Zdravinky, dnes je:";
    QTest::newRow("decimal comma") << QByteArray("[Path]\nText1=12,5\n") << "12,5";
    QTest::newRow("spaces around trimmed") << QByteArray("[Path]\n  Text1 = \t Ahoj  \n") << "Ahoj";
    QTest::newRow("quoted keeps spaces") << QByteArray("[Path]\nText1=\" Ahoj \"\n") << " Ahoj ";
    QTest::newRow("escapes") << QByteArray("[Path]\nText1=\"a\\\"b\\\\c\\r\\nd\\x41\\u010D\"\n") << "a\"b\\c\r\ndAč";
    QTest::newRow("unknown escape keeps its backslash")
        << QByteArray("[Path]\nText1=\"C:\\Obrázky\\Já.jpg\"\n") << "C:\\Obrázky\\Já.jpg";
    QTest::newRow("after the closing quote") << QByteArray("[Path]\nText1=\"a\" ; b\n") << "a";
    QTest::newRow("unterminated quote") << QByteArray("[Path]\nText1=\"abc\n") << "abc";
    QTest::newRow("CRLF file") << QByteArray("[Path]\r\nText1=Ahoj\r\nText2=x\r\n") << "Ahoj";
    QTest::newRow("BOM") << QByteArray("\xEF\xBB\xBF[Path]\nText1=Ahoj\n") << "Ahoj";
    QTest::newRow("comments") << QByteArray("; mine\n[Path]\n# Text1=no\n;Text1=no\nText1=yes\n") << "yes";
    QTest::newRow("last duplicate wins") << QByteArray("[Path]\nText1=a\n[Jiné]\n[Path]\nText1=b\n") << "b";
    QTest::newRow("unquoted semicolon kept") << QByteArray("[Path]\nText1=a;b\n") << "a;b";
    QTest::newRow("empty value") << QByteArray("[Path]\nText1=\n") << "";
    QTest::newRow("invalid UTF-8") << QByteArray("[Path]\nText1=a\xC3\x28\xFF\n") << "a\uFFFD(\uFFFD";
    QTest::newRow("other section only") << QByteArray("[Jiné]\nText1=no\n") << "fallback";
    QTest::newRow("before any section") << QByteArray("Text1=no\n") << "fallback";
    QTest::newRow("keys are case-sensitive") << QByteArray("[Path]\ntext1=no\n") << "fallback";
}

void tst_SettingsStore::handEdited()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text1);
    TempStore temp(file);
    QCOMPARE(temp.store().ReadSetting(Key::Text1, QStringLiteral("fallback")), text1);
}

void tst_SettingsStore::absentKeyGivesFallback()
{
    TempStore temp(QByteArray("[Path]\nSize=30\n"));
    QCOMPARE(temp.store().ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("30"));
    QCOMPARE(temp.store().ReadSetting(Key::Long, QStringLiteral("11")), QStringLiteral("11"));
    temp.store().RemoveSetting(Key::Size);
    QCOMPARE(temp.store().ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("12"));
    QCOMPARE(SettingsStore(temp.filePath()).ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("12"));
}

void tst_SettingsStore::readingAndRemovingAbsentKeysWriteNothing()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("new/Zdravin.conf")));
    QCOMPARE(store.ReadSetting(Key::Text, QStringLiteral("Arial")), QStringLiteral("Arial"));
    for (int i = 0; i < KeyCount; ++i)
        store.RemoveSetting(Key(i));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void tst_SettingsStore::writeKeepsWhatAPersonWrote()
{
    const QByteArray mine = "; mine\n[General]\nx=a, b\n\n[Path]\n Text = Arial\nNeznámý=klíč\n[Jiné]\ny=1\n";
    TempStore temp(mine);
    temp.store().WriteSetting(Key::Size, QStringLiteral("20"));
    QCOMPARE(temp.fileText(), QByteArray(mine).replace("klíč\n", "klíč\nSize=20\n"));
}

void tst_SettingsStore::garbageGivesFallbacksAndStaysUntouched_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << QByteArray("\x00\x01\xFF\xFE\x80[Path]\x00=\n\xC3\x28", 15);
    QTest::newRow("unterminated section") << QByteArray("[Path\nText=Arial\n");
    QTest::newRow("no equals") << QByteArray("[Path]\nText\n=\n==\n");
    QTest::newRow("huge line") << QByteArray(1 << 20, 'x');
}

void tst_SettingsStore::garbageGivesFallbacksAndStaysUntouched()
{
    QFETCH(QByteArray, file);
    TempStore temp(file);
    QCOMPARE(
        temp.store().ReadSetting(Key::Text, QStringLiteral("Monotype Corsiva")), QStringLiteral("Monotype Corsiva"));
    temp.store().reload();
    QCOMPARE(temp.fileText(), file);
}

void tst_SettingsStore::failedWriteChangesNothing_data()
{
    QTest::addColumn<bool>("folderBecomesFile"); // else the file becomes a folder, which cannot be read
    QTest::newRow("folder is a file") << true;
    QTest::newRow("file is a folder") << false;
}

// Root may write into a read-only folder, so the path is blocked instead.
void tst_SettingsStore::failedWriteChangesNothing()
{
    QFETCH(bool, folderBecomesFile);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("config"));
    const QString path = folder + QStringLiteral("/Zdravin.conf");
    QVERIFY(QDir().mkpath(folder));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Path]\nSize=30\n") > 0);
    file.close();
    SettingsStore store(path);
    QVERIFY(QDir(folder).removeRecursively());
    if (folderBecomesFile) {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(path));
    }

    QVERIFY_THROWS_EXCEPTION(StepFailed, store.WriteSetting(Key::Size, QStringLiteral("40")));
    if (!folderBecomesFile)
        QVERIFY_THROWS_EXCEPTION(StepFailed, store.RemoveSetting(Key::Size));
    QCOMPARE(store.ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("30"));
    QCOMPARE(QFileInfo(folderBecomesFile ? folder : path).isFile(), folderBecomesFile);
}

namespace {

enum class Odd { Fifo, LinkToDevZero, LinkToDevice, Folder, TooLarge, LinkToReadOnlyFile, DanglingLink, NotUtf8 };

// What the path is, link or not, and what it leads to: kinds and modes as
// lstat() and stat() see them.
QString form(const QString &path)
{
    struct stat link = {}, target = {};
    ::lstat(QFile::encodeName(path).constData(), &link);
    ::stat(QFile::encodeName(path).constData(), &target);
    return QStringLiteral("%1 -> %2 %3")
        .arg(link.st_mode, 0, 8)
        .arg(QFile::symLinkTarget(path))
        .arg(target.st_mode, 0, 8);
}

QByteArray regularFileText(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void tst_SettingsStore::oddFileIsNeverLostNorHangs_data()
{
    QTest::addColumn<int>("odd");
    QTest::addColumn<bool>("readable"); // else every read gives its fallback
    QTest::addColumn<bool>("writable"); // else every write fails and leaves it as it is
    QTest::newRow("FIFO") << int(Odd::Fifo) << false << false;
    QTest::newRow("link to /dev/zero") << int(Odd::LinkToDevZero) << false << false;
    QTest::newRow("link to a device node") << int(Odd::LinkToDevice) << false << false;
    QTest::newRow("folder") << int(Odd::Folder) << false << false;
    QTest::newRow("over 1 MiB") << int(Odd::TooLarge) << false << false;
    QTest::newRow("link to a read-only file") << int(Odd::LinkToReadOnlyFile) << true << true;
    QTest::newRow("link to a file not there yet") << int(Odd::DanglingLink) << false << true;
    QTest::newRow("lines not in UTF-8") << int(Odd::NotUtf8) << true << true;
}

// The store was reading a good file when the path became something else: a
// reload reads it at once or gives fallbacks; a write goes through a link to
// the file it names and keeps that file's mode, or fails and leaves things as
// they were, byte for byte.
void tst_SettingsStore::oddFileIsNeverLostNorHangs()
{
    QFETCH(int, odd);
    QFETCH(bool, readable);
    QFETCH(bool, writable);
    TempStore temp(QByteArray("[Path]\nText=Good\nSize=30\n"));
    const QString path = temp.filePath();
    const QByteArray name = QFile::encodeName(path);
    const QString target = path + QStringLiteral(".target");
    const QByteArray text = "; upraveno ručně\n[Path]\nText=Arial\nText1=\x8Elu\x9Dou\xE8k\xFD\n";
    auto writeFile = [&](const QString &file, const QByteArray &bytes) {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    };
    QVERIFY(QFile::remove(path));
    switch (Odd(odd)) {
    case Odd::Fifo:
        QVERIFY(::mkfifo(name.constData(), 0644) == 0);
        break;
    case Odd::LinkToDevZero:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    case Odd::LinkToDevice: // a device of its own, the same as /dev/null
        if (::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here");
        QVERIFY(QFile::link(target, path));
        break;
    case Odd::Folder:
        QVERIFY(QDir().mkdir(path));
        break;
    case Odd::TooLarge:
        writeFile(path, text + QByteArray(2 << 20, '#'));
        break;
    case Odd::LinkToReadOnlyFile:
        writeFile(target, text);
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::link(QFileInfo(target).fileName(), path));
        break;
    case Odd::DanglingLink:
        QVERIFY(QFile::link(target, path));
        break;
    case Odd::NotUtf8:
        writeFile(path, text);
        break;
    }
    SettingsStore &store = temp.store();
    store.reload();
    const QString fallback = QStringLiteral("fallback");
    QCOMPARE(store.ReadSetting(Key::Text, fallback), readable ? QStringLiteral("Arial") : fallback);
    QCOMPARE(store.ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("12"));

    const QString formBefore = form(path);
    const QByteArray before = regularFileText(path);
    if (writable) {
        store.WriteSetting(Key::Size, QStringLiteral("40"));
        QCOMPARE(SettingsStore(path).ReadSetting(Key::Size, QString()), QStringLiteral("40"));
        QCOMPARE(regularFileText(path), before + (before.isEmpty() ? "[Path]\n" : "") + "Size=40\n");
        if (odd == int(Odd::DanglingLink))
            QVERIFY(QFileInfo(path).isSymLink() && QFileInfo(target).isFile());
        else
            QCOMPARE(form(path), formBefore);
    } else {
        QVERIFY_THROWS_EXCEPTION(StepFailed, store.WriteSetting(Key::Size, QStringLiteral("40")));
        QCOMPARE(store.ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("12"));
        QCOMPARE(form(path), formBefore);
        QCOMPARE(regularFileText(path), before);
    }
}

// The new file takes the old one's place in one rename: a reader or a crash
// sees the old file or the new one, never half of one.
void tst_SettingsStore::writeReplacesTheFileAtomically()
{
    TempStore temp(QByteArray("[Path]\nSize=30\n"));
    auto inode = [&] {
        struct stat info = {};
        ::stat(QFile::encodeName(temp.filePath()).constData(), &info);
        return info.st_ino;
    };
    const auto before = inode();
    temp.store().WriteSetting(Key::Size, QStringLiteral("40"));
    QVERIFY(inode() != before);
    QVERIFY(!QFileInfo::exists(temp.filePath() + QStringLiteral(".lock")));
}

void tst_SettingsStore::twoCopiesLoseNoKey()
{
    TempStore temp;
    SettingsStore other(temp.filePath());
    for (int i = 0; i < 7; ++i) {
        temp.store().WriteSetting(Key(2 * i), QString::number(i));
        other.WriteSetting(Key(2 * i + 1), QString::number(i));
    }
    SettingsStore fresh(temp.filePath());
    for (int i = 0; i < KeyCount; ++i)
        QCOMPARE(fresh.ReadSetting(Key(i), QStringLiteral("absent")), QString::number(i / 2));
}

QTEST_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
