#include "app/imagecontrol.h"
#include "app/zdravinky.h"
#include "common/tempstore.h"
#include "common/testsupport.h"
#include "platform/clock.h"
#include "platform/webpage.h"
#include "settings/form1.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <sys/stat.h>

namespace {

const QString Fixed = QStringLiteral("Zdravinky,\r\npřeji dobrý den.");

struct Greeting
{
    explicit Greeting(
        const QByteArray &storeFile = {}, const QDateTime &now = QDateTime(QDate(2004, 3, 5), QTime(14, 5, 9)))
        : temp(storeFile)
        , clock(now)
        , window(std::make_unique<Zdravinky>(temp.store(), clock))
    { }
    QLabel *label(const char *name) const { return window->findChild<QLabel *>(QLatin1String(name)); }
    QTimer *timer(const char *name) const { return window->findChild<QTimer *>(QLatin1String(name)); }
    ImageControl *image() const { return window->findChild<ImageControl *>(QStringLiteral("Image1")); }
    QString text() const { return label("Label2")->text(); }

    TempStore temp;
    ManualClock clock;
    std::unique_ptr<Zdravinky> window;
};

QByteArray store(const QByteArray &lines)
{
    return "[Path]\n" + lines;
}

} // namespace

class tst_Zdravinky : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void designTimeLook();
    void menuItems();
    void emptyStoreClosesAfterComposing();
    void pictureStretch_data();
    void pictureStretch();
    void pictureDrawn_data();
    void pictureDrawn();
    void pictureGoneBeforeRedecode_data();
    void pictureGoneBeforeRedecode();
    void failingStepKeepsWindowOpen_data();
    void failingStepKeepsWindowOpen();
    void waitsOutTheDuration();
    void waitAcrossMidnightEnds();
    void notActiveAtDeadlineStaysOpen();
    void escapeEndsAtOnce();
    void otherKeysDoNothing();
    void nameDayOncePerWindow();
    void timeRefreshChangesOnlyTheTime_data();
    void timeRefreshChangesOnlyTheTime();
    void tickWithNothingNewLeavesLabel();
    void nameDayWrap_data();
    void nameDayWrap();
    void exactlyAsWideDoesNotWrap();
    void centredInTwips();
    void badFlagRetriesEveryTick();
    void casTwoComposesOnce();
    void hintLabel();
    void konecEndsProgram();
    void settingsHoldTheDeadline();
    void helpPageOpens();
    void accessKeys_data();
    void accessKeys();
    void pictureSharpAtRatioTwo();
};

