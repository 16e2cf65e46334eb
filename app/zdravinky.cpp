#include "app/zdravinky.h"

#include "app/greetingaccessibility.h"
#include "app/imagecontrol.h"
#include "calendar/namedaycalendar.h"
#include "greeting/formatbypattern.h"
#include "platform/clock.h"
#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/fonts.h"
#include "platform/numbers.h"
#include "platform/twips.h"
#include "platform/webpage.h"
#include "settings/commondialog.h"
#include "settings/form1.h"
#include "store/settingsstore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

// The icons live in the library, which the linker would otherwise leave out.
static void initResources()
{
    Q_INIT_RESOURCE(zdravinky);
}

namespace {

// Client area, twips.
constexpr float FormWidth = 4680;
constexpr float FormHeight = 3225;

constexpr Twips::Rect Image1Design { 3480, 2160, 855, 615 };
constexpr Twips::Rect Label3Design { 420, 2925, 75, 225 };
constexpr Twips::Rect Label2Design { 2040, 120, 765, 585 };
constexpr Twips::Rect Label1Design { 2265, 2280, 165, 585 };

const QString Label2Design_Caption = QStringLiteral("       ");
const QString Label1Design_Caption = QStringLiteral("-");
const QString HintTooltip = QStringLiteral("Nastavení.");
const QString HintCaption = QStringLiteral("Setting");
constexpr qint32 Red = 0x000000FF;

// The largest font size a label takes, in points.
constexpr float MaxFontPoints = 2160;

constexpr int Timer2IntervalMs = 1;
constexpr int Timer1IntervalMs = 100;

// Our icons are PNG files: naming the format spares Qt from loading every
// image plugin to find out, a few milliseconds of every start.
QIcon programIcon()
{
    initResources();
    QIcon icon;
    for (int size : { 16, 32, 48 }) {
        QImageReader reader(QStringLiteral(":/icons/zdravinky-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

QLabel *newLabel(QWidget *parent, const char *name, const Twips::Rect &rect)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setMouseTracking(true);
    Twips::place(label, rect);
    return label;
}

void setForeColor(QLabel *label, qint32 storedColor)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colorFromStored(storedColor, palette));
    label->setPalette(palette);
}

// The display time in milliseconds, with absurd durations capped instead of overflowing.
qint64 durationMs(double seconds)
{
    constexpr double Forever = 1e15; // ms, some 30 000 years
    return qint64(std::clamp(seconds * 1000.0, -Forever, Forever));
}

} // namespace

Zdravinky::Zdravinky(SettingsStore &store, Clock &clock, CommonDialog *dialogs)
    : store_(store)
    , clock_(clock)
    , ownDialogs_(dialogs ? nullptr : std::make_unique<CommonDialog>())
    , dialogs_(dialogs ? dialogs : ownDialogs_.get())
{
    installGreetingAccessibility();
    setObjectName(QStringLiteral("Zdravinky"));
    setAccessibleName(objectName()); // its caption is empty; a screen reader still names it
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // A window that appears by itself belongs on the primary screen, whichever
    // screen its initial geometry happens to lie on; its twips follow that screen.
    setScreen(QGuiApplication::primaryScreen());
    setWindowIcon(programIcon());
    setFont(Fonts::design());
    setMouseTracking(true);
    createControls();
    createMenu();

    const qreal dpi = Twips::dpiOf(this);
    resize(Twips::toPixels(FormWidth, dpi), Twips::toPixels(FormHeight, dpi));
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

Zdravinky::~Zdravinky() = default;

void Zdravinky::createControls()
{
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(Timer2IntervalMs);
    connect(Timer2, &QTimer::timeout, this, &Zdravinky::Timer2_Timer);
    Timer2->start();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(Timer1IntervalMs);
    connect(Timer1, &QTimer::timeout, this, &Zdravinky::Timer1_Timer);
    Timer1->start();

    Image1 = new ImageControl(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setMouseTracking(true);
    Twips::place(Image1, Image1Design);

    Label3 = newLabel(this, "Label3", Label3Design);
    Label3->setFont(Fonts::small());
    Label3->setToolTip(HintTooltip);
    setForeColor(Label3, WindowBackgroundColor);
    Label3->setMinimumSize(Label3->size()); // stays a target for the pointer while empty

    Label2 = newLabel(this, "Label2", Label2Design);
    setForeColor(Label2, Red);
    Label2->setText(Label2Design_Caption);

    Label1 = newLabel(this, "Label1", Label1Design);
    setForeColor(Label1, Red);
    Label1->setText(Label1Design_Caption);
    Label1->hide();

    for (QWidget *control : { static_cast<QWidget *>(Image1), static_cast<QWidget *>(Label1),
             static_cast<QWidget *>(Label2), static_cast<QWidget *>(Label3) })
        control->installEventFilter(this);
}

void Zdravinky::createMenu()
{
    mnuMenu = new QMenu(QStringLiteral("menu"), this);
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    auto addItem = [this](const char *name, const QString &caption) {
        QAction *action = mnuMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    mnuSett = addItem("mnuSett", QStringLiteral("&Nastavení"));
    mnuMezera2 = mnuMenu->addSeparator();
    mnuMezera2->setObjectName(QStringLiteral("mnuMezera2"));
    mnuWeb = addItem("mnuWeb", QStringLiteral("&Online pomoc"));
    mnuMezera = mnuMenu->addSeparator();
    mnuMezera->setObjectName(QStringLiteral("mnuMezera"));
    mnuKonec = addItem("mnuKonec", QStringLiteral("&Konec"));
    connect(mnuSett, &QAction::triggered, this, &Zdravinky::mnuSett_Click);
    connect(mnuWeb, &QAction::triggered, this, &Zdravinky::mnuWeb_Click);
    connect(mnuKonec, &QAction::triggered, this, &Zdravinky::mnuKonec_Click);
}

QString Zdravinky::read(Key key, Reader reader) const
{
    return store_.ReadSetting(key, fallback(key, reader));
}

// ---- Lifecycle -------------------------------------------------------------

void Zdravinky::loadAndShow()
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    if (!unloaded_)
        show();
}

void Zdravinky::Form_Load()
{
    silently([&] {
        setPictureStretch(numberIs(read(Key::PictrureStrench, Reader::Start), 1));
        show();
        Twips::place(Image1, { 0, 0, Twips::width(this), Twips::height(this) });
        Image1->lower();
        Label3->raise();
        setPicture(read(Key::Pictrure, Reader::Start));
        setTextFontName(read(Key::Text, Reader::Start));
        setTextFontSize(toSingle(read(Key::Size, Reader::Start)));
        setTextColor(toInt32(read(Key::Color, Reader::Start)));
        Timer2_Timer();
        Timer1_Timer();
        const QString duration = read(Key::Long, Reader::Start);
        waitOut(duration);
        if (!unloaded_)
            closeIfActive();
    });
}

// Keeps every event handled, nested handlers and the modal settings window
// included, until the display time has passed. It sleeps in the event wait
// between events instead of polling, and counts on a monotonic clock, so a
// wait across midnight ends after its duration like any other.
void Zdravinky::waitOut(const QString &duration)
{
    const qint64 start = clock_.monotonicMs();
    const qint64 deadline = start + durationMs(toDouble(duration));
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    for (qint64 left = deadline - start; left > 0 && !unloaded_; left = deadline - clock_.monotonicMs()) {
        wakeUp.start(int(std::min<qint64>(left, std::numeric_limits<int>::max())));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

// The window manager activates a window some moments after it is shown; a
// window shown just now gets that moment, with events handled as in the wait.
void Zdravinky::awaitActivation()
{
    constexpr int ActivationMs = 500;
    QElapsedTimer waited;
    waited.start();
    QTimer wakeUp;
    wakeUp.start(10);
    while (!QApplication::activeWindow() && isVisible() && !unloaded_ && waited.elapsed() < ActivationMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void Zdravinky::closeIfActive()
{
    awaitActivation();
    if (unloaded_)
        return;
    const QWidget *active = QApplication::activeWindow();
    if (!active)
        fail("no active window");
    if (active->objectName() == objectName())
        Form_Unload();
}

void Zdravinky::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1->stop();
    Timer2->stop();
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    Q_EMIT unloaded();
}

void Zdravinky::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// The desktop's keys for a context menu open the pop-up menu at the window's
// centre, so that Nastavení is in reach without a mouse.
void Zdravinky::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    silently([&] {
        if (keyCode == Qt::Key_Escape)
            Form_Unload();
        else if (keyCode == Qt::Key_Menu || (keyCode == Qt::Key_F10 && shift == Qt::ShiftModifier))
            popupMenu(mapToGlobal(rect().center()));
    });
}

void Zdravinky::keyPressEvent(QKeyEvent *event)
{
    Form_KeyDown(event->key(), event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

// ---- Mouse and menu --------------------------------------------------------

bool Zdravinky::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == Label1)
            Label1_MouseMove();
        else if (watched == Label2)
            Label2_MouseMove();
        else if (watched == Label3)
            Label3_MouseMove();
        return true; // the picture too: moving over it is not the window's surface
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        if (watched == Image1)
            Image1_MouseDown(button);
        else if (watched == Label2)
            Label2_MouseDown(button);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Zdravinky::mouseMoveEvent(QMouseEvent *)
{
    Form_MouseMove();
}

void Zdravinky::Form_MouseMove()
{
    clearHint();
}

void Zdravinky::Label1_MouseMove()
{
    clearHint();
}

void Zdravinky::Label2_MouseMove()
{
    clearHint();
}

// The label sizes itself to its caption, back to its designed size when
// empty. Emptying a caption cannot fail: no trap needed.
void Zdravinky::clearHint()
{
    Label3->clear();
    Label3->adjustSize();
}

void Zdravinky::Label3_MouseMove()
{
    silently([&] {
        Label3->setText(HintCaption);
        Label3->adjustSize();
        popupMenu(QCursor::pos());
    });
}

void Zdravinky::Image1_MouseDown(Qt::MouseButton button)
{
    silently([&] {
        if (button == Qt::RightButton)
            popupMenu(QCursor::pos());
    });
}

void Zdravinky::Label2_MouseDown(Qt::MouseButton button)
{
    silently([&] {
        if (button == Qt::RightButton)
            popupMenu(QCursor::pos());
    });
}

void Zdravinky::popupMenu(const QPoint &at)
{
    mnuMenu->popup(at);
}

// Modal: the greeting window takes no input meanwhile, its timers go on, and
// the display-time wait stands still until the settings window closes.
void Zdravinky::mnuSett_Click()
{
    silently([&] {
        Form1 form(store_, *this, *dialogs_);
        form.Form_Load();
        form.exec();
        if (!unloaded_)
            activateWindow(); // the keys are the greeting's again, Escape included
    });
}

void Zdravinky::mnuWeb_Click()
{
    silently([&] { openWebPage(helpPageUrl()); });
}

void Zdravinky::mnuKonec_Click()
{
    silently([&] { Form_Unload(); });
}

// ---- Name day and greeting text --------------------------------------------

void Zdravinky::Timer2_Timer()
{
    silently([&] {
        const QDate today = clock_.today();
        if (const auto name = NameDayCalendar::NameDayFor(today.month(), today.day()))
            Label1->setText(*name);
        Timer2->stop();
    });
}

void Zdravinky::Timer1_Timer()
{
    silently([&] {
        if (TextComposed == 1) {
            refreshTime();
            return;
        }
        composeText();
        wrapNameDay();
        centreText();
        if (numberIs(read(Key::Cas, Reader::Composer), 0))
            Timer1->stop();
        else
            TextComposed = 1;
    });
}

void Zdravinky::composeText()
{
    const Composition composed = composeGreeting({
        read(Key::TextV, Reader::Composer),
        read(Key::Date, Reader::Composer),
        read(Key::Cas, Reader::Composer),
        read(Key::Svatky, Reader::Composer),
        read(Key::DateF, Reader::Composer),
        read(Key::CasF, Reader::Composer),
        cutShort(read(Key::Text1, Reader::Composer)),
        cutShort(read(Key::Text2, Reader::Composer)),
        clock_.now(),
        Label1->text(),
    });
    timeSpan_ = composed.time;
    if (composed.matched)
        setLabel2Text(composed.text);
}

void Zdravinky::wrapNameDay()
{
    const bool wider = Twips::width(Label2) > Twips::width(this);
    const bool nameDayShown = numberIs(read(Key::Svatky, Reader::Composer), 1);
    if (wider && nameDayShown)
        setLabel2Text(withNameDayOnOwnLine(Label2->text(), Label1->text()));
}

void Zdravinky::refreshTime()
{
    QString text = Label2->text();
    const QString time = FormatByPattern(clock_.now(), read(Key::CasF, Reader::Composer));
    if (replaceTime(text, timeSpan_, time))
        setLabel2Text(text);
}

void Zdravinky::setLabel2Text(const QString &text)
{
    if (Label2->text() == text)
        return;
    Label2->setText(text);
    Label2->adjustSize();
}

// ---- What the settings window changes --------------------------------------

void Zdravinky::setPicture(const QString &path)
{
    Image1->setPicture(path);
}

void Zdravinky::setPictureStretch(bool stretch)
{
    Image1->setStretch(stretch);
}

void Zdravinky::setTextFontName(const QString &name)
{
    QFont font = Label2->font();
    font.setFamilies({ name });
    Label2->setFont(font);
    Label2->adjustSize();
}

void Zdravinky::setTextFontSize(float points)
{
    if (!(points > 0 && points <= MaxFontPoints))
        fail("font size out of range");
    QFont font = Label2->font();
    font.setPointSizeF(points);
    Label2->setFont(font);
    Label2->adjustSize();
}

void Zdravinky::setTextColor(qint32 storedColor)
{
    setForeColor(Label2, storedColor);
}

// Twips, single precision; a label larger than the window overhangs it on both sides.
void Zdravinky::centreText()
{
    const float left = Twips::width(this) / 2 - Twips::width(Label2) / 2;
    const float top = Twips::height(this) / 2 - Twips::height(Label2) / 2;
    Twips::move(Label2, left, top);
}

void Zdravinky::recomposeText()
{
    Timer1->start();
    TextComposed = 0;
}
