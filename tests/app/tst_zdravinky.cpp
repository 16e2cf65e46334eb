#include "app/imagecontrol.h"
#include "app/zdravinky.h"
#include "common/manualclock.h"
#include "common/tempstore.h"
#include "common/testsupport.h"
#include "greeting/composition.h"
#include "platform/sessioninstance.h"
#include "platform/twips.h"
#include "settings/form1.h"

#include <QtTest>
#include <QtWidgets>
#include <sys/stat.h>

namespace {

const QString Fixed = QStringLiteral("Zdravinky,\r\npřeji dobrý den.");
const QString None = QStringLiteral("       "); // the text before any greeting is composed
const QString Kazimir = QStringLiteral(" Kazimír "); // the name day of 5 March

template <typename... Types, typename... Names> void columns(const Names &...names)
{
    (QTest::addColumn<Types>(names), ...);
}

template <typename... Values> void row(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}

template <typename T> T fetch(const char *column)
{
    return *static_cast<T *>(QTest::qData(column, qMetaTypeId<T>()));
}

// The greeting window over a store of these lines, with a clock that moves only
// when told to.
struct Greeting
{
    explicit Greeting(const QString &lines, const QDateTime &now = QDateTime(QDate(2004, 3, 5), QTime(14, 5, 9)))
        : temp("[Path]\n" + lines.toUtf8())
        , clock(now)
        , window(temp.store(), clock)
        , ended(&window, &Zdravinky::unloaded)
    { }
    QLabel *label(const char *name = "Label2") const { return window.findChild<QLabel *>(QLatin1String(name)); }
    QString text() const { return label()->text(); }
    ImageControl *image() const { return window.findChild<ImageControl *>(); }
    QMenu *menu() const { return window.findChild<QMenu *>(); }
    bool centred() const { return (label()->geometry().center() - window.rect().center()).manhattanLength() <= 2; }

    TempStore temp;
    ManualClock clock;
    Zdravinky window;
    QSignalSpy ended;
};

template <typename Colour> QImage painted(int width, int height, Colour colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colour(x, y));
    return image;
}

// Saves the upright picture as a camera would: turned, with an EXIF segment
// (big-endian TIFF, one entry) holding only the orientation: 6 to turn it a
// quarter clockwise to stand upright, 8 a quarter back.
QString saved(const QImage &upright, const QString &path, char orientation = 1)
{
    QByteArray data;
    QBuffer buffer(&data);
    upright.transformed(QTransform().rotate(orientation == 1 ? 0 : (orientation - 7) * 90))
        .save(&buffer, QFileInfo(path).suffix().toLatin1(), 95);
    if (orientation != 1)
        data.insert(2,
            QByteArray::fromHex("ffe100224578696600004d4d002a000000080001011200030000000100") + orientation
                + QByteArray(6, '\0'));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() ? path : QString();
}

} // namespace

class tst_Zdravinky : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

public Q_SLOTS:
    void open(const QUrl &page) { opened << page; } // the pages the program opens, so that no browser starts

