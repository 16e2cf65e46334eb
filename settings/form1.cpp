#include "settings/form1.h"

#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/numbers.h"
#include "platform/picture.h"
#include "platform/twips.h"
#include "settings/commondialog.h"
#include "settings/greetingtarget.h"
#include "settings/settingsstore.h"
#include "version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>

namespace {

// Client area, twips.
constexpr float ClientWidth = 5340;
constexpr float ClientHeight = 5715;

// The order in which OK writes the settings and Výchozí removes them.
constexpr std::array<Key, KeyCount> StoreOrder = { Key::PictrureStrench, Key::Pictrure, Key::Text, Key::Size, Key::Long,
    Key::Color, Key::Date, Key::Cas, Key::TextV, Key::Svatky, Key::DateF, Key::CasF, Key::Text1, Key::Text2 };

// Its pattern list was always "*.jpg;bmp;gif"; fileFilters() reads the bare
// words as the extensions they were meant to be.
const QString PictureFilter = QStringLiteral("Obrázky (*.jpg, bmp, gif)|*.jpg;bmp;gif| Všechny soubory (*.*)|*.*");

const QStringList DateFormats
    = { QStringLiteral("d.m.yy"), QStringLiteral("d.mm.yy"), QStringLiteral("d.mm.yyyy"), QStringLiteral("d.mmm.yy"),
          QStringLiteral("d.mmm.yyyy"), QStringLiteral("d.mmmm.yyyy"), QStringLiteral("ddd d.mm.yy"),
          QStringLiteral("ddd d.mmm.yy"), QStringLiteral("ddd d.mmm.yyyy "), QStringLiteral("dddd d.mm.yy"),
          QStringLiteral("dddd d.mmmm.yyyy"), QStringLiteral("Long date"), QStringLiteral("Short date") };

const QStringList TimeFormats = { QStringLiteral("h.m.s"), QStringLiteral("h.mm.ss"), QStringLiteral("h:m:s"),
    QStringLiteral("h:mm:ss"), QStringLiteral("hh.mm.ss"), QStringLiteral("hh:mm:ss") };

// Text boxes and combo boxes are painted in the system scroll-bar colour.
constexpr qint32 ScrollBarColor = SystemColorFlag | 0;

QString settingsCaption()
{
    return QStringLiteral("Nastavení programu Zdravinky - (Verze: %1.%2.%3)")
        .arg(Version::Major)
        .arg(Version::Minor)
        .arg(Version::Revision);
}

// Point sizes 6 to 42, even only, in numeric order.
QStringList fontSizes()
{
    QStringList sizes;
    for (int points = 6; points <= 42; points += 2)
        sizes << QString::number(points);
    return sizes;
}

// A sorted list box orders its items without regard to case.
QStringList sortedForList(QStringList items)
{
    std::stable_sort(items.begin(), items.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return items;
}

template <typename Widget> Widget *control(Widget *widget, const char *name, const Twips::Rect &rect)
{
    widget->setObjectName(QLatin1String(name));
    Twips::place(widget, rect);
    return widget;
}

QLabel *autoSized(QLabel *label)
{
    label->adjustSize();
    return label;
}

void paintAsScrollBar(QWidget *box)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colorFromStored(ScrollBarColor, palette));
    box->setPalette(palette);
}

void makeEditable(QComboBox *combo, const QString &toolTip)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr); // typed patterns stay as typed
    combo->setToolTip(toolTip);
    paintAsScrollBar(combo);
}

void setComboText(QComboBox *combo, const QString &text)
{
    combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    combo->setEditText(text);
}

// Adding to an empty combo box would select its first item; its text stays.
void addItemsKeepingText(QComboBox *combo, const QStringList &items)
{
    const QString text = combo->currentText();
    combo->addItems(items);
    setComboText(combo, text);
}

