#include "common/tempstore.h"
#include "common/testsupport.h"
#include "platform/errortrap.h"
#include "platform/picture.h"
#include "settings/colorsample.h"
#include "settings/commondialog.h"
#include "settings/form1.h"
#include "settings/formvalues.h"
#include "settings/greetingtarget.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Records what the settings window does to the greeting window, in order.
class FakeGreeting : public GreetingTarget
{
public:
    QStringList log;
    bool refuseSize = false;

    void setPicture(const QString &path) override
    {
        const QImage p = loadPicture(path, { 100, 100 }); // the test's pictures are smaller
        log << (p.isNull() ? QStringLiteral("picture none")
                           : QStringLiteral("picture %1x%2").arg(p.width()).arg(p.height()));
    }
    void setPictureStretch(bool stretch) override { log << QStringLiteral("stretch %1").arg(stretch); }
    void setTextFontName(const QString &name) override { log << QStringLiteral("font ") + name; }
    void setTextFontSize(float points) override
    {
        if (refuseSize)
            fail("size refused");
        log << QStringLiteral("size %1").arg(points);
    }
    void setTextColor(qint32 color) override { log << QStringLiteral("color %1").arg(color); }
    void centreText() override { log << QStringLiteral("centre"); }
    void recomposeText() override { log << QStringLiteral("recompose"); }
};

class FakeDialogs : public CommonDialog
{
public:
    std::optional<QString> file;
    std::optional<qint32> color;
    QStringList asked;
    std::function<void()> whileOpen;

protected:
    std::optional<QString> askFileName(const QString &proposed, const QString &filter) override
    {
        asked << QStringLiteral("open %1 %2").arg(proposed, filter);
        if (whileOpen)
            whileOpen();
        return file;
    }
    std::optional<qint32> askColor(qint32 proposed) override
    {
        asked << QStringLiteral("colour %1 %2").arg(Flags).arg(proposed);
        return color;
    }
};

const QString Absent = QStringLiteral("<absent>");
using FormValues::PictureFilter;
const QStringList OkLog = { "picture 7x5", "font Arial", "size 13", "color 65280", "stretch 1", "centre", "recompose" };

struct Window
{
    explicit Window(const QByteArray &ini = "[Path]\n")
        : temp(ini)
    { }
    TempStore temp;
    FakeGreeting greeting;
    FakeDialogs dialogs;
    Form1 form { temp.store(), greeting, dialogs };

    // The present keys as "Key=text", in key order.
    QStringList stored()
    {
        QStringList present;
        for (int i = 0; i < KeyCount; ++i) {
            const QString text = temp.store().ReadSetting(Key(i), Absent);
            if (text != Absent)
                present << keyName(Key(i)) + u'=' + text;
        }
        return present;
    }
    // The file's folder entry becomes a folder: every later write fails.
    void refuseWrites()
    {
        QFile::remove(temp.filePath());
        QDir().mkpath(temp.filePath());
    }
    bool show()
    {
        form.show();
        return QTest::qWaitForWindowActive(&form);
    }
};

QList<Key> textKeys()
{
    QList<Key> keys;
    forEachTextKey([&](Key key) { keys << key; });
    return keys;
}

QString focused()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

QStringList items(const QComboBox *combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

bool isRed(const QLabel *label)
{
    return label->palette().color(QPalette::Window) == QColor(255, 0, 0);
}

} // namespace

class tst_Form1 : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void initTestCase();
    void freshWindow();
    void focusOrder_data();
    void focusOrder();
    void emptyStoreLoad();
    void storedValuesLoad();
    void failingLoad_data();
    void failingLoad();
    void checkHandlers_data();
    void checkHandlers();
    void textBoxSelectsAllOnFocus_data();
    void textBoxSelectsAllOnFocus();
    void durationCaption();
    void disablingKeepsContent();
    void applyCommands_data();
    void applyCommands();
    void storno_data();
    void storno();
    void pouzitThenStorno();
    void vychoziThenOkOrStorno_data();
    void vychoziThenOkOrStorno();
    void pictureAndColourCommands_data();
    void pictureAndColourCommands();
    void keyboard_data();
    void keyboard();
    void execEnds_data();
    void execEnds();
    void storesOnlyWhatItShowedOrWasChanged_data();
    void storesOnlyWhatItShowedOrWasChanged();
    void nothingClipped();
    void accessibleNames_data();
    void accessibleNames();

private:
    QByteArray fullIni(const QByteArrayList &replaced = {}) const;
    QTemporaryDir dir_;
    QString seven_; // a 7 x 5 picture
    QString nine_; // a 9 x 3 picture
    QString broken_; // no picture at all
};