namespace {

// Takes the pages the program opens, so that no browser starts.
class PageCatcher : public QObject
{
    Q_OBJECT
public:
    PageCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~PageCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

void tst_Zdravinky::designTimeLook()
{
    Greeting g;
    QVERIFY(g.window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(g.window->size(), QSize(312, 215)); // 4680 x 3225 twips at 96 DPI
    QCOMPARE(g.text(), QStringLiteral("       "));
    QCOMPARE(g.label("Label2")->font().family(), QStringLiteral("Monotype Corsiva"));
    QCOMPARE(g.label("Label2")->font().pointSizeF(), 24.0);
    QVERIFY(g.label("Label2")->font().italic());
    QCOMPARE(g.label("Label2")->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(g.label("Label1")->text(), QStringLiteral("-"));
    QVERIFY(g.label("Label1")->isHidden());
    QVERIFY(g.label("Label3")->text().isEmpty());
    QCOMPARE(g.label("Label3")->toolTip(), QStringLiteral("Nastavení."));
    QCOMPARE(g.label("Label3")->geometry(), QRect(28, 195, 5, 15));
    QCOMPARE(g.image()->geometry(), QRect(232, 144, 57, 41));
    QVERIFY(g.timer("Timer1")->isActive());
    QCOMPARE(g.timer("Timer1")->interval(), 100);
    QVERIFY(g.timer("Timer2")->isActive());
    QCOMPARE(g.timer("Timer2")->interval(), 1);
    QCOMPARE(g.window->focusPolicy(), Qt::NoFocus);
    QCOMPARE(g.window->windowIcon().availableSizes(), (QList<QSize> { { 16, 16 }, { 32, 32 }, { 48, 48 } }));
}

void tst_Zdravinky::menuItems()
{
    Greeting g;
    const auto *menu = g.window->findChild<QMenu *>(QStringLiteral("mnuMenu"));
    QVERIFY(menu);
    QStringList items;
    for (const QAction *action : menu->actions())
        items << action->objectName() + QLatin1Char('=')
                + (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items,
        QStringList(
            { "mnuSett=&Nastavení", "mnuMezera2=-", "mnuWeb=&Online pomoc", "mnuMezera=-", "mnuKonec=&Konec" }));
}

void tst_Zdravinky::emptyStoreClosesAfterComposing()
{
    Greeting g(store("Long=0\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    g.window->Show();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(g.text(), Fixed);
    QCOMPARE(QAccessible::queryAccessibleInterface(g.label("Label2"))->text(QAccessible::Name), Fixed);
    QCOMPARE(
        QAccessible::queryAccessibleInterface(g.window.get())->text(QAccessible::Name), QStringLiteral("Zdravinky"));
    QCOMPARE(g.label("Label1")->text(), QStringLiteral(" Kazimír "));
    QVERIFY(!g.timer("Timer1")->isActive());
    QVERIFY(!g.timer("Timer2")->isActive());
    QVERIFY(!g.window->isVisible());
    QCOMPARE(g.label("Label2")->font().pointSizeF(), 12.0);
    QVERIFY(!g.image()->stretch());
}

void tst_Zdravinky::pictureStretch_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("stretch");
    QTest::newRow("1 stretches") << QByteArray("1") << true;
    QTest::newRow("1.0 stretches") << QByteArray(" 1.0 ") << true;
    QTest::newRow("0 natural size") << QByteArray("0") << false;
    QTest::newRow("2 natural size") << QByteArray("2") << false;
    QTest::newRow("-1 natural size") << QByteArray("-1") << false;
}

void tst_Zdravinky::pictureStretch()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, stretch);
    QTemporaryDir dir;
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString path = dir.filePath("pozadí.bmp");
    QVERIFY(picture.save(path));
    Greeting g(store("Long=0\nPictrureStrench=" + value + "\nPictrure=\"" + path.toUtf8() + "\"\n"));
    g.window->Show();
    QCOMPARE(g.image()->stretch(), stretch);
    QCOMPARE(g.image()->pos(), QPoint(0, 0));
    QCOMPARE(g.image()->size(), stretch ? g.window->size() : QSize(40, 30));
}

namespace {

// Puts an EXIF segment holding only the orientation into a JPEG: 6 means the
// picture stands upright turned a quarter clockwise, 8 a quarter back.
QByteArray withOrientation(const QByteArray &jpeg, char orientation)
{
    const QByteArray exif = QByteArray::fromHex("ffe10022"
                                                "457869660000" // "Exif"
                                                "4d4d002a00000008" // big-endian TIFF, first IFD at 8
                                                "0001011200030000000100") // one entry: orientation, a short
        + orientation + QByteArray(6, '\0');
    return jpeg.left(2) + exif + jpeg.mid(2);
}

// The largest difference of a colour channel between two pictures of one size.
int difference(const QImage &a, const QImage &b)
{
    int most = a.size() == b.size() ? 0 : 255;
    for (int y = 0; y < a.height() && most < 255; ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max(
                { most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)) });
        }
    }
    return most;
}

} // namespace

void tst_Zdravinky::pictureDrawn_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<char>("orientation"); // EXIF, 1 upright
    QTest::addColumn<bool>("stretch");
    QTest::newRow("jpeg, its top-left corner at 1:1") << QByteArray("jpg") << '\1' << false;
    QTest::newRow("jpeg scaled to the window") << QByteArray("jpg") << '\1' << true;
    QTest::newRow("portrait jpeg (EXIF 6) upright, corner") << QByteArray("jpg") << '\6' << false;
    QTest::newRow("portrait jpeg (EXIF 6) upright, scaled") << QByteArray("jpg") << '\6' << true;
    QTest::newRow("portrait jpeg (EXIF 8) upright, corner") << QByteArray("jpg") << '\10' << false;
    QTest::newRow("png, its top-left corner at 1:1") << QByteArray("png") << '\1' << false;
    QTest::newRow("png scaled to the window") << QByteArray("png") << '\1' << true;
}