void makeTextBox(QPlainTextEdit *box, const QString &text, const QString &toolTip)
{
    box->setTabChangesFocus(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setPlainText(text);
    box->setToolTip(toolTip);
    box->setEnabled(false);
    paintAsScrollBar(box);
}

// Stored texts break their lines with CR LF.
QString boxText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText(); // toPlainText() would turn no-break spaces into spaces
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

void setBoxText(QPlainTextEdit *box, QString text)
{
    box->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QCheckBox *checkBox(QCheckBox *box, const QString &caption, const QString &toolTip)
{
    box->setText(caption);
    box->setToolTip(toolTip);
    return box;
}

qint16 checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        break;
    }
    return 2;
}

// 0 unchecked, 1 checked, 2 greyed; anything else is refused.
void setCheckValue(QCheckBox *box, qint16 value)
{
    if (value < 0 || value > 2)
        fail("not a check box value");
    if (value == 2)
        box->setTristate(true);
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

QPushButton *button(QPushButton *button, const QString &caption, const QString &toolTip = {})
{
    button->setText(caption);
    button->setToolTip(toolTip);
    button->setAutoDefault(false); // no default button: Enter works only through the key handlers
    button->setDefault(false);
    return button;
}

int shiftOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

Form1::Form1(SettingsStore &store, GreetingTarget &greeting, ::CommonDialog1 &dialogs, QWidget *parent)
    : QDialog(parent)
    , store_(store)
    , greeting_(greeting)
    , CommonDialog1(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Nastavení"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint);
    QFont windowFont(QStringLiteral("Comic Sans MS"));
    windowFont.setPointSizeF(8.25);
    windowFont.setWeight(QFont::Normal);
    setFont(windowFont);
    const qreal dpi = Twips::dpiOf(this);
    setFixedSize(Twips::toPixels(ClientWidth, dpi), Twips::toPixels(ClientHeight, dpi));

    createControls();
    setFocusOrder();
    connectHandlers();
}

Form1::~Form1() = default;

// Positions in twips, relative to the container.
void Form1::createControls()
{
    Frame1 = control(new QGroupBox(QStringLiteral("Nastavení"), this), "Frame1", { 20, 0, 5280, 5175 });
    Frame3 = control(new QGroupBox(QStringLiteral("Vlastnosti"), Frame1), "Frame3", { 120, 200, 5055, 2160 });

    Frame2 = control(new QGroupBox(QStringLiteral("Písmo"), Frame3), "Frame2", { 80, 200, 2580, 1410 });
    Combo1 = control(new QComboBox(Frame2), "Combo1", { 80, 300, 2415, 345 });
    makeEditable(Combo1, QStringLiteral("Font písma"));
    Command4 = button(control(new QPushButton(Frame2), "Command4", { 120, 840, 900, 330 }), QStringLiteral("Bar&va"),
        QStringLiteral("Barva písma"));
    Combo2 = control(new QComboBox(Frame2), "Combo2", { 1920, 820, 495, 345 });
    makeEditable(Combo2, QStringLiteral("Velikost písma"));
    Label6 = control(new QLabel(Frame2), "Label6", { 1200, 860, 400, 280 });
    Label6->setToolTip(QStringLiteral("Barva písma"));
    Label6->setFrameShape(QFrame::Box);
    Label6->setLineWidth(1);
    Label6->setAutoFillBackground(true);

    Frame5 = control(new QGroupBox(QStringLiteral("Obrázek"), Frame3), "Frame5", { 2760, 200, 2175, 1410 });
    Command1 = button(control(new QPushButton(Frame5), "Command1", { 120, 240, 820, 330 }), QStringLiteral("O&brázek"),
        QStringLiteral("Obrázek na pozadí"));
    Image1 = control(new QLabel(Frame5), "Image1", { 1040, 240, 1040, 680 });
    Image1->setScaledContents(true);
    Image1->setToolTip(QStringLiteral("Obrázek na pozadí"));
    Check5 = checkBox(control(new QCheckBox(Frame5), "Check5", { 120, 1080, 1200, 255 }), QStringLiteral("Přizpůsobit"),
        QStringLiteral("Obrázek stejně velký jako okno programu."));

    Label1 = autoSized(
        control(new QLabel(QStringLiteral("Délka zobrazení."), Frame3), "Label1", { 120, 1760, 1290, 225 }));
    Bar1 = control(new QScrollBar(Qt::Horizontal, Frame3), "Bar1", { 1560, 1760, 2415, 255 });
    Bar1->setRange(2, 60); // seconds
    Bar1->setSingleStep(1);
    Bar1->setPageStep(4);
    Bar1->setValue(2);
    Bar1->setTracking(false); // Value changes when the scroll box is let go, not while it is dragged
    Bar1->setFocusPolicy(Qt::StrongFocus);
    Bar1->setInvertedControls(false); // a scroll bar's default makes Left add and Right subtract
    Label2 = control(new QLabel(Frame3), "Label2", { 4080, 1760, 45, 225 });

    Frame4 = control(new QGroupBox(QStringLiteral("Text"), Frame1), "Frame4", { 120, 2400, 5055, 2655 });
    Check1 = checkBox(control(new QCheckBox(Frame4), "Check1", { 120, 280, 1575, 255 }),
        QStringLiteral("Zobrazit Datum"), QStringLiteral("V textu zobrazit dnešní datum."));
    Label3 = autoSized(control(new QLabel(QStringLiteral("Formát:"), Frame4), "Label3", { 2160, 285, 570, 225 }));
    Combo3 = control(new QComboBox(Frame4), "Combo3", { 2880, 240, 1935, 345 });
    makeEditable(Combo3, QStringLiteral("Formát zobrazeného data."));
    addItemsKeepingText(Combo3, sortedForList(DateFormats));
    Check2 = checkBox(control(new QCheckBox(Frame4), "Check2", { 120, 680, 1335, 255 }), QStringLiteral("Zobrazit Čas"),
        QStringLiteral("V textu zobrazit aktuální čas."));
    Label4 = autoSized(control(new QLabel(QStringLiteral("Formát:"), Frame4), "Label4", { 2160, 720, 570, 225 }));
    Combo4 = control(new QComboBox(Frame4), "Combo4", { 2880, 640, 1935, 345 });
    makeEditable(Combo4, QStringLiteral("Formát zobrazeného času."));
    addItemsKeepingText(Combo4, sortedForList(TimeFormats));
    Check3 = checkBox(control(new QCheckBox(Frame4), "Check3", { 120, 1080, 1215, 255 }),
        QStringLiteral("Vlastní text"), QStringLiteral("V textu zobrazit vlastní text."));
    Check4 = checkBox(control(new QCheckBox(Frame4), "Check4", { 2160, 1080, 1575, 255 }),
        QStringLiteral("Zobrazit Svátky"), QStringLiteral("V textu zobrazit svátky."));
    Text1 = control(new QPlainTextEdit(Frame4), "Text1", { 120, 1440, 4695, 330 });
    makeTextBox(Text1, QStringLiteral("Dnes je"), QStringLiteral("První část vlastního text (před datem a časem)."));
    Label5
        = autoSized(control(new QLabel(QStringLiteral("\"Datum a Čas\""), Frame4), "Label5", { 120, 1860, 1080, 225 }));
    Text2 = control(new QPlainTextEdit(Frame4), "Text2", { 120, 2160, 4695, 330 });
    makeTextBox(Text2, QStringLiteral("Svátek má:"),
        QStringLiteral("Druhá část vlastního textu (za datem a časem, před svátkem)."));
    for (QWidget *governed : std::initializer_list<QWidget *> { Label3, Combo3, Label4, Combo4, Label5 })
        governed->setEnabled(false);

    Command6 = button(control(new QPushButton(this), "Command6", { 80, 5280, 975, 375 }), QStringLiteral("Výchozí"));
    Command3 = button(control(new QPushButton(this), "Command3", { 2160, 5280, 975, 375 }), QStringLiteral("OK"));
    Command5 = button(control(new QPushButton(this), "Command5", { 3240, 5280, 975, 375 }), QStringLiteral("Použít"));
    Command2 = button(control(new QPushButton(this), "Command2", { 4320, 5280, 975, 375 }), QStringLiteral("Storno"));

    for (QGroupBox *frame : { Frame1, Frame3, Frame2, Frame5, Frame4 })
        frame->setFocusPolicy(Qt::NoFocus);
}

void Form1::setFocusOrder()
{
    const std::array<QWidget *, 18> order = { Combo1, Command4, Combo2, Command1, Check5, Bar1, Check1, Combo3, Check2,
        Combo4, Check3, Check4, Text1, Text2, Command6, Command3, Command5, Command2 };
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);

    // A greyed box that the user clicks becomes a two-state box again.
    for (QCheckBox *box : { Check1, Check2, Check3, Check4, Check5 }) {
        connect(box, &QCheckBox::stateChanged, box, [box](int state) {
            if (state != Qt::PartiallyChecked)
                box->setTristate(false);
        });
    }
    // Value changes only, by the user or by the program.
    connect(Check1, &QCheckBox::stateChanged, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::stateChanged, this, &Form1::Check2_Click);
    connect(Check3, &QCheckBox::stateChanged, this, &Form1::Check3_Click);
    connect(Bar1, &QScrollBar::valueChanged, this, &Form1::Bar1_Change);

    onKeyDown(Check1, [this](int KeyCode, int Shift) { Check1_KeyDown(KeyCode, Shift); });
    onKeyDown(Check2, [this](int KeyCode, int Shift) { Check2_KeyDown(KeyCode, Shift); });
    onKeyDown(Check3, [this](int KeyCode, int Shift) { Check3_KeyDown(KeyCode, Shift); });
    onKeyDown(Check4, [this](int KeyCode, int Shift) { Check4_KeyDown(KeyCode, Shift); });
    onKeyDown(Check5, [this](int KeyCode, int Shift) { Check5_KeyDown(KeyCode, Shift); });
    onKeyDown(Combo1, [this](int KeyCode, int Shift) { Combo1_KeyDown(0, KeyCode, Shift); });
    onKeyDown(Combo2, [this](int KeyCode, int Shift) { Combo2_KeyDown(0, KeyCode, Shift); });
    onKeyDown(Combo3, [this](int KeyCode, int Shift) { Combo3_KeyDown(KeyCode, Shift); });
    onKeyDown(Combo4, [this](int KeyCode, int Shift) { Combo4_KeyDown(KeyCode, Shift); });
    onKeyDown(Bar1, [this](int KeyCode, int Shift) { Bar1_KeyDown(KeyCode, Shift); });

    Text1->installEventFilter(this);
    Text2->installEventFilter(this);
}