void tst_Form1::initTestCase()
{
    seven_ = dir_.filePath(QStringLiteral("sedm.bmp"));
    nine_ = dir_.filePath(QStringLiteral("devět.png"));
    broken_ = dir_.filePath(QStringLiteral("rozbitý.jpg"));
    QVERIFY(QImage(7, 5, QImage::Format_RGB32).save(seven_));
    QVERIFY(QImage(9, 3, QImage::Format_RGB32).save(nine_));
    QFile file(broken_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
}

// Every key stored with a value that differs from the design and the
// fallbacks; one line can be replaced ("Long=90").
QByteArray tst_Form1::fullIni(const QByteArrayList &replaced) const
{
    QByteArrayList lines = { "PictrureStrench=1", "Pictrure=" + seven_.toUtf8(), "Text=Arial", "Size=13", "Long=30",
        "Color=65280", "Date=1", "Cas=1", "TextV=1", "Svatky=1", "DateF=d.mm.yyyy", "CasF=hh:mm:ss", "Text1=Ahoj",
        "Text2=Jméno" };
    for (const QByteArray &replacement : replaced) {
        const QByteArray key = replacement.left(replacement.indexOf('=') + 1);
        for (QByteArray &line : lines)
            if (!key.isEmpty() && line.startsWith(key))
                line = replacement;
    }
    return "[Path]\n" + lines.join('\n') + '\n';
}

void tst_Form1::freshWindow()
{
    Window w;
    Form1 &f = w.form;
    QCOMPARE(f.windowTitle(), QStringLiteral("Nastavení"));
    QCOMPARE(f.size(), QSize(356, 381)); // 5340 x 5715 twips at 96 DPI
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QCOMPARE(items(f.Combo3),
        QStringList({ "d.m.yy", "d.mm.yy", "d.mm.yyyy", "d.mmm.yy", "d.mmm.yyyy", "d.mmmm.yyyy", "ddd d.mm.yy",
            "ddd d.mmm.yy", "ddd d.mmm.yyyy ", "dddd d.mm.yy", "dddd d.mmmm.yyyy", "Long date", "Short date" }));
    QCOMPARE(items(f.Combo4), QStringList({ "h.m.s", "h.mm.ss", "h:m:s", "h:mm:ss", "hh.mm.ss", "hh:mm:ss" }));
    QCOMPARE(f.Combo3->currentText(), QString());
    QCOMPARE(f.Combo1->count() + f.Combo2->count(), 0);
    for (QComboBox *combo : { f.Combo1, f.Combo2, f.Combo3, f.Combo4 })
        QVERIFY(combo->isEditable() && combo->insertPolicy() == QComboBox::NoInsert);
    for (QWidget *off :
        std::initializer_list<QWidget *> { f.Label3, f.Combo3, f.Label4, f.Combo4, f.Label5, f.Text1, f.Text2 })
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    for (QPushButton *b : f.findChildren<QPushButton *>())
        QVERIFY(!b->isDefault() && !b->autoDefault());
    QCOMPARE(f.Label2->text(), QString());
    QCOMPARE(
        QList<int>({ f.Bar1->minimum(), f.Bar1->maximum(), f.Bar1->singleStep(), f.Bar1->pageStep(), f.Bar1->value() }),
        QList<int>({ 2, 60, 1, 4, 2 }));
    QCOMPARE(f.Combo3->geometry(), QRect(192, 16, 129, 23)); // 2880, 240, 1935, 345 twips
}

void tst_Form1::focusOrder_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("disabled controls skipped")
        << QByteArray("[Path]\n")
        << QStringList({ "Combo1", "Command4", "Combo2", "Command1", "Check5", "Bar1", "Check1", "Check2", "Check3",
               "Check4", "Command6", "Command3", "Command5", "Command2", "Combo1" });
    QTest::newRow("every control enabled")
        << QByteArray("[Path]\nDate=1\nCas=1\nTextV=1\n")
        << QStringList(
               { "Combo1", "Command4", "Combo2", "Command1", "Check5", "Bar1", "Check1", "Combo3", "Check2", "Combo4",
                   "Check3", "Check4", "Text1", "Text2", "Command6", "Command3", "Command5", "Command2", "Combo1" });
}

void tst_Form1::focusOrder()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, order);
    Window w(ini);
    w.form.Form_Load();
    QVERIFY(w.show());
    QStringList seen = { focused() };
    while (seen.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << focused();
    }
    QCOMPARE(seen, order);
}

void tst_Form1::emptyStoreLoad()
{
    Window w;
    Form1 &f = w.form;
    f.Form_Load();
    QCOMPARE(f.windowTitle(), QStringLiteral("Nastavení programu Zdravinky - (Verze: 1.0.26)"));
    for (QCheckBox *box : { f.Check1, f.Check2, f.Check3, f.Check4, f.Check5 })
        QCOMPARE(box->checkState(), Qt::Unchecked);
    QCOMPARE(w.dialogs.FileName, QString());
    QVERIFY(f.Image1->pixmap().isNull());
    QCOMPARE(f.Combo1->currentText(), QStringLiteral("Monotype Corsiva"));
    QCOMPARE(f.Combo2->currentText(), QStringLiteral("24"));
    QCOMPARE(f.Bar1->value(), 11);
    QCOMPARE(f.Label2->text(), QStringLiteral("11 sec."));
    QCOMPARE(w.dialogs.Color, 255);
    QVERIFY(isRed(f.Label6));
    QCOMPARE(f.Combo3->currentText(), QStringLiteral("Short date"));
    QCOMPARE(f.Combo4->currentText(), QStringLiteral("h.mm.ss"));
    QCOMPARE(f.Text1->toPlainText(), QStringLiteral("Zdravinky, dnes je: "));
    QCOMPARE(f.Text2->toPlainText(), QStringLiteral("Svátek má: "));
    QStringList kept;
    for (Key key : textKeys())
        kept << f.keptText(key).value_or(QString());
    QCOMPARE(kept, QStringList({ "0", "0", "0", "0", "Short date", "h.mm.ss", "Zdravinky, dnes je: ", "Svátek má: " }));

    QStringList sizes;
    for (int points = 6; points <= 42; points += 2)
        sizes << QString::number(points);
    QCOMPARE(items(f.Combo2), sizes);
    const QStringList fonts = items(f.Combo1); // every family once, by its plain name
    QCOMPARE(QSet<QString>(fonts.begin(), fonts.end()).size(), fonts.size());
    for (const QString &family : QFontDatabase::families())
        QVERIFY2(fonts.contains(family.section(QStringLiteral(" ["), 0, 0)), qPrintable(family));
    QCOMPARE(w.stored(), QStringList()); // loading writes nothing
}

