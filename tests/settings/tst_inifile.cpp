#include "common/testsupport.h"
#include "settings/inifile.h"

#include <QRandomGenerator>
#include <QTest>

class tst_IniFile : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void quotedOnlyWhenNeeded_data();
    void quotedOnlyWhenNeeded();
    void everyTextSurvivesTheFile();
    void rewriteChangesOnlyWhatChanged_data();
    void rewriteChangesOnlyWhatChanged();
    void keyStartingWithABracketStaysAKey();
    void feffStartingTheFileSurvives();
};

void tst_IniFile::quotedOnlyWhenNeeded_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "Monotype Corsiva"
                           << "Monotype Corsiva";
    QTest::newRow("Czech") << "Svátek má:"
                           << "Svátek má:";
    QTest::newRow("emoji") << "\U0001F600"
                           << "\U0001F600";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("trailing space") << "Svátek má: "
                                    << "\"Svátek má: \"";
    QTest::newRow("leading tab") << "\tx"
                                 << "\"\\tx\"";
    QTest::newRow("comma") << "a, b"
                           << "\"a, b\"";
    QTest::newRow("quote and backslash") << "a\"b\\c"
                                         << "\"a\\\"b\\\\c\"";
    QTest::newRow("CR LF") << "a\r\nb"
                           << "\"a\\r\\nb\"";
    QTest::newRow("control characters") << QString::fromUtf16(u"\u0001\u007f\u0085") << "\"\\x01\\x7f\\x85\"";
    QTest::newRow("line separator") << QString::fromUtf16(u"a\u2028b") << "\"a\\u2028b\"";
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << "\"\\ud800\"";
}

void tst_IniFile::quotedOnlyWhenNeeded()
{
    QFETCH(QString, value);
    QFETCH(QString, written);
    QCOMPARE(IniFile::quoted(value), written);
    QCOMPARE(IniFile::unquoted(written), value);
}

// Random texts of the characters that matter, written to a file and read back.
void tst_IniFile::everyTextSurvivesTheFile()
{
    const QString alphabet = QString::fromUtf16(u" \t\"\\,;#=\r\n[]x0nuá\u0001\u007f\u0085\u2028\U0001F600")
        + QChar(0xD800) + QChar(0xDC00);
    QRandomGenerator random(26);
    for (int round = 0; round < 3000; ++round) {
        QString value;
        for (int length = random.bounded(9); length > 0; --length)
            value += alphabet[random.bounded(int(alphabet.size()))];
        IniFile::Document document;
        IniFile::setValue(document, QStringLiteral("Path"), QStringLiteral("Text1"), value);
        IniFile::setValue(document, QStringLiteral("Path"), QStringLiteral("Text2"), QStringLiteral("x"));
        const IniFile::Document read = IniFile::parse(IniFile::serialize(document));
        QCOMPARE(IniFile::value(read, QStringLiteral("Path"), QStringLiteral("Text1")), value);
        QCOMPARE(IniFile::value(read, QStringLiteral("Path"), QStringLiteral("Text2")), QStringLiteral("x"));
    }
}