// What the window shows of the upright photo: at its natural size its top-left
// corner pixel for pixel, stretched the whole of it scaled to the window
// (within the rounding of JPEG and of the scaler).
void tst_Zdravinky::pictureDrawn()
{
    QFETCH(QByteArray, format);
    QFETCH(char, orientation);
    QFETCH(bool, stretch);
    const bool portrait = orientation != 1;
    QImage upright(portrait ? 600 : 800, portrait ? 800 : 600, QImage::Format_RGB32);
    for (int y = 0; y < upright.height(); ++y) {
        for (int x = 0; x < upright.width(); ++x) // turned or mirrored the wrong way, it shows
            upright.setPixel(x, y, qRgb(x * 255 / upright.width(), y * 255 / upright.height(), 64));
    }
    const QImage stored = upright.transformed(QTransform().rotate(orientation == 6 ? -90 : orientation == 8 ? 90 : 0));
    QTemporaryDir dir;
    const QString path = dir.filePath("fotka." + format);
    QVERIFY(stored.save(path, nullptr, 95));
    if (portrait) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray jpeg = withOrientation(file.readAll(), orientation);
        file.close();
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size());
    }
    Greeting g(
        store("Long=0\nPictrureStrench=" + QByteArray(stretch ? "1" : "0") + "\nPictrure=\"" + path.toUtf8() + "\"\n"));
    g.window->Show();
    QCOMPARE(g.image()->size(), stretch ? g.window->size() : upright.size());
    const QRect window = g.window->rect();
    const QImage drawn = g.image()->grab(window).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = stretch ? upright.scaled(window.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    : upright.copy(window);
    QCOMPARE_LE(difference(drawn, expected), format == "png" ? 1 : 6);
}

void tst_Zdravinky::pictureGoneBeforeRedecode_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("file removed") << false;
    QTest::newRow("file replaced by a FIFO") << true;
}

// OK puts the picture in first and then its stretch, which decodes it anew.
// A file gone by then is no picture, without a freeze.
void tst_Zdravinky::pictureGoneBeforeRedecode()
{
    QFETCH(bool, fifo);
    QTemporaryDir dir;
    const QString path = dir.filePath("fotka.png");
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(path));
    Greeting g(store("Long=0\n"));
    g.window->Show();
    g.window->setPicture(path);
    QVERIFY(QFile::remove(path));
    if (fifo)
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    g.window->setPictureStretch(true);
    const QImage drawn = g.image()->grab().toImage();
    QCOMPARE_NE(drawn.pixel(10, 10), qRgb(255, 0, 0));
}

void tst_Zdravinky::failingStepKeepsWindowOpen_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("composedAtLoad");
    QTest::addColumn<qreal>("size");
    QTest::newRow("stretch not a number") << store("Long=0\nPictrureStrench=x\nSize=30\n") << false << 24.0;
    QTest::newRow("missing picture") << store("Long=0\nPictrure=/nonexistent/Já 8.jpg\nSize=30\n") << false << 24.0;
    static QTemporaryDir dir; // as long as the test program runs
    const QByteArray fifo = dir.filePath("fifo.jpg").toUtf8();
    mkfifo(fifo.constData(), 0600); // opening it for reading would wait for a writer
    QTest::newRow("picture a FIFO") << store("Long=0\nPictrure=" + fifo + "\nSize=30\n") << false << 24.0;
    QTest::newRow("size not a number") << store("Long=0\nSize=velká\n") << false << 24.0;
    QTest::newRow("size the label refuses") << store("Long=0\nSize=0\n") << false << 24.0;
    QTest::newRow("colour not a number") << store("Long=0\nSize=30\nColor=red\n") << false << 30.0;
    QTest::newRow("colour out of range") << store("Long=0\nSize=30\nColor=16777216\n") << false << 30.0;
    QTest::newRow("duration not a number") << store("Long=dlouho\nSize=30\n") << true << 30.0;
}