void tst_Form1::storedValuesLoad()
{
    Window w("[Path]\nPictrureStrench=1\nPictrure=" + nine_.toUtf8()
        + "\nSize=abc\nDate=1\nCas=2.5\nTextV=0\nDateF=ddd d.mmm.yy\nText1=\n");
    Form1 &f = w.form;
    f.Form_Load();
    QCOMPARE(f.Check5->checkState(), Qt::Checked);
    QCOMPARE(f.Image1->pixmap().size(), QSize(9, 3));
    QCOMPARE(f.Combo2->currentText(), QStringLiteral("abc")); // shown unchanged, not in the list
    QCOMPARE(f.Check1->checkState(), Qt::Checked);
    QVERIFY(f.Label3->isEnabled() && f.Combo3->isEnabled());
    QCOMPARE(f.Check2->checkState(), Qt::PartiallyChecked); // 2.5 rounds to the even 2: greyed
    QVERIFY(!f.Combo4->isEnabled());
    QCOMPARE(f.keptText(Key::Cas).value_or(QString()), QStringLiteral("2.5"));
    QCOMPARE(f.Combo3->currentIndex(), 7);
    QCOMPARE(f.Text1->toPlainText(), QString());
    QCOMPARE(f.keptText(Key::Text1).value_or(QString()), QString());
    QCOMPARE(f.Combo2->count(), 19);
}

void tst_Form1::failingLoad_data()
{
    QTest::addColumn<QByteArray>("replaced");
    QTest::addColumn<int>("applied"); // steps fully applied before the failure
    QTest::newRow("nothing fails") << QByteArray() << 18;
    QTest::newRow("PictrureStrench 3") << QByteArray("PictrureStrench=3") << 0;
    QTest::newRow("missing picture") << "Pictrure=" + dir_.filePath("chybí.jpg").toUtf8() << 2;
    QTest::newRow("not a picture") << "Pictrure=" + broken_.toUtf8() << 2;
    QTest::newRow("Long 90") << QByteArray("Long=90") << 5;
    QTest::newRow("Long 1") << QByteArray("Long=1") << 5;
    QTest::newRow("Long abc") << QByteArray("Long=abc") << 5;
    QTest::newRow("Color red") << QByteArray("Color=red") << 6;
    QTest::newRow("Date x") << QByteArray("Date=x") << 7;
    QTest::newRow("Svatky -1") << QByteArray("Svatky=-1") << 10;
}

void tst_Form1::failingLoad()
{
    QFETCH(QByteArray, replaced);
    QFETCH(int, applied);
    Window w(fullIni({ replaced }));
    Form1 &f = w.form;
    f.Form_Load();
    const std::array<std::function<bool()>, 18> loaded = {
        [&] { return f.Check5->isChecked(); },
        [&] { return !w.dialogs.FileName.isEmpty(); },
        [&] { return !f.Image1->pixmap().isNull(); },
        [&] { return f.Combo1->currentText() == u"Arial"; },
        [&] { return f.Combo2->currentText() == u"13"; },
        [&] { return f.Bar1->value() == 30 && f.Label2->text() == u"30 sec."; },
        [&] { return w.dialogs.Color == 65280 && f.Label6->palette().color(QPalette::Window) == Qt::green; },
        [&] {
            return f.Check1->isChecked() && f.Combo3->isEnabled() && f.keptText(Key::Date).value_or(QString()) == u"1";
        },
        [&] {
            return f.Check2->isChecked() && f.Combo4->isEnabled() && f.keptText(Key::Cas).value_or(QString()) == u"1";
        },
        [&] {
            return f.Check3->isChecked() && f.Text1->isEnabled() && f.keptText(Key::TextV).value_or(QString()) == u"1";
        },
        [&] { return f.Check4->isChecked() && f.keptText(Key::Svatky).value_or(QString()) == u"1"; },
        [&] {
            return f.Combo3->currentText() == u"d.mm.yyyy"
                && f.keptText(Key::DateF).value_or(QString()) == u"d.mm.yyyy";
        },
        [&] {
            return f.Combo4->currentText() == u"hh:mm:ss" && f.keptText(Key::CasF).value_or(QString()) == u"hh:mm:ss";
        },
        [&] { return f.Text1->toPlainText() == u"Ahoj" && f.keptText(Key::Text1).value_or(QString()) == u"Ahoj"; },
        [&] { return f.Text2->toPlainText() == u"Jméno" && f.keptText(Key::Text2).value_or(QString()) == u"Jméno"; },
        [&] { return f.windowTitle().startsWith(u"Nastavení programu Zdravinky"); },
        [&] { return f.Combo1->count() > 0; },
        [&] { return f.Combo2->count() == 19; },
    };
    QString shown;
    for (const auto &step : loaded)
        shown += step() ? u'+' : u'-';
    QCOMPARE(shown, QString(applied, u'+') + QString(18 - applied, u'-'));
    if (applied < 6)
        QCOMPARE(f.Label2->text(), QString());
    if (applied < 15)
        QVERIFY(f.Text2->toPlainText() == u"Svátek má:" && f.keptText(Key::Text2).value_or(QString()).isEmpty());
}

