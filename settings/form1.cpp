#include "settings/form1.h"

#include "greeting/composition.h"
#include "pictures/picture.h"
#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/fonts.h"
#include "platform/numbers.h"
#include "settings/colorsample.h"
#include "settings/commondialog.h"
#include "settings/formvalues.h"
#include "settings/greetingtarget.h"
#include "store/settingsstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>
#include <memory>

namespace {

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

QString checkText(const QCheckBox *box)
{
    return QString::number(checkValue(box));
}

// 0 unchecked, 1 checked, 2 greyed.
void setCheckValue(QCheckBox *box, qint16 value)
{
    if (value == 2)
        box->setTristate(true);
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
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

QString boxText(const QPlainTextEdit *box)
{
    // toPlainText() would turn no-break spaces into spaces.
    return FormValues::storedLines(box->document()->toRawText());
}

int shiftOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

Form1::Form1(SettingsStore &store, GreetingTarget &greeting, CommonDialog &dialogs, QWidget *parent)
    : QDialog(parent)
    , store_(store)
    , greeting_(greeting)
    , CommonDialog1(dialogs)
{
    setupUi(this);
    bindControls();
    connectHandlers();
}

Form1::~Form1() = default;

// Each setting shown by the control its declaration names, converted by its kind.
void Form1::bindControls()
{
#define ZDRAVINKY_BIND(name, kind, control, ...) setting(Key::name).binding = bind(Kind::kind {}, control);
    ZDRAVINKY_SETTINGS(ZDRAVINKY_BIND)
#undef ZDRAVINKY_BIND
}

Form1::Binding Form1::bind(Kind::Flag, QCheckBox *box)
{
    return { [box](const QString &stored) { setCheckValue(box, FormValues::checkValue(stored)); },
        [box] { return checkText(box); } };
}

Form1::Binding Form1::bind(Kind::Text, QComboBox *box)
{
    return { [box](const QString &stored) { setComboText(box, stored); }, [box] { return box->currentText(); } };
}

// The size box shows and stores the number as typed; the greeting window
// reads it as a number when it applies it.
Form1::Binding Form1::bind(Kind::Number, QComboBox *box)
{
    return bind(Kind::Text {}, box);
}

// Seconds beyond the bar's range fail the step.
Form1::Binding Form1::bind(Kind::Number, QScrollBar *bar)
{
    return { [bar](const QString &stored) {
                const qint16 seconds = toInt16(stored);
                if (seconds < bar->minimum() || seconds > bar->maximum())
                    fail("duration out of range");
                bar->setValue(seconds);
            },
        [bar] { return QString::number(bar->value()); } };
}

// The colour dialog holds the colour; the sample shows it.
Form1::Binding Form1::bind(Kind::Colour, ColorSample *)
{
    return { [this](const QString &stored) {
                CommonDialog1.Color = toInt32(stored);
                showColorSample(CommonDialog1.Color);
            },
        [this] { return QString::number(CommonDialog1.Color); } };
}

// The picture dialog holds the path; the preview shows the picture it names.
Form1::Binding Form1::bind(Kind::PicturePath, QLabel *)
{
    return { [this](const QString &stored) {
                CommonDialog1.FileName = stored;
                showPreview(CommonDialog1.FileName);
            },
        [this] { return CommonDialog1.FileName; } };
}

// A text longer than a box shows usefully is shown cut short and read-only
// (Qt takes seconds, for a long word minutes, to lay out a text box's line
// of a million characters), and the binding keeps it whole: stored again,
// it is stored whole.
Form1::Binding Form1::bind(Kind::Text, QPlainTextEdit *box)
{
    auto whole = std::make_shared<std::optional<QString>>();
    return { [box, whole](const QString &stored) {
                const QString shown = cutShort(stored);
                *whole = shown != stored ? std::optional(stored) : std::nullopt;
                box->setReadOnly(bool(*whole));
                box->setPlainText(FormValues::boxLines(shown));
            },
        [box, whole] { return *whole ? **whole : boxText(box); } };
}

void Form1::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);

