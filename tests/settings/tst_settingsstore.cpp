#include "common/tempstore.h"
#include "common/testmain.h"
#include "platform/errortrap.h"
#include "settings/inifile.h"

#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>

class tst_SettingsStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void handEdited_data();
    void handEdited();
    void absentKeyGivesFallback();
    void emptyTextIsNotAbsent();
    void removeAbsentKeyIsNoError();
    void otherSectionsSurviveAWrite();
    void garbageGivesFallbacksAndStaysUntouched_data();
    void garbageGivesFallbacksAndStaysUntouched();
    void failedWriteChangesNothing();
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
    QTest::newRow("spaces around trimmed") << QByteArray("[Path]\n  Text1 =  Ahoj  \n") << "Ahoj";
    QTest::newRow("quoted keeps spaces") << QByteArray("[Path]\nText1=\" Ahoj \"\n") << " Ahoj ";
    QTest::newRow("escapes") << QByteArray("[Path]\nText1=\"a\\\"b\\\\c\\r\\nd\\x41\"\n") << "a\"b\\c\r\ndA";
    QTest::newRow("CRLF file") << QByteArray("[Path]\r\nText1=Ahoj\r\nText2=x\r\n") << "Ahoj";
    QTest::newRow("BOM") << QByteArray("\xEF\xBB\xBF[Path]\nText1=Ahoj\n") << "Ahoj";
    QTest::newRow("comments") << QByteArray("; mine\n[Path]\n# Text1=no\nText1=yes\n") << "yes";
    QTest::newRow("last duplicate wins") << QByteArray("[Path]\nText1=a\nText1=b\n") << "b";
    QTest::newRow("unquoted semicolon kept") << QByteArray("[Path]\nText1=a;b\n") << "a;b";
    QTest::newRow("empty value") << QByteArray("[Path]\nText1=\n") << "";
    QTest::newRow("other section only") << QByteArray("[Jiné]\nText1=no\n") << "fallback";
    QTest::newRow("keys are case-sensitive") << QByteArray("[Path]\ntext1=no\n") << "fallback";
    QTest::newRow("unterminated quote") << QByteArray("[Path]\nText1=\"abc\n") << "abc";
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
    QCOMPARE(SettingsStore(temp.filePath()).ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("12"));
}

void tst_SettingsStore::emptyTextIsNotAbsent()
{
    TempStore temp;
    temp.store().WriteSetting(Key::Text1, QString());
    QCOMPARE(SettingsStore(temp.filePath()).ReadSetting(Key::Text1, QStringLiteral("x")), QString(""));
}

void tst_SettingsStore::removeAbsentKeyIsNoError()
{
    TempStore temp;
    for (int i = 0; i < KeyCount; ++i)
        temp.store().RemoveSetting(Key(i));
    QVERIFY(!QFileInfo::exists(temp.filePath())); // nothing removed, nothing written
}

void tst_SettingsStore::otherSectionsSurviveAWrite()
{
    TempStore temp(QByteArray("[General]\nx=1\n[Path]\nText=Arial\nNeznámý=klíč\n"));
    temp.store().WriteSetting(Key::Size, QStringLiteral("20"));
    const IniFile::Document document = IniFile::parse(temp.fileText());
    QCOMPARE(IniFile::value(document, "General", "x"), std::optional<QString>("1"));
    QCOMPARE(IniFile::value(document, "Path", "Neznámý"), std::optional<QString>("klíč"));
    QCOMPARE(IniFile::value(document, "Path", "Text"), std::optional<QString>("Arial"));
    QCOMPARE(IniFile::value(document, "Path", "Size"), std::optional<QString>("20"));
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
    QCOMPARE(temp.store().ReadSetting(Key::Text, QStringLiteral("Monotype Corsiva")), QStringLiteral("Monotype Corsiva"));
    temp.store().reload();
    QCOMPARE(temp.fileText(), file);
}

void tst_SettingsStore::failedWriteChangesNothing()
{
    TempStore temp(QByteArray("[Path]\nSize=30\n"));
    // Root may write into a read-only folder; no one can write below a file.
    SettingsStore blocked(temp.filePath() + QStringLiteral("/Zdravin.conf"));
    QVERIFY_THROWS_EXCEPTION(StepFailed, blocked.WriteSetting(Key::Size, QStringLiteral("40")));
    QCOMPARE(blocked.ReadSetting(Key::Size, QStringLiteral("12")), QStringLiteral("12"));
    QCOMPARE(temp.fileText(), QByteArray("[Path]\nSize=30\n"));
}

// A new file takes the old one's place in one rename: a reader or a crash
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

ZDRAVINKY_TEST(tst_SettingsStore)
#include "tst_settingsstore.moc"