void tst_Form1::checkHandlers_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("mouse");
    QTest::addColumn<QStringList>("governed");
    QTest::addColumn<QString>("target");
    const QStringList date = { "Label3", "Combo3" }, time = { "Label4", "Combo4" },
                      own = { "Label5", "Text1", "Text2" };
    QTest::newRow("Check1 by mouse") << "Check1" << true << date << "Combo3";
    QTest::newRow("Check1 by space") << "Check1" << false << date << "Combo3";
    QTest::newRow("Check2 by mouse") << "Check2" << true << time << "Combo4";
    QTest::newRow("Check2 by space") << "Check2" << false << time << "Combo4";
    QTest::newRow("Check3 by mouse") << "Check3" << true << own << "Text1";
    QTest::newRow("Check3 by space") << "Check3" << false << own << "Text1";
}

void tst_Form1::checkHandlers()
{
    QFETCH(QString, box);
    QFETCH(bool, mouse);
    QFETCH(QStringList, governed);
    QFETCH(QString, target);
    Window w;
    w.form.Form_Load();
    QVERIFY(w.show());
    auto *check = w.form.findChild<QCheckBox *>(box);
    const auto toggle = [&] {
        if (mouse) {
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
        } else {
            check->setFocus();
            QTest::keyClick(check, Qt::Key_Space);
        }
    };
    const auto enabled = [&] {
        QStringList on;
        for (const QString &name : governed)
            if (w.form.findChild<QWidget *>(name)->isEnabled())
                on << name;
        return on;
    };
    toggle();
    QCOMPARE(enabled(), governed);
    QCOMPARE(focused(), target);
    if (target == u"Text1")
        QCOMPARE(w.form.Text1->textCursor().selectedText(), QStringLiteral("Zdravinky, dnes je: "));
    toggle();
    QCOMPARE(enabled(), QStringList());
    QCOMPARE(focused(), box);
}

void tst_Form1::textBoxSelectsAllOnFocus_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("box");
    QTest::newRow("Tab into Text1") << QStringLiteral("tab") << QStringLiteral("Text1");
    QTest::newRow("Tab into Text2") << QStringLiteral("tab") << QStringLiteral("Text2");
    QTest::newRow("press, hold, release in Text1") << QStringLiteral("click") << QStringLiteral("Text1");
    QTest::newRow("press, hold, release in Text2") << QStringLiteral("click") << QStringLiteral("Text2");
}