void tst_IniFile::rewriteChangesOnlyWhatChanged_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("remove"); // else set Size to 20
    QTest::addColumn<QByteArray>("after");
    const QByteArray person
        = "; mine\n[General]\nx = a, b\n\n[Path]\n  Text =Arial\nSize=12\n# Size=8\n\n[Jiné]\ny=\"q\"\n";
    QTest::newRow("one line changed") << person << false << QByteArray(person).replace("Size=12", "Size=20");
    QTest::newRow("one line removed") << person << true << QByteArray(person).replace("Size=12\n", "");
    QTest::newRow("same value, same file")
        << QByteArray("[Path]\nSize =  20 \n") << false << QByteArray("[Path]\nSize =  20 \n");
    QTest::newRow("new key after the last key") << QByteArray("[Path]\nText=Arial\n; next\n\n[X]\n") << false
                                                << QByteArray("[Path]\nText=Arial\nSize=20\n; next\n\n[X]\n");
    QTest::newRow("new section after a blank line")
        << QByteArray("[X]\ny=1") << false << QByteArray("[X]\ny=1\n\n[Path]\nSize=20\n");
    QTest::newRow("empty file") << QByteArray() << false << QByteArray("[Path]\nSize=20\n");
    QTest::newRow("keys before any section") << QByteArray("x=1\n") << false << QByteArray("x=1\n\n[Path]\nSize=20\n");
    QTest::newRow("duplicates become one")
        << QByteArray("[Path]\nSize=1\nText=A\nSize=2\n") << false << QByteArray("[Path]\nText=A\nSize=20\n");
    QTest::newRow("remove takes every duplicate")
        << QByteArray("[Path]\nSize=1\n[Path]\nSize=2\n") << true << QByteArray("[Path]\n[Path]\n");
    QTest::newRow("repeated section: its last one") << QByteArray("[Path]\nText=A\n[X]\n[Path]\nCas=1\n") << false
                                                    << QByteArray("[Path]\nText=A\n[X]\n[Path]\nCas=1\nSize=20\n");
    QTest::newRow("unreadable lines kept")
        << QByteArray("[Path\nText\n=1\n[]\n") << false << QByteArray("[Path\nText\n=1\n[]\n\n[Path]\nSize=20\n");
    QTest::newRow("lone CRs end lines") << QByteArray("[Path]\rText=A\r\r") << false
                                        << QByteArray("[Path]\nText=A\nSize=20\n\n");
    const QByteArray cp1250
        = "; pozn\xE1mka\n[Path]\nText1=\x8Elu\x9Dou\xE8k\xFD\nK\xE9y=\xED\xA0\x80\n[Jin\xE9]\ny=\xC3\x28\n";
    QTest::newRow("lines not in UTF-8 kept byte for byte")
        << cp1250 << false << QByteArray(cp1250).replace("\x80\n[", "\x80\nSize=20\n[");
    QTest::newRow("line changed among lines not in UTF-8") << QByteArray(
        "[Path]\nText=\xE9\nSize=12\n# \xFF\n") << false << QByteArray("[Path]\nText=\xE9\nSize=20\n# \xFF\n");
    QTest::newRow("section header not in UTF-8 kept")
        << QByteArray("[P\xE1th]\nx=1\n") << true << QByteArray("[P\xE1th]\nx=1\n");
    QTest::newRow("BOM and CR LF dropped")
        << QByteArray("\xEF\xBB\xBF[Path]\r\nText=A\r\n") << false << QByteArray("[Path]\nText=A\nSize=20\n");
}

void tst_IniFile::rewriteChangesOnlyWhatChanged()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, remove);
    IniFile::Document document = IniFile::parse(before);
    const QString path = QStringLiteral("Path"), size = QStringLiteral("Size");
    if (remove)
        IniFile::remove(document, path, size);
    else
        IniFile::setValue(document, path, size, QStringLiteral("20"));
    QTEST(IniFile::serialize(document), "after");
}

// "[a=x]" would read as a section header.
void tst_IniFile::keyStartingWithABracketStaysAKey()
{
    IniFile::Document document = IniFile::parse("[a=b\n");
    IniFile::setValue(document, QString(), QStringLiteral("[a"), QStringLiteral("x]"));
    const QByteArray written = IniFile::serialize(document);
    QCOMPARE(written, QByteArray("[a=\"x]\"\n"));
    QCOMPARE(IniFile::value(IniFile::parse(written), QString(), QStringLiteral("[a")), QStringLiteral("x]"));
}

// Once the first line is removed, a U+FEFF starting the next one must not
// be taken for the byte order mark.
void tst_IniFile::feffStartingTheFileSurvives()
{
    IniFile::Document document = IniFile::parse("k=r\n\xEF\xBB\xBFx=1\n");
    IniFile::remove(document, QString(), QStringLiteral("k"));
    const IniFile::Document reread = IniFile::parse(IniFile::serialize(document));
    QCOMPARE(IniFile::value(reread, QString(), QString(QChar(0xFEFF)) + u'x'), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(tst_IniFile)
#include "tst_inifile.moc"