// A combo box hands its keys to its line edit; both are watched.
void Form1::onKeyDown(QWidget *control, std::function<void(int KeyCode, int Shift)> handler)
{
    control->installEventFilter(this);
    keyDown_.emplace_back(control, handler);
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        combo->lineEdit()->installEventFilter(this);
        keyDown_.emplace_back(combo->lineEdit(), std::move(handler));
    }
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto found = std::find_if(
            keyDown_.begin(), keyDown_.end(), [watched](const auto &entry) { return entry.first == watched; });
        if (found != keyDown_.end()) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            found->second(enter ? VbKeyReturn : key->key(), shiftOf(key->modifiers()));
            // Enter has done its work; a combo box would also take it as "add to the list".
            return enter;
        }
    } else if (event->type() == QEvent::FocusIn && (watched == Text1 || watched == Text2)) {
        const auto gotFocus = watched == Text1 ? &Form1::Text1_GotFocus : &Form1::Text2_GotFocus;
        (this->*gotFocus)();
        // The press that brings the focus then puts the cursor where it was clicked; select again after it.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            QMetaObject::invokeMethod(this, gotFocus, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Storno is the cancel button: Escape presses it. QDialog would reject()
    // instead, which is what the close box does, and that runs no command.
    if (event->key() == Qt::Key_Escape) {
        Command2->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString Form1::read(Key key, const QString &fallback) const
{
    return store_.ReadSetting(key, fallback);
}

void Form1::keep(Key key, const QString &fallback)
{
    const auto at = std::find(TextKeys.begin(), TextKeys.end(), key);
    kept_[std::size_t(at - TextKeys.begin())] = read(key, fallback);
}

QString Form1::keptText(Key key) const
{
    const auto at = std::find(TextKeys.begin(), TextKeys.end(), key);
    return at == TextKeys.end() ? QString() : kept_[std::size_t(at - TextKeys.begin())];
}

void Form1::Form_Load()
{
    namespace F = Fallback::SettingsLoad;
    silently([&] {
        setCheckValue(Check5, toInt16(read(Key::PictrureStrench, F::PictrureStrench)));
        CommonDialog1.FileName = read(Key::Pictrure, F::Pictrure);
        showPreview(loadPicture(CommonDialog1.FileName));
        setComboText(Combo1, read(Key::Text, F::Text));
        setComboText(Combo2, read(Key::Size, F::Size));
        const qint16 seconds = toInt16(read(Key::Long, F::Long));
        if (seconds < Bar1->minimum() || seconds > Bar1->maximum())
            fail("duration out of range");
        Bar1->setValue(seconds);
        CommonDialog1.Color = toInt32(read(Key::Color, F::Color));
        showColorSample(CommonDialog1.Color);
        for (const auto &[box, key] : { std::pair { Check1, Key::Date }, std::pair { Check2, Key::Cas },
                 std::pair { Check3, Key::TextV }, std::pair { Check4, Key::Svatky } }) {
            setCheckValue(box, toInt16(read(key, F::Flag)));
            keep(key, F::Flag);
        }
        setComboText(Combo3, read(Key::DateF, F::DateF));
        keep(Key::DateF, F::DateF);
        setComboText(Combo4, read(Key::CasF, F::CasF));
        keep(Key::CasF, F::CasF);
        setBoxText(Text1, read(Key::Text1, F::Text1));
        keep(Key::Text1, F::Text1);
        setBoxText(Text2, read(Key::Text2, F::Text2));
        keep(Key::Text2, F::Text2);
        setWindowTitle(settingsCaption());
        // A second run (Výchozí) finds the lists filled and leaves them as
        // they are: the screen fonts have not changed, and adding them again
        // would list every font twice.
        if (Combo1->count() == 0)
            addItemsKeepingText(Combo1, sortedForList(QFontDatabase::families()));
        if (Combo2->count() == 0)
            addItemsKeepingText(Combo2, fontSizes());
    });
}

void Form1::showPreview(const QImage &picture)
{
    if (picture.isNull())
        Image1->clear();
    else
        Image1->setPixmap(QPixmap::fromImage(picture));
}

void Form1::showColorSample(qint32 color)
{
    QPalette palette = Label6->palette();
    palette.setColor(QPalette::Window, colorFromStored(color, palette));
    Label6->setPalette(palette);
}

void Form1::Command1_Click()
{
    silently([&] {
        CommonDialog1.Flags = CommonDialog1.HideReadOnly;
        CommonDialog1.Filter = PictureFilter;
        CommonDialog1.ShowOpen();
        showPreview(loadPicture(CommonDialog1.FileName));
    });
}

void Form1::Command4_Click()
{
    silently([&] {
        CommonDialog1.Flags = CommonDialog1.RgbInit;
        CommonDialog1.ShowColor();
        showColorSample(CommonDialog1.Color);
    });
}

QString Form1::controlText(Key key) const
{
    switch (key) {
    case Key::PictrureStrench:
        return QString::number(checkValue(Check5));
    case Key::Pictrure:
        return CommonDialog1.FileName;
    case Key::Text:
        return Combo1->currentText();
    case Key::Size:
        return Combo2->currentText();
    case Key::Color:
        return QString::number(CommonDialog1.Color);
    case Key::Long:
        return QString::number(Bar1->value());
    case Key::Date:
        return QString::number(checkValue(Check1));
    case Key::Cas:
        return QString::number(checkValue(Check2));
    case Key::TextV:
        return QString::number(checkValue(Check3));
    case Key::Svatky:
        return QString::number(checkValue(Check4));
    case Key::DateF:
        return Combo3->currentText();
    case Key::CasF:
        return Combo4->currentText();
    case Key::Text1:
        return boxText(Text1);
    case Key::Text2:
        return boxText(Text2);
    }
    return {};
}

// Picture, font name, size, colour and stretch, in this order.
void Form1::applyLook()
{
    greeting_.setPicture(loadPicture(CommonDialog1.FileName));
    greeting_.setTextFontName(Combo1->currentText());
    greeting_.setTextFontSize(toSingle(Combo2->currentText()));
    greeting_.setTextColor(CommonDialog1.Color);
    greeting_.setPictureStretch(checkValue(Check5) == 1);
}

void Form1::Command3_Click()
{
    silently([&] {
        applyLook();
        for (Key key : StoreOrder)
            store_.WriteSetting(key, controlText(key));
        greeting_.centreText();
        greeting_.enableTextTimer();
        greeting_.setTextComposed(0);
    });
    unload(); // also at the error exit
}

void Form1::Command5_Click()
{
    silently([&] {
        greeting_.enableTextTimer();
        greeting_.setTextComposed(0);
        applyLook();
        for (Key key : TextKeys)
            store_.WriteSetting(key, controlText(key));
        greeting_.centreText();
    });
}

void Form1::Command2_Click()
{
    namespace F = Fallback::Storno;
    // A look that cannot be restored skips only the rest of the look: what
    // Použít stored is still undone, and the window still closes.
    silently([&] {
        greeting_.setPicture(loadPicture(read(Key::Pictrure, F::pictrure())));
        greeting_.setTextFontName(read(Key::Text, F::Text));
        greeting_.setTextFontSize(toSingle(read(Key::Size, F::Size)));
        greeting_.setTextColor(toInt32(read(Key::Color, F::Color)));
    });
    silently([&] {
        for (std::size_t i = 0; i < TextKeys.size(); ++i)
            store_.WriteSetting(TextKeys[i], kept_[i]);
        greeting_.centreText();
    });
    unload();
}

void Form1::Command6_Click()
{
    silently([&] {
        for (Key key : StoreOrder)
            store_.RemoveSetting(key);
        Form_Load();
    });
}

void Form1::govern(QCheckBox *box, std::initializer_list<QWidget *> controls, QWidget *focusTarget)
{
    silently([&] {
        const bool on = checkValue(box) == 1;
        for (QWidget *governed : controls)
            governed->setEnabled(on);
        if (on) {
            // Not yet possible while the window is being loaded, before it is shown.
            if (!isVisible())
                fail("window not shown");
            focusTarget->setFocus(Qt::OtherFocusReason);
        }
    });
}

void Form1::Check1_Click()
{
    govern(Check1, { Label3, Combo3 }, Combo3);
}

void Form1::Check2_Click()
{
    govern(Check2, { Label4, Combo4 }, Combo4);
}

void Form1::Check3_Click()
{
    govern(Check3, { Label5, Text1, Text2 }, Text1);
}

void Form1::confirmOnEnter(int KeyCode)
{
    if (KeyCode == VbKeyReturn)
        Command3_Click();
}

void Form1::Check1_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Check2_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Check3_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Check4_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Check5_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Combo1_KeyDown(int, int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Combo2_KeyDown(int, int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Combo3_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Combo4_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}
void Form1::Bar1_KeyDown(int KeyCode, int)
{
    confirmOnEnter(KeyCode);
}

void Form1::Text1_GotFocus()
{
    Text1->selectAll();
}

void Form1::Text2_GotFocus()
{
    Text2->selectAll();
}

void Form1::Bar1_Change()
{
    Label2->setText(QString::number(Bar1->value()) + QStringLiteral(" sec."));
    Label2->adjustSize();
}

// Hidden, not deleted: the handler that unloads the window may still be running.
void Form1::unload()
{
    done(QDialog::Accepted);
}