void tst_Form1::textBoxSelectsAllOnFocus()
{
    QFETCH(QString, how);
    QFETCH(QString, box);
    Window w("[Path]\nTextV=1\nText1=Ahoj světe\nText2=Druhý text\n");
    w.form.Form_Load();
    QVERIFY(w.show());
    auto *text = w.form.findChild<QPlainTextEdit *>(box);
    if (how == u"tab") {
        QWidget *before = box == u"Text1" ? static_cast<QWidget *>(w.form.Check4) : w.form.Text1;
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
    } else { // as a hand clicks: the button is held for a moment
        QTest::mousePress(text->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
        QTest::qWait(50);
        QTest::mouseRelease(text->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    }
    QCOMPARE(focused(), box);
    QTRY_COMPARE(text->textCursor().selectedText(), text->toPlainText());
    QTest::keyClicks(text, QStringLiteral("x"));
    QCOMPARE(text->toPlainText(), QStringLiteral("x"));
}

void tst_Form1::durationCaption()
{
    Window w;
    w.form.Form_Load();
    QVERIFY(w.show());
    w.form.Bar1->setValue(60);
    QCOMPARE(w.form.Label2->text(), QStringLiteral("60 sec."));
    const QImage unfocused = w.form.Bar1->grab().toImage();
    w.form.Check5->setFocus();
    QTest::keyClick(w.form.Check5, Qt::Key_Tab);
    QVERIFY(w.form.Bar1->hasFocus());
    QVERIFY(w.form.Bar1->grab().toImage() != unfocused); // the keyboard user sees where the focus is
    QTest::keyClick(w.form.Bar1, Qt::Key_Left);
    QCOMPARE(w.form.Label2->text(), QStringLiteral("59 sec."));
    w.form.Label2->setText(QStringLiteral("unchanged"));
    w.form.Bar1->setValue(59); // the same value raises no change
    QCOMPARE(w.form.Label2->text(), QStringLiteral("unchanged"));
    QCOMPARE(w.stored(), QStringList());
}

void tst_Form1::disablingKeepsContent()
{
    Window w("[Path]\nDate=1\nTextV=1\n");
    w.form.Form_Load();
    w.form.Combo3->setEditText(QStringLiteral("dd.mm"));
    w.form.Text1->setPlainText(QStringLiteral("první\ndruhý"));
    w.form.Check1->setChecked(false);
    w.form.Check3->setChecked(false);
    QVERIFY(!w.form.Combo3->isEnabled() && !w.form.Text1->isEnabled());
    w.form.Command3_Click();
    const QStringList stored = w.stored();
    QVERIFY(stored.contains(u"Date=0") && stored.contains(u"DateF=dd.mm"));
    QVERIFY(stored.contains(QStringLiteral("Text1=první\r\ndruhý")));
}

void tst_Form1::applyCommands_data()
{
    QTest::addColumn<bool>("ok"); // OK, else Použít
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("stored");
    const QStringList look = OkLog.mid(0, 5);
    const QStringList texts = { "centre" };
    QTest::newRow("OK") << true << "" << OkLog << true;
    QTest::newRow("Použít") << false << "" << QStringList({ "recompose" }) + look + texts << true;
    QTest::newRow("OK, picture missing") << true << "picture" << QStringList() << false;
    QTest::newRow("Použít, picture missing") << false << "picture" << QStringList({ "recompose" }) << false;
    QTest::newRow("OK, size letters") << true << "letters" << look.mid(0, 2) << false;
    QTest::newRow("OK, size empty") << true << "empty" << look.mid(0, 2) << false;
    QTest::newRow("Použít, size letters")
        << false << "letters" << QStringList({ "recompose" }) + look.mid(0, 2) << false;
    QTest::newRow("OK, size refused") << true << "refused" << look.mid(0, 2) << false;
    QTest::newRow("OK, store refuses") << true << "store" << look << false;
    QTest::newRow("Použít, store refuses") << false << "store" << QStringList({ "recompose" }) + look << false;
}

void tst_Form1::applyCommands()
{
    QFETCH(bool, ok);
    QFETCH(QString, fault);
    QFETCH(QStringList, log);
    QFETCH(bool, stored);
    Window w;
    w.form.Form_Load();
    QVERIFY(w.show());
    w.dialogs.FileName = fault == u"picture" ? broken_ : seven_;
    w.dialogs.Color = 65280;
    w.form.Combo1->setEditText(QStringLiteral("Arial"));
    w.form.Combo2->setEditText(fault == u"letters" ? QStringLiteral("abc") : fault == u"empty" ? QString() : "13");
    w.greeting.refuseSize = fault == u"refused";
    w.form.Check5->setChecked(true);
    w.form.Check2->setChecked(true);
    w.form.Bar1->setValue(42);
    w.form.Text2->setPlainText(QStringLiteral("Jméno:"));
    if (fault == u"store")
        w.refuseWrites();

    ok ? w.form.Command3_Click() : w.form.Command5_Click();

    QCOMPARE(w.greeting.log, log);
    QCOMPARE(w.form.isVisible(), !ok);
    const QStringList texts = { "Date=0", "Cas=1", "TextV=0", "Svatky=0", "DateF=Short date", "CasF=h.mm.ss",
        "Text1=Zdravinky, dnes je: ", "Text2=Jméno:" };
    const QStringList look
        = { "PictrureStrench=1", "Pictrure=" + seven_, "Text=Arial", "Size=13", "Long=42", "Color=65280" };
    QCOMPARE(w.stored(), !stored ? QStringList() : ok ? look + texts : texts);
}

void tst_Form1::storno_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QByteArray>("later"); // changed in the store after the window loaded
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("written");
    const QByteArray texts = "Date=1\nText1=Ahoj\n";
    const QByteArray picture = "Pictrure=" + nine_.toUtf8() + '\n';
    const QByteArray look = picture + "Text=Arial\nSize=13\nColor=65280\n";
    QTest::newRow("stored look") << "[Path]\n" + look + texts << QByteArray()
                                 << QStringList({ "picture 9x3", "font Arial", "size 13", "color 65280", "centre" })
                                 << true;
    QTest::newRow("Storno's fallbacks") << "[Path]\n" + picture + texts << QByteArray()
                                        << QStringList({ "picture 9x3", "font Monotype Corsiva", "size 24", "color 255",
                                               "centre" })
                                        << true;
    QTest::newRow("stored size letters") << "[Path]\n" + look + texts << QByteArray("Size=abc")
                                         << QStringList({ "picture 9x3", "font Arial", "centre" }) << true;
    QTest::newRow("stored colour red") << "[Path]\n" + look + texts << QByteArray("Color=red")
                                       << QStringList({ "picture 9x3", "font Arial", "size 13", "centre" }) << true;
    QTest::newRow("picture absent, default missing")
        << "[Path]\nText=Arial\n" + texts << QByteArray() << QStringList({ "centre" }) << true;
    QTest::newRow("store refuses") << "[Path]\n" + look + texts << QByteArray()
                                   << QStringList({ "picture 9x3", "font Arial", "size 13", "color 65280" }) << false;
}

// As after a Použít: the text keys hold other texts when Storno runs.
void tst_Form1::storno()
{
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, later);
    QFETCH(bool, written);
    if (!ini.contains("Pictrure") && QFileInfo::exists(fallback(Key::Pictrure, Reader::Storno)))
        QSKIP("the default picture is installed here");
    Window w(ini);
    w.form.Form_Load();
    QVERIFY(w.show());
    QStringList kept, used;
    for (Key key : textKeys()) {
        w.temp.store().WriteSetting(key, QStringLiteral("použito"));
        kept << keyName(key) + u'=' + w.form.keptText(key).value_or(QString());
        used << keyName(key) + QStringLiteral("=použito");
    }
    for (int i = 0; i < KeyCount && !later.isEmpty(); ++i)
        if (later.startsWith(keyName(Key(i)).toUtf8() + '='))
            w.temp.store().WriteSetting(Key(i), QString::fromUtf8(later.mid(later.indexOf('=') + 1)));
    if (!written)
        w.refuseWrites();

    w.form.Command2_Click();

    QTEST(w.greeting.log, "log");
    QVERIFY(!w.form.isVisible());
    QStringList texts;
    for (const QString &entry : w.stored())
        if (isTextKey(AllKeys[std::find_if(AllKeys.begin(), AllKeys.end(), [&](Key key) {
                return entry.startsWith(keyName(key) + u'=');
            }) - AllKeys.begin()]))
            texts << entry;
    QCOMPARE(texts, written ? kept : used);
    QCOMPARE(kept.first(), QStringLiteral("Date=1"));
}