// A failing step ends the load: no wait, no automatic close; the timers still
// bring the name day and the greeting text.
void tst_Zdravinky::failingStepKeepsWindowOpen()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, composedAtLoad);
    QFETCH(qreal, size);
    Greeting g(file);
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    g.window->Show();
    QVERIFY(g.window->isVisible());
    QCOMPARE(ended.count(), 0);
    QCOMPARE(g.label("Label2")->font().pointSizeF(), size);
    QCOMPARE(g.text() == Fixed, composedAtLoad);
    QTRY_COMPARE(g.text(), Fixed);
    QCOMPARE(g.label("Label1")->text(), QStringLiteral(" Kazimír "));
    QCOMPARE(ended.count(), 0);
}

void tst_Zdravinky::waitsOutTheDuration()
{
    Greeting g(store("Long=3\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    QTimer tick;
    int ticks = 0;
    connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        g.clock.advanceMs(500);
    });
    tick.start(10);
    g.window->Show();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ticks, 6); // closes at the first look at the clock past 3 s
}

void tst_Zdravinky::waitAcrossMidnightEnds()
{
    Greeting g(store("Long=60\n"), QDateTime(QDate(2026, 12, 31), QTime(23, 59, 30)));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { g.clock.advanceMs(10'000); });
    tick.start(5);
    g.window->Show();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(g.clock.now(), QDateTime(QDate(2027, 1, 1), QTime(0, 0, 30)));
}

void tst_Zdravinky::notActiveAtDeadlineStaysOpen()
{
    Greeting g(store("Long=1\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    QWidget other;
    other.setObjectName(QStringLiteral("other"));
    QTimer::singleShot(0, &other, [&] {
        other.show();
        other.activateWindow();
    });
    QTimer nudge; // moves the clock past the deadline once the other window is active
    connect(&nudge, &QTimer::timeout, [&] {
        if (QApplication::activeWindow() == &other)
            g.clock.advanceMs(2000);
    });
    nudge.start(20);
    g.window->Show();
    QCOMPARE(QApplication::activeWindow(), &other);
    QCOMPARE(ended.count(), 0);
    QVERIFY(g.window->isVisible());
}

void tst_Zdravinky::escapeEndsAtOnce()
{
    Greeting g(store("Long=3600\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    QTimer::singleShot(0, g.window.get(), [&] { QTest::keyClick(g.window.get(), Qt::Key_Escape); });
    g.window->Show();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!g.window->isVisible());
}

void tst_Zdravinky::otherKeysDoNothing()
{
    Greeting g(store("Long=x\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    g.window->Show();
    for (Qt::Key key : { Qt::Key_Enter, Qt::Key_Space, Qt::Key_Q, Qt::Key_F4 })
        QTest::keyClick(g.window.get(), key, Qt::AltModifier);
    QTest::keyClick(g.window.get(), Qt::Key_Escape, Qt::ShiftModifier);
    QCOMPARE(ended.count(), 1);
}

void tst_Zdravinky::nameDayOncePerWindow()
{
    Greeting g(store("Long=x\n"), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
    g.window->Show();
    QCOMPARE(g.label("Label1")->text(), QStringLiteral(" "));
    g.clock.advanceMs(2000);
    QTest::qWait(20);
    QCOMPARE(g.label("Label1")->text(), QStringLiteral(" ")); // not again after midnight
}

void tst_Zdravinky::timeRefreshChangesOnlyTheTime_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QTime>("later");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const QDate day(2004, 3, 5);
    QTest::newRow("grows at ten o'clock") << store("Cas=1\nCasF=h.mm.ss\n") << QDateTime(day, QTime(9, 59, 59))
                                          << QTime(10, 0, 0) << Fixed + "\r\n9.59.59" << Fixed + "\r\n10.00.00";
    QTest::newRow("text after the time follows it")
        << store("Cas=1\nSvatky=1\nCasF=h.mm.ss\n") << QDateTime(day, QTime(9, 59, 59)) << QTime(10, 0, 0)
        << Fixed + "\r\n9.59.59\r\nSvátek má:  Kazimír " << Fixed + "\r\n10.00.00\r\nSvátek má:  Kazimír ";
    QTest::newRow("shrinks without leading zeros")
        << store("Cas=1\nTextV=1\nText1=A\nText2=B\nCasF=h.m.s\n") << QDateTime(day, QTime(10, 10, 10))
        << QTime(9, 5, 0) << "A\r\n10.10.10\r\nB"
        << "A\r\n9.5.0\r\nB";
    QTest::newRow("leading zero kept") << store("Cas=1\nTextV=1\nText1=A\nText2=B\nCasF=hh.mm.ss\n")
                                       << QDateTime(day, QTime(9, 5, 33)) << QTime(9, 5, 34) << "A\r\n09.05.33\r\nB"
                                       << "A\r\n09.05.34\r\nB";
    QTest::newRow("date with the same digits stays")
        << store("Cas=1\nDate=1\nTextV=1\nText1=20:\nText2=B\nDateF=d.m.yyyy\nCasF=hh:mm\n")
        << QDateTime(QDate(2020, 3, 5), QTime(20, 20, 0)) << QTime(21, 0, 0) << "20:\r\n5.3.2020\r\n20:20\r\nB"
        << "20:\r\n5.3.2020\r\n21:00\r\nB";
}

void tst_Zdravinky::timeRefreshChangesOnlyTheTime()
{
    QFETCH(QByteArray, file);
    QFETCH(QDateTime, start);
    QFETCH(QTime, later);
    QFETCH(QString, before);
    QFETCH(QString, after);
    Greeting g(store("Long=x\n") + file.mid(7), start);
    g.window->Show();
    QCOMPARE(g.text(), before);
    QCOMPARE(g.window->textComposed(), qint16(1));
    const QPoint position = g.label("Label2")->pos();
    g.clock.setTime(later);
    g.window->Timer1_Timer();
    QCOMPARE(g.text(), after);
    QCOMPARE(g.label("Label2")->pos(), position); // not centred again
}

void tst_Zdravinky::tickWithNothingNewLeavesLabel()
{
    Greeting g(store("Long=x\nCas=1\nCasF=h.mm\n"));
    g.window->Show();
    QLabel *label = g.label("Label2");
    const QString text = g.text();
    label->setText(text); // the same text as a new QString object
    int changes = 0;
    struct Counter : QObject
    {
        int *count;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                ++*count;
            return false;
        }
    } counter;
    counter.count = &changes;
    QTest::qWait(50);
    label->installEventFilter(&counter);
    g.clock.advanceMs(1000); // 14:05:10, still 14.05
    for (int i = 0; i < 5; ++i)
        g.window->Timer1_Timer();
    QTest::qWait(50);
    QCOMPARE(changes, 0);
    QCOMPARE(g.text(), text);
}

void tst_Zdravinky::nameDayWrap_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("expected");
    QByteArray big = "Size=40\nTextV=1\nSvatky=1\n";
    QTest::newRow("too wide: name on its own line") << store(big + "Text1=Dobrý den\nText2=Svátek má dnes:\n")
                                                    << QDate(2004, 3, 5) << "Dobrý den\r\nSvátek má dnes:\r\n Kazimír ";
    QTest::newRow("29 February's single space") << store(big + "Text1=Dobrý den\nText2=Svátek má dnes:\n")
                                                << QDate(2024, 2, 29) << "Dobrý den\r\nSvátek má dnes:\r\n ";
    QTest::newRow("only the final name moves") << store(big + "Text1=\" Kazimír \"\nText2=Svátek má dnes:\n")
                                               << QDate(2004, 3, 5) << " Kazimír \r\nSvátek má dnes:\r\n Kazimír ";
    QTest::newRow("24 December's two lines")
        << store(big + "Text1=Dobrý den\nText2=Svátek má dnes:\n") << QDate(2004, 12, 24)
        << "Dobrý den\r\nSvátek má dnes:\r\n Adam a Eva\r\n(Štědrý Den)";
    QTest::newRow("narrow enough: no wrap")
        << store("TextV=1\nSvatky=1\nSize=8\nText1=A\nText2=B\n") << QDate(2004, 3, 5) << "A\r\nB Kazimír ";
    QTest::newRow("wide but name day off: no wrap")
        << store(big.replace("Svatky=1", "Svatky=0") + "Text1=Dobrý den\nText2=Svátek má dnes:\n") << QDate(2004, 3, 5)
        << "Dobrý den\r\nSvátek má dnes:";
}

void tst_Zdravinky::nameDayWrap()
{
    QFETCH(QByteArray, file);
    QFETCH(QDate, day);
    QFETCH(QString, expected);
    Greeting g(file + "Long=x\n", QDateTime(day, QTime(8, 0)));
    g.window->Show();
    QCOMPARE(g.text(), expected);
}

// The label is wider than the window only when strictly wider.
void tst_Zdravinky::exactlyAsWideDoesNotWrap()
{
    Greeting g(store("Long=x\nTextV=1\nSvatky=1\nText1=A\nText2=\"Svátek: \"\n"));
    g.window->Show();
    QLabel *label = g.label("Label2");
    const QString unwrapped = "A\r\nSvátek:  Kazimír ";
    for (float size = 8; size < 80; size += 0.25f) {
        g.window->setTextFontSize(size);
        label->setText(unwrapped);
        label->adjustSize();
        if (label->width() != g.window->width())
            continue;
        g.window->recomposeText();
        g.window->Timer1_Timer();
        QCOMPARE(g.text(), unwrapped);
        return;
    }
    QSKIP("no font size gives a label exactly as wide as the window here");
}

void tst_Zdravinky::centredInTwips()
{
    Greeting g(store("Long=x\nSize=60\nTextV=1\nText1=Široký pozdrav na celé okno\nText2=x\n"));
    g.window->Show();
    const QRect label = g.label("Label2")->geometry();
    QVERIFY(label.width() > g.window->width()); // overhangs on both sides
    QVERIFY(label.left() < 0);
    QVERIFY(qAbs(label.center().x() - g.window->rect().center().x()) <= 1);
    QVERIFY(qAbs(label.center().y() - g.window->rect().center().y()) <= 1);
}

void tst_Zdravinky::badFlagRetriesEveryTick()
{
    Greeting g(store("Long=x\nTextV=ano\n"));
    g.window->Show();
    QCOMPARE(g.text(), QStringLiteral("       "));
    QVERIFY(g.timer("Timer1")->isActive());
    QCOMPARE(g.window->textComposed(), qint16(0));
    g.temp.store().WriteSetting(Key::TextV, QStringLiteral("0"));
    QTRY_COMPARE(g.text(), Fixed);
    QTRY_VERIFY(!g.timer("Timer1")->isActive());
}

void tst_Zdravinky::casTwoComposesOnce()
{
    Greeting g(store("Long=x\nCas=2\n"));
    g.window->Show();
    QCOMPARE(g.text(), QStringLiteral("       "));
    QCOMPARE(g.window->textComposed(), qint16(1));
    g.clock.advanceMs(5000);
    g.window->Timer1_Timer();
    QCOMPARE(g.text(), QStringLiteral("       "));
}

void tst_Zdravinky::hintLabel()
{
    Greeting g(store("Long=x\n"));
    g.window->Show();
    QLabel *hint = g.label("Label3");
    QCOMPARE(hint->font().family(), QStringLiteral("Comic Sans MS")); // its own font, not the window's
    QCOMPARE(hint->font().pointSizeF(), 8.25);
    QVERIFY(!hint->font().italic() && hint->font().weight() == QFont::Normal);
    const QSize empty = hint->size();
    auto *menu = g.window->findChild<QMenu *>(QStringLiteral("mnuMenu"));
    QTest::mouseMove(hint);
    QCOMPARE(hint->text(), QStringLiteral("Setting"));
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    QTest::mouseMove(g.image(), QPoint(5, 5));
    QCOMPARE(hint->text(), QStringLiteral("Setting")); // moving over the picture keeps it
    QTest::mouseMove(g.label("Label2"));
    QVERIFY(hint->text().isEmpty());
    QCOMPARE(hint->size(), empty); // no strip of hint left over the picture
}

void tst_Zdravinky::konecEndsProgram()
{
    Greeting g(store("Long=x\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    g.window->Show();
    g.window->findChild<QAction *>(QStringLiteral("mnuKonec"))->trigger();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!g.timer("Timer1")->isActive());
    QVERIFY(!g.timer("Timer2")->isActive());
    QVERIFY(!g.window->isVisible());
}

// While the modal settings window is open the wait stands still, the timers
// go on and the greeting takes no keys; closed after the deadline, the
// greeting window closes at once.
void tst_Zdravinky::settingsHoldTheDeadline()
{
    Greeting g(store("Long=1\nCas=1\nCasF=h.mm.ss\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    bool checked = false;
    QTimer::singleShot(0, g.window.get(), [&] { g.window->mnuSett_Click(); });
    QTimer::singleShot(50, g.window.get(), [&] {
        auto *form = qobject_cast<Form1 *>(QApplication::activeModalWidget());
        QVERIFY(form);
        g.clock.advanceMs(5000); // far past the deadline
        QTest::qWait(300);
        QCOMPARE(ended.count(), 0);
        QCOMPARE(g.text(), Fixed + "\r\n14.05.14"); // the time still runs
        QTest::keyClick(g.window->windowHandle(), Qt::Key_Escape); // blocked by the modal window
        QCOMPARE(ended.count(), 0);
        checked = true;
        form->Command2->click();
    });
    g.window->Show();
    QVERIFY(checked);
    QCOMPARE(ended.count(), 1);
}

void tst_Zdravinky::helpPageOpens()
{
    PageCatcher catcher;
    Greeting g(store("Long=x\n"));
    g.window->Show();
    g.window->findChild<QAction *>(QStringLiteral("mnuWeb"))->trigger();
    QCOMPARE(catcher.opened, QList<QUrl> { helpPageUrl() });
    QVERIFY(helpPageUrl().toLocalFile().endsWith(QStringLiteral("napoveda.html")));
    QVERIFY(g.window->isVisible());
}

void tst_Zdravinky::accessKeys_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("ends");
    QTest::newRow("O opens help") << Qt::Key_O << "napoveda.html" << false;
    QTest::newRow("K ends") << Qt::Key_K << "" << true;
}

void tst_Zdravinky::accessKeys()
{
    QFETCH(Qt::Key, key);
    QFETCH(QString, page);
    QFETCH(bool, ends);
    PageCatcher catcher;
    Greeting g(store("Long=x\n"));
    QSignalSpy ended(g.window.get(), &Zdravinky::unloaded);
    g.window->Show();
    QTest::mouseMove(g.label("Label2"));
    QTest::mousePress(g.label("Label2"), Qt::RightButton);
    auto *menu = g.window->findChild<QMenu *>(QStringLiteral("mnuMenu"));
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, key);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(ended.count(), ends ? 1 : 0);
    QCOMPARE(catcher.opened.size(), page.isEmpty() ? 0 : 1);
}

// Run by the app_hidpi test at scale factor 2: a picture with a pixel for
// every device pixel must reach the screen pixel for pixel, not drawn at the
// logical size and blown up.
void tst_Zdravinky::pictureSharpAtRatioTwo()
{
    ImageControl control;
    if (control.devicePixelRatioF() != 2)
        QSKIP("needs QT_SCALE_FACTOR=2");
    QImage checkerboard(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < checkerboard.height(); ++y)
        for (int x = 0; x < checkerboard.width(); ++x)
            checkerboard.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath("checkerboard.png");
    QVERIFY(checkerboard.save(path));
    control.setPicture(path);
    control.setStretch(true);
    control.resize(20, 10);

    QImage drawn = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    drawn.setDevicePixelRatio(1);
    QCOMPARE(drawn, checkerboard);
}

QTEST_MAIN(tst_Zdravinky)
#include "tst_zdravinky.moc"