private:
    QList<QUrl> opened;
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void composing_data()
    {
        columns<QString, QDateTime, QTime, QString, QString>("lines", "start", "later", "atLoad", "after");
        const QDateTime day(QDate(2004, 3, 5), QTime(14, 5, 9)), nine(day.date(), QTime(9, 59, 59)),
            ten(day.date(), QTime(10, 10, 10));
        row("stretch not a number", "Long=0\nPictrureStrench=x\n", day, day.time(), None, Fixed);
        row("missing picture", "Long=0\nPictrure=/nonexistent/Já 8.jpg\n", day, day.time(), None, Fixed);
        row("size the label refuses", "Long=0\nSize=0\n", day, day.time(), None, Fixed);
        row("colour not a number", "Long=0\nColor=red\n", day, day.time(), None, Fixed);
        row("duration not a number", "Long=dlouho\n", day, day.time(), Fixed, Fixed);
        row("Cas=2, no layout: composed once", "Long=x\nCas=2\n", day, QTime(16, 0), None, None);
        const QString clock = "Long=x\nCas=1\n", aTimeB = clock + "TextV=1\nText1=A\nText2=B\nCasF=";
        row("text after the time follows it", clock + "Svatky=1\nCasF=h.mm.ss\n", nine, QTime(10, 0),
            Fixed + "\r\n9.59.59\r\nSvátek má: " + Kazimir, Fixed + "\r\n10.00.00\r\nSvátek má: " + Kazimir);
        row("time shrinks, leading zeros kept", aTimeB + "h.m.ss\n", ten, QTime(9, 5), "A\r\n10.10.10\r\nB",
            "A\r\n9.5.00\r\nB");
        const QString many(MaxShownText, u'x');
        row("own text too long to show: cut short, time in place",
            QString(aTimeB).replace("Text1=A", "Text1=" + many + "yz") + "h.m.ss\n", ten, QTime(9, 5),
            many + "…\r\n10.10.10\r\nB", many + "…\r\n9.5.00\r\nB");
        row("date with the same digits stays",
            clock + "Date=1\nTextV=1\nText1=20:\nText2=B\nDateF=d.m.yyyy\nCasF=hh:mm\n",
            QDateTime(QDate(2020, 3, 5), QTime(20, 20)), QTime(21, 0), "20:\r\n5.3.2020\r\n20:20\r\nB",
            "20:\r\n5.3.2020\r\n21:00\r\nB");
        const QString big = "Long=x\nSize=40\nTextV=1\nSvatky=1\nText1=Dobrý den\nText2=Svátek má dnes:\n";
        const QString wide = "Dobrý den\r\nSvátek má dnes:";
        // Rows without a text "after": the same text as at load.
        row("too wide: name day on its own line", big, day, day.time(), wide + "\r\n" + Kazimir, "");
        row("narrow enough: no wrap", "Long=x\nTextV=1\nSvatky=1\nSize=8\nText1=A\nText2=B\n", day, day.time(),
            "A\r\nB" + Kazimir, "");
        row("wide, name day off: no wrap", QString(big).replace("Svatky=1", "Svatky=0"), day, day.time(), wide, "");
    }

    // The load, its composing run and a tick later. A failing load step ends the
    // load: no wait, no close; the timer still brings the greeting. Later only
    // the time changes, in place, until the settings window asks for a new
    // greeting. The text is centred, overhanging a narrower window on both sides.
    void composing()
    {
        const QString atLoad = fetch<QString>("atLoad");
        Greeting g(fetch<QString>("lines"), fetch<QDateTime>("start"));
        g.window.loadAndShow();
        QCOMPARE(g.text(), atLoad);
        if (fetch<QString>("lines").contains("Size=0")) // a size the label refuses: the window's own 24 points
            QCOMPARE(g.label()->font().pointSizeF(), 24);
        const QPoint position = g.label()->pos();
        g.clock.setTime(fetch<QTime>("later"));
        g.window.Timer1_Timer();
        QCOMPARE(g.text(), fetch<QString>("after").isEmpty() ? atLoad : fetch<QString>("after"));
        QVERIFY(atLoad == None || g.label()->pos() == position);
        g.window.recomposeText();
        g.window.Timer1_Timer();
        QVERIFY(g.centred());
        QVERIFY(g.window.isVisible());
    }

    // The name day moves to its own line only when the label is strictly wider
    // than the window.
    void exactlyAsWideDoesNotWrap()
    {
        Greeting g("Long=x\nTextV=1\nSvatky=1\nText1=A\nText2=\"Svátek: \"\n");
        g.window.loadAndShow();
        const QString unwrapped = "A\r\nSvátek: " + Kazimir;
        for (float size = 8; g.label()->width() != g.window.width(); size += 0.25f) {
            if (size > 80)
                QSKIP("no font size gives a label exactly as wide as the window here");
            g.window.setTextFontSize(size);
            g.label()->setText(unwrapped);
            g.label()->adjustSize();
        }
        g.window.recomposeText();
        g.window.Timer1_Timer();
        QCOMPARE(g.text(), unwrapped);
    }

    void waitsOutTheDuration_data()
    {
        columns<int, QDateTime, int, bool, int>("seconds", "start", "stepMs", "otherActive", "waitedMs");
        const QDateTime day(QDate(2004, 3, 5), QTime(14, 5, 9));
        row("closes at the first look at the clock past the time", 3, day, 500, false, 3000);
        row("across midnight", 60, QDateTime(QDate(2026, 12, 31), QTime(23, 59, 30)), 10'000, false, 60'000);
        row("another window active at the deadline: stays open", 1, day, 2000, true, 2000);
    }

    // The clock moves on while the window that is to be active is.
    void waitsOutTheDuration()
    {
        const bool otherActive = fetch<bool>("otherActive");
        const int step = fetch<int>("stepMs");
        Greeting g(QStringLiteral("Long=%1\n").arg(fetch<int>("seconds")), fetch<QDateTime>("start"));
        QWidget other;
        other.setObjectName(QStringLiteral("other"));
        QWidget *active = otherActive ? &other : &g.window;
        QTimer::singleShot(0, active, [=] { active->show(), active->activateWindow(); });
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { g.clock.advanceMs(QApplication::activeWindow() == active ? step : 0); });
        tick.start(5);
        g.window.loadAndShow();
        QCOMPARE(g.clock.now(), fetch<QDateTime>("start").addMSecs(fetch<int>("waitedMs")));
        QCOMPARE(g.ended.count(), otherActive ? 0 : 1);
        QCOMPARE(g.text(), Fixed);
    }

    // While the modal settings window is open the wait stands still, the time
    // still runs and the greeting takes no keys; closed after the deadline, the
    // greeting closes at once.
    void settingsHoldTheDeadline()
    {
        Greeting g("Long=1\nCas=1\nCasF=h.mm.ss\n");
        QTimer::singleShot(0, &g.window, [&] { g.window.mnuSett_Click(); });
        QTimer::singleShot(50, &g.window, [&] {
            const auto cancel
                = qScopeGuard([] { qobject_cast<Form1 *>(QApplication::activeModalWidget())->Command2->click(); });
            g.clock.advanceMs(5000);
            QTest::qWait(300);
            QTest::keyClick(g.window.windowHandle(), Qt::Key_Escape);
            QCOMPARE(g.ended.count(), 0);
            QCOMPARE(g.text(), Fixed + "\r\n14.05.14");
        });
        g.window.loadAndShow();
        QCOMPARE(g.ended.count(), 1);
    }

    // A flag that is not a number is read again every tick, the name day once per
    // window. Keys do nothing but Escape. The menu opens over the hint or with
    // the right button over the text; its access keys work.
    void mouseAndKeys()
    {
        Greeting g("Long=x\nTextV=ano\n");
        g.window.loadAndShow();
        QCOMPARE(g.text(), None);
        g.temp.store().WriteSetting(Key::TextV, QStringLiteral("0"));
        g.clock.advanceMs(24 * 3600'000);
        QTRY_COMPARE(g.text(), Fixed);
        QCOMPARE(QAccessible::queryAccessibleInterface(g.label())->text(QAccessible::Name), Fixed); // screen readers
        QCOMPARE(QAccessible::queryAccessibleInterface(&g.window)->role(), QAccessible::Notification); // read whole
        QCOMPARE(g.window.size(), QSize(4680, 3225) / 15); // at 96 dpi, centred on the screen
        QCOMPARE(g.window.geometry().center(), g.window.screen()->availableGeometry().center());
        QCOMPARE(g.label("Label1")->text(), Kazimir);
        const QSize emptyHint = g.label("Label3")->size();
        QVERIFY(!g.label("Label3")->fontInfo().italic()); // a font of its own, not the window's italic
        QTest::mouseMove(g.label("Label3"));
        QTRY_VERIFY(g.menu()->isVisible());
        QTest::keyClick(g.menu(), Qt::Key_O);
        QTRY_COMPARE(opened.value(0).fileName(), QStringLiteral("napoveda.html"));
        QTest::mouseMove(g.image(), QPoint(5, 5));
        QCOMPARE(g.label("Label3")->text(), QStringLiteral("Setting")); // the picture leaves the hint
        for (QWidget *away : std::initializer_list<QWidget *> { g.label(), g.label("Label1"), &g.window }) {
            QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, {}, {});
            QApplication::sendEvent(away, &move); // the window: where no picture covers it
            QVERIFY(g.label("Label3")->text().isEmpty());
            QCOMPARE(g.label("Label3")->size(), emptyHint); // no strip of hint left over the picture
            g.label("Label3")->setText(QStringLiteral("Setting"));
        }
        QTest::mousePress(g.label(), Qt::RightButton);
        QTRY_VERIFY(g.menu()->isVisible());
        QTest::keyClick(g.menu(), Qt::Key_K);
        QTRY_COMPARE(g.ended.count(), 1);
    }

    void keys_data()
    {
        columns<int, Qt::KeyboardModifiers, bool, bool>("key", "shift", "menu", "ends");
        row("Escape ends", int(Qt::Key_Escape), Qt::KeyboardModifiers(), false, true);
        row("Shift+Escape ends", int(Qt::Key_Escape), Qt::KeyboardModifiers(Qt::ShiftModifier), false, true);
        row("Enter does nothing", int(Qt::Key_Return), Qt::KeyboardModifiers(), false, false);
        row("Menu key: the menu", int(Qt::Key_Menu), Qt::KeyboardModifiers(), true, false);
        row("Shift+F10: the menu", int(Qt::Key_F10), Qt::KeyboardModifiers(Qt::ShiftModifier), true, false);
        row("F10 does nothing", int(Qt::Key_F10), Qt::KeyboardModifiers(), false, false);
        row("Ctrl+Shift+F10 does nothing", int(Qt::Key_F10), Qt::ControlModifier | Qt::ShiftModifier, false, false);
    }

    // Escape ends the greeting; the desktop's keys for a context menu open the
    // menu at the window's centre, where its access keys work; nothing else.
    void keys()
    {
        Greeting g("Long=x\n");
        g.window.loadAndShow();
        QTest::keyClick(&g.window, Qt::Key(fetch<int>("key")), fetch<Qt::KeyboardModifiers>("shift"));
        QCOMPARE(g.ended.count(), fetch<bool>("ends") ? 1 : 0);
        QCOMPARE(g.menu()->isVisible(), fetch<bool>("menu"));
        if (!g.menu()->isVisible())
            return;
        QCOMPARE(g.menu()->pos(), g.window.mapToGlobal(g.window.rect().center()));
        QTest::keyClick(g.menu(), Qt::Key_K);
        QTRY_COMPARE(g.ended.count(), 1);
    }

    void pictureDrawn_data()
    {
        columns<QString, char, QString, bool>("format", "orientation", "stretchSetting", "stretch");
        row("jpeg, its top-left corner at 1:1", "jpg", '\1', "0", false);
        row("jpeg scaled to the window", "jpg", '\1', "1", true);
        row("portrait jpeg (EXIF 6) upright, corner", "jpg", '\6', "2", false);
        row("portrait jpeg (EXIF 6) upright, scaled", "jpg", '\6', " 1.0 ", true);
        row("portrait jpeg (EXIF 8) upright, corner", "jpg", '\10', "-1", false);
        row("png scaled to the window", "png", '\1', "1", true);
    }

    // At its natural size the window shows the upright picture's top-left corner
    // pixel for pixel, stretched the whole of it scaled to the window (within the
    // rounding of JPEG and of the scaler).
    void pictureDrawn()
    {
        const QString format = fetch<QString>("format");
        const bool stretch = fetch<bool>("stretch"), portrait = fetch<char>("orientation") != 1;
        const int width = portrait ? 600 : 800, height = portrait ? 800 : 600;
        const QImage upright
            = painted(width, height, [=](int x, int y) { return qRgb(x * 255 / width, y * 255 / height, 64); });
        const QString path = saved(upright, dir.filePath("fotka ž." + format), fetch<char>("orientation"));
        Greeting g("Long=0\nPictrureStrench=" + fetch<QString>("stretchSetting") + "\nPictrure=\"" + path + "\"\n");
        g.window.loadAndShow();
        const QRect window = g.window.rect();
        QCOMPARE(g.image()->geometry(), QRect(QPoint(), stretch ? window.size() : upright.size()));
        const QImage expected = stretch ? upright.scaled(window.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                        : upright.copy(window);
        const auto drawn = [&] { return g.image()->grab(window).toImage().convertToFormat(QImage::Format_RGB32); };
        QTRY_COMPARE_LE(largestDifference(drawn(), expected), format == "png" ? 1 : 6); // decoded on another thread
    }

    // OK puts the picture in first and then its stretch, which decodes it anew. A
    // file replaced by then (here by a FIFO) is no picture, without a freeze.
    void pictureGoneBeforeRedecode()
    {
        const QString path
            = saved(painted(400, 300, [](int, int) { return qRgb(255, 0, 0); }), dir.filePath("red.png"));
        Greeting g("Long=0\n");
        g.window.loadAndShow();
        g.window.setPicture(path);
        QVERIFY(QFile::remove(path));
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        g.window.setPictureStretch(true);
        QCOMPARE_NE(g.image()->grab().toImage().pixel(10, 10), qRgb(255, 0, 0));
    }

    // The first start in a session listens; a later one that gets no answer in
    // time shows a greeting of its own (the first is stuck: here it cannot answer
    // while the later one waits in the same thread).
    void sessionInstance()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        SessionInstance first;
        QVERIFY(!first.handedOver());
        SessionInstance later;
        QVERIFY(!later.handedOver());
    }

    // Twips become pixels at the screen's DPI, to the nearest pixel, and back.
    void twips()
    {
        QCOMPARE(Twips::toPixels(4680, 120), 390); // the greeting window's width at 120 dpi
        QCOMPARE(Twips::toPixels(8), 1);
        QCOMPARE(Twips::toPixels(22), 1);
        QCOMPARE(Twips::fromPixels(390, 120), 4680.0f);
    }

    void pictureSharpAtRatioTwo_data()
    {
        columns<bool>("stretch");
        row("scaled to the control", true);
        row("at its natural size", false);
    }

    // Run at QT_SCALE_FACTOR=2 too: a picture with a pixel for every device
    // pixel reaches the screen pixel for pixel, not drawn at the logical size
    // and blown up; at its natural size it covers its size in logical pixels.
    void pictureSharpAtRatioTwo()
    {
        ImageControl control;
        if (control.devicePixelRatioF() != 2)
            QSKIP("needs QT_SCALE_FACTOR=2");
        const QImage board
            = painted(40, 20, [](int x, int y) { return (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); });
        const bool stretch = fetch<bool>("stretch");
        control.setStretch(stretch);
        control.setPicture(saved(board, dir.filePath("board.png")));
        control.resize(stretch ? QSize(20, 10) : control.size());
        const auto drawn = [&] {
            QImage image = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
            image.setDevicePixelRatio(1);
            return image;
        };
        QTRY_COMPARE(drawn(), stretch ? board : board.scaled(80, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
};

QTEST_MAIN(tst_Zdravinky)
#include "tst_zdravinky.moc"