void tst_Form1::pouzitThenStorno()
{
    Window w(fullIni());
    w.form.Form_Load();
    const QStringList before = w.stored();
    QVERIFY(w.show());
    w.form.Check4->setChecked(false);
    w.form.Combo4->setEditText(QStringLiteral("h:m:s"));
    w.form.Check5->setChecked(false);
    w.form.Combo2->setEditText(QStringLiteral("30"));
    w.form.Command5_Click();
    QVERIFY(w.stored().contains(u"CasF=h:m:s") && w.stored().contains(u"Size=13"));
    w.form.Command2_Click();
    QCOMPARE(w.stored(), before);
    QCOMPARE(w.greeting.log.mid(1),
        QStringList({ "picture 7x5", "font Arial", "size 30", "color 65280", "stretch 0", "centre", // Použít
            "picture 7x5", "font Arial", "size 13", "color 65280", "centre" })); // Storno
}

void tst_Form1::vychoziThenOkOrStorno_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("stored");
    const QStringList texts = { "Date=0", "Cas=0", "TextV=0", "Svatky=0", "DateF=Short date", "CasF=h.mm.ss",
        "Text1=Zdravinky, dnes je: ", "Text2=Svátek má: " };
    QTest::newRow("then OK") << true
                             << QStringList({ "PictrureStrench=0", "Pictrure=", "Text=Monotype Corsiva", "Size=24",
                                    "Long=11", "Color=255" })
            + texts;
    QTest::newRow("then Storno") << false << texts;
}

void tst_Form1::vychoziThenOkOrStorno()
{
    QFETCH(bool, ok);
    Window w(fullIni());
    w.form.Form_Load();
    QVERIFY(w.show());
    const int fonts = w.form.Combo1->count();
    QTest::mouseClick(w.form.Command6, Qt::LeftButton);
    QCOMPARE(w.stored(), QStringList());
    QVERIFY(w.form.isVisible());
    QCOMPARE(w.form.Combo2->currentText(), QStringLiteral("24"));
    QCOMPARE(w.form.Combo1->count(), fonts);
    QVERIFY(!w.form.Check1->isChecked() && !w.form.Combo3->isEnabled());
    QVERIFY(w.form.Image1->pixmap().isNull());
    QCOMPARE(w.greeting.log, QStringList());
    if (QFileInfo::exists(fallback(Key::Pictrure, Reader::Storno)) && !ok)
        QSKIP("the default picture is installed here");
    QTest::mouseClick(ok ? w.form.Command3 : w.form.Command2, Qt::LeftButton);
    QTEST(w.stored(), "stored");
    QVERIFY(!w.form.isVisible());
}

void tst_Form1::pictureAndColourCommands_data()
{
    QTest::addColumn<bool>("picture"); // Obrázek, else Barva
    QTest::addColumn<QString>("answer"); // empty: cancelled
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("held"); // FileName or Color afterwards
    QTest::addColumn<QSize>("preview");
    const QString open = "open " + seven_ + ' ' + PictureFilter;
    QTest::newRow("picture chosen") << true << nine_ << open << nine_ << QSize(9, 3);
    QTest::newRow("picture cancelled") << true << "" << open << seven_ << QSize(7, 5);
    QTest::newRow("not a picture chosen") << true << broken_ << open << broken_ << QSize(7, 5);
    QTest::newRow("colour chosen") << false << "65280"
                                   << "colour 1 255"
                                   << "65280" << QSize(7, 5);
    QTest::newRow("colour cancelled") << false << ""
                                      << "colour 1 255"
                                      << "255" << QSize(7, 5);
}