    // A greyed box that the user clicks becomes a two-state box again, whichever box it is.
    for (QCheckBox *box : findChildren<QCheckBox *>()) {
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

    for (QPlainTextEdit *box : { Text1, Text2 }) {
        box->installEventFilter(this);
        box->viewport()->installEventFilter(this);
    }
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
        textGotFocus(watched);
        // The press that brings the focus goes on to put the cursor where it
        // was clicked; the selection is made again when the button is let go.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            selectOnRelease_ = static_cast<QPlainTextEdit *>(watched);
    } else if (event->type() == QEvent::MouseButtonRelease && selectOnRelease_
        && watched == selectOnRelease_->viewport()) {
        QPlainTextEdit *box = std::exchange(selectOnRelease_, nullptr);
        // After the release has been handled; text the mouse itself selected stays selected.
        QMetaObject::invokeMethod(
            this,
            [this, box] {
                if (!box->textCursor().hasSelection())
                    textGotFocus(box);
            },
            Qt::QueuedConnection);
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

QString Form1::read(Key key, Reader reader) const
{
    return store_.ReadSetting(key, fallback(key, reader));
}

// What the person changed in the window is stored: it is the newest change.
// A control the person left alone is stored only where the file still holds
// what the window knows of it, so that what another copy of the program or
// a hand edit changed meanwhile stays; and not at all where the load did not
// get to it, as it then shows its design-time value, not the person's.
void Form1::store(Key key)
{
    Setting &s = setting(key);
    const QString text = s.binding.text();
    if (text != s.base)
        store_.WriteSetting(key, text);
    else if (!s.known || !store_.WriteSettingIfStill(key, s.stored, text))
        return;
    s.base = text;
    s.known = true;
    s.stored = text;
}

void Form1::Form_Load()
{
    for (Setting &s : settings_)
        s.known = false;
    silently([&] {
        // What another copy of the program or a hand edit changed meanwhile. A
        // file that cannot be read now is no empty file: the load ends here.
        store_.reload();
        for (Key key : AllKeys) {
            Setting &s = setting(key);
            s.binding.show(read(key, Reader::SettingsLoad));
            s.known = true;
            s.stored = store_.stored(key);
            if (isTextKey(key))
                s.kept = read(key, Reader::SettingsLoad); // read again and kept for Storno
        }
        setWindowTitle(FormValues::caption());
        // A second run (Výchozí) finds the lists filled and leaves them as
        // they are: the screen fonts have not changed, and adding them again
        // would list every font twice.
        if (Combo1->count() == 0)
            addItemsKeepingText(Combo1, FormValues::sortedForList(Fonts::screenFamilies()));
        if (Combo2->count() == 0)
            addItemsKeepingText(Combo2, FormValues::fontSizes());
        widenLists();
    });
    for (Setting &s : settings_)
        s.base = s.binding.text();
}

// Decoded no larger than the preview shows it, in device pixels, away from
// the window's thread.
void Form1::showPreview(const QString &path)
{
    QLabel *preview = Image1;
    showPicture(
        path, preview->contentsRect().size() * preview->devicePixelRatioF(), preview, [preview](const QImage &picture) {
            if (picture.isNull())
                preview->clear();
            else
                preview->setPixmap(QPixmap::fromImage(picture));
        });
}

void Form1::showColorSample(qint32 color)
{
    Label6->setColor(colorFromStored(color, Label6->palette()));
}

void Form1::Command1_Click()
{
    silently([&] {
        CommonDialog1.Filter = FormValues::PictureFilter;
        CommonDialog1.ShowOpen();
        showPreview(CommonDialog1.FileName);
    });
}

void Form1::Command4_Click()
{
    silently([&] {
        CommonDialog1.Flags = CommonDialog::RgbInit;
        CommonDialog1.ShowColor();
        showColorSample(CommonDialog1.Color);
    });
}

// Picture, font name, size, colour and stretch, in this order.
void Form1::applyLook()
{
    greeting_.setPicture(CommonDialog1.FileName);
    greeting_.setTextFontName(Combo1->currentText());
    greeting_.setTextFontSize(toSingle(Combo2->currentText()));
    greeting_.setTextColor(CommonDialog1.Color);
    greeting_.setPictureStretch(checkValue(Check5) == 1);
}

void Form1::Command3_Click()
{
    silently([&] {
        applyLook();
        for (Key key : AllKeys)
            store(key);
        greeting_.centreText();
        greeting_.recomposeText();
    });
    unload(); // also at the error exit
}

void Form1::Command5_Click()
{
    silently([&] {
        greeting_.recomposeText();
        applyLook();
        forEachTextKey([&](Key key) { store(key); });
        greeting_.centreText();
    });
}

void Form1::Command2_Click()
{
    // A look that cannot be restored skips only the rest of the look: what
    // Použít stored is still undone, and the window still closes.
    silently([&] {
        greeting_.setPicture(read(Key::Pictrure, Reader::Storno));
        greeting_.setTextFontName(read(Key::Text, Reader::Storno));
        greeting_.setTextFontSize(toSingle(read(Key::Size, Reader::Storno)));
        greeting_.setTextColor(toInt32(read(Key::Color, Reader::Storno)));
    });
    // A kept text goes back only where the file still holds what the window
    // knows of it: what the load read, or what Použít stored. A text that
    // someone else changed meanwhile stays.
    silently([&] {
        forEachTextKey([&](Key key) {
            Setting &s = setting(key);
            if (s.kept && s.known && store_.WriteSettingIfStill(key, s.stored, *s.kept))
                s.stored = s.kept;
        });
        greeting_.centreText();
    });
    unload();
}

void Form1::Command6_Click()
{
    silently([&] {
        for (Key key : AllKeys) {
            store_.RemoveSetting(key);
            setting(key).known = true;
            setting(key).stored.reset();
        }
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

void Form1::textGotFocus(const QObject *box)
{
    box == Text1 ? Text1_GotFocus() : Text2_GotFocus();
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