void tst_Form1::pictureAndColourCommands()
{
    QFETCH(bool, picture);
    QFETCH(QString, answer);
    Window w("[Path]\nPictrure=" + seven_.toUtf8() + '\n');
    w.form.Form_Load();
    if (!answer.isEmpty()) {
        w.dialogs.file = answer;
        w.dialogs.color = answer.toInt();
    }
    QTest::mouseClick(picture ? w.form.Command1 : w.form.Command4, Qt::LeftButton);
    QFETCH(QString, asked);
    QCOMPARE(w.dialogs.asked, QStringList { asked });
    QTEST(picture ? w.dialogs.FileName : QString::number(w.dialogs.Color), "held");
    QTEST(w.form.Image1->pixmap().size(), "preview");
    QCOMPARE(isRed(w.form.Label6), answer.isEmpty() || picture);
    QCOMPARE(w.stored(), QStringList({ "Pictrure=" + seven_ }));
    QCOMPARE(w.greeting.log, QStringList());
}

void tst_Form1::keyboard_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("outcome");
    const Qt::KeyboardModifiers none;
    for (const char *name :
        { "Check1", "Check2", "Check3", "Check4", "Check5", "Bar1", "Combo1", "Combo2", "Combo3", "Combo4" })
        QTest::addRow("Enter in %s", name) << name << int(Qt::Key_Return) << none << "OK";
    QTest::newRow("Enter in Combo3 line edit") << "Combo3 line edit" << int(Qt::Key_Return) << none << "OK";
    QTest::newRow("keypad Enter in Check4")
        << "Check4" << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "OK";
    QTest::newRow("Shift+Enter in Combo2")
        << "Combo2" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ShiftModifier) << "OK";
    QTest::newRow("Ctrl+Enter in Bar1") << "Bar1" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                        << "OK";
    QTest::newRow("Alt+Enter in Check1") << "Check1" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::AltModifier)
                                         << "OK";
    QTest::newRow("Enter in Text1") << "Text1" << int(Qt::Key_Return) << none << "line break";
    QTest::newRow("keypad Enter in Text1") << "Text1" << int(Qt::Key_Enter) << none << "line break";
    QTest::newRow("Enter in Text2") << "Text2" << int(Qt::Key_Return) << none << "line break";
    for (const char *name : { "Combo1", "Combo3 line edit", "Text1", "Check1", "Bar1", "Command6" })
        QTest::addRow("Escape in %s", name) << name << int(Qt::Key_Escape) << none << "Storno";
}

void tst_Form1::keyboard()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, outcome);
    Window w(fullIni());
    w.form.Form_Load();
    QVERIFY(w.show());
    QWidget *target = w.form.findChild<QWidget *>(control.section(u' ', 0, 0));
    target->setFocus();
    auto *combo = qobject_cast<QComboBox *>(target);
    auto *text = qobject_cast<QPlainTextEdit *>(target);
    const int listed = combo ? combo->count() : 0;
    if (combo && control.endsWith(u"line edit"))
        target = combo->lineEdit();
    if (text)
        text->moveCursor(QTextCursor::End);
    if (combo || text)
        QTest::keyClicks(target, QStringLiteral("0"));
    QTest::keyClick(target, Qt::Key(key), modifiers);

    QCOMPARE(w.form.isVisible(), outcome == u"line break");
    if (outcome == u"OK") {
        QCOMPARE(w.greeting.log.size(), OkLog.size()); // typed text goes into the font and size
        QCOMPARE(w.greeting.log.mid(5), OkLog.mid(5));
        QCOMPARE(w.stored().size(), KeyCount);
    } else if (outcome == u"Storno") {
        QCOMPARE(w.greeting.log, QStringList({ "picture 7x5", "font Arial", "size 13", "color 65280", "centre" }));
    } else {
        QCOMPARE(w.greeting.log, QStringList());
        QCOMPARE(text->toPlainText().count(u'\n'), 1);
    }
    if (combo) {
        QCOMPARE(combo->count(), listed); // nothing added to the list
        QVERIFY(combo->currentText().endsWith(u'0'));
    }
}

// The way the greeting window runs it: exec() on a window loaded before it is shown.
void tst_Form1::execEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("logged");
    QTest::newRow("Enter in Combo1") << "enter" << OkLog.size();
    QTest::newRow("Escape") << "escape" << 5;
    QTest::newRow("program ends") << "end" << 0;
    QTest::newRow("program ends in the picture dialog") << "end in dialog" << 0;
    QTest::newRow("close box") << "close" << 0;
}

void tst_Form1::execEnds()
{
    QFETCH(QString, how);
    QFETCH(int, logged);
    Window w(fullIni());
    w.form.Form_Load();
    const QStringList before = w.stored();
    const auto endProgram = [] {
        for (QWidget *window : QApplication::topLevelWidgets())
            window->hide();
    };
    w.dialogs.whileOpen = endProgram;
    QTimer::singleShot(0, &w.form, [&] {
        if (how == u"enter")
            QTest::keyClick(w.form.Combo1, Qt::Key_Return);
        else if (how == u"escape")
            QTest::keyClick(w.form.Combo1, Qt::Key_Escape);
        else if (how == u"end")
            endProgram();
        else if (how == u"close")
            w.form.close();
        else
            w.form.Command1->click();
    });
    w.form.exec();
    QVERIFY(!w.form.isVisible());
    QCOMPARE(w.greeting.log.size(), logged);
    if (logged == 0)
        QCOMPARE(w.stored(), before);
}

// A load that fails halfway leaves design-time values in the controls it did
// not reach; the commands must not store them over what the person set. The
// store file is read again when the window opens, so a hand edit made while
// the program runs is kept too.
void tst_Form1::storesOnlyWhatItShowedOrWasChanged_data()
{
    QTest::addColumn<QByteArray>("stored"); // a line of the store file, replaced
    QTest::addColumn<QByteArray>("handEdit"); // written by hand after the program read the file
    QTest::addColumn<QString>("typedDateF"); // typed into the date format box; empty: nothing
    QTest::addColumn<bool>("ok"); // OK, else Storno
    const QByteArrayList failures = { "PictrureStrench=5", "Pictrure=" + dir_.filePath("chybí.jpg").toUtf8(),
        "Long=120", "Color=abc", "Date=7", "Svatky=-1" };
    for (const QByteArray &failure : failures) {
        QTest::addRow("%s, OK", failure.constData()) << failure << QByteArray() << QString() << true;
        QTest::addRow("%s, Storno", failure.constData()) << failure << QByteArray() << QString() << false;
    }
    QTest::newRow("Long=120, format typed, OK") << QByteArray("Long=120") << QByteArray() << "d.m.yy" << true;
    QTest::newRow("hand edit, OK") << QByteArray() << QByteArray("Text1=Ručně") << QString() << true;
    QTest::newRow("hand edit, Storno") << QByteArray() << QByteArray("Cas=0") << QString() << false;
}

void tst_Form1::storesOnlyWhatItShowedOrWasChanged()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, handEdit);
    QFETCH(QString, typedDateF);
    QFETCH(bool, ok);
    Window w(fullIni({ stored }));
    const QByteArray edited = fullIni({ stored, handEdit });
    QFile file(w.temp.filePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(edited) == edited.size());
    file.close();
    w.form.Form_Load();
    QVERIFY(w.show());
    if (!typedDateF.isEmpty())
        w.form.Combo3->setEditText(typedDateF);

    ok ? w.form.Command3_Click() : w.form.Command2_Click();

    QCOMPARE(w.temp.fileText(), typedDateF.isEmpty() ? edited : fullIni({ stored, "DateF=" + typedDateF.toUtf8() }));
}

// Every caption, list item and value fits its control at the designed size:
// the size box's "24" must not read as "4". Run at device pixel ratio 2 too.
void tst_Form1::nothingClipped()
{
    Window w(fullIni());
    w.form.Form_Load();
    QVERIFY(w.show());
    QStringList clipped;
    const auto need = [&](QWidget *control, QString text, int room) {
        if (control->fontMetrics().horizontalAdvance(text.remove(u'&')) > room)
            clipped << control->objectName() + u' ' + text;
    };
    for (QCheckBox *box : w.form.findChildren<QCheckBox *>()) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        need(box, box->text(), box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width());
    }
    for (QPushButton *button : w.form.findChildren<QPushButton *>())
        need(button, button->text(),
            button->contentsRect().width() - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin));
    for (QLabel *label : w.form.findChildren<QLabel *>())
        need(label, label->text(), label->contentsRect().width());
    for (QComboBox *combo : w.form.findChildren<QComboBox *>()) {
        combo->showPopup();
        const int listRoom = combo->view()->viewport()->width();
        combo->hidePopup();
        for (int i = 0; i < combo->count(); ++i) {
            const QString item = combo->itemText(i);
            if (combo->view()->sizeHintForIndex(combo->model()->index(i, 0)).width() > listRoom)
                clipped << combo->objectName() + QStringLiteral(" list ") + item;
            if (combo != w.form.Combo1) { // font names can be any length; the box scrolls
                QLineEdit *edit = combo->lineEdit();
                edit->setText(item);
                edit->home(false);
                const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
                edit->end(false);
                need(combo, item, edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() - start);
            }
        }
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
}

// What a screen reader announces: each control by its caption or the label
// beside it, never by its value or a neighbouring frame.
void tst_Form1::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("font") << "Combo1"
                          << "Písmo"
                          << "Arial";
    QTest::newRow("size") << "Combo2"
                          << "Velikost písma"
                          << "13";
    QTest::newRow("colour") << "Label6"
                            << "Barva písma"
                            << "červená 0, zelená 255, modrá 0";
    QTest::newRow("duration") << "Bar1"
                              << "Délka zobrazení"
                              << "30";
    QTest::newRow("date format") << "Combo3"
                                 << "Formát data"
                                 << "d.mm.yyyy";
    QTest::newRow("time format") << "Combo4"
                                 << "Formát času"
                                 << "hh:mm:ss";
    QTest::newRow("first text") << "Text1"
                                << "První část vlastního textu"
                                << "Ahoj";
    QTest::newRow("second text") << "Text2"
                                 << "Druhá část vlastního textu"
                                 << "Jméno";
    QTest::newRow("preview") << "Image1"
                             << "Obrázek na pozadí"
                             << "";
    QTest::newRow("frame") << "Frame2"
                           << "Písmo"
                           << "";
    QTest::newRow("check box") << "Check1"
                               << "Zobrazit Datum"
                               << "";
}

void tst_Form1::accessibleNames()
{
    QFETCH(QString, control);
    Window w(fullIni());
    w.form.Form_Load();
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(w.form.findChild<QWidget *>(control));
    QVERIFY(accessible);
    QTEST(accessible->text(QAccessible::Name), "name");
    QFETCH(QString, value);
    if (!value.isEmpty())
        QCOMPARE(accessible->text(QAccessible::Value), value);
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
