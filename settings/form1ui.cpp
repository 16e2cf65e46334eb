#include "settings/form1ui.h"

#include "platform/colors.h"
#include "platform/fonts.h"
#include "platform/twips.h"
#include "settings/accessibility.h"
#include "settings/colorsample.h"
#include "settings/form1style.h"
#include "settings/formvalues.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <array>
#include <utility>

namespace {

// Client area, twips.
constexpr float ClientWidth = 5340;
constexpr float ClientHeight = 5715;

// Text boxes and combo boxes are painted in the system scroll-bar colour.
constexpr qint32 ScrollBarColor = SystemColorFlag | 0;

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

QComboBox *editable(QComboBox *combo, const QString &toolTip, const QStringList &items = {})
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr); // typed patterns stay as typed
    combo->setToolTip(toolTip);
    paintAsScrollBar(combo);
    combo->addItems(items);
    combo->setCurrentIndex(-1); // the box starts empty, its list filled
    return combo;
}

QPlainTextEdit *textBox(QPlainTextEdit *box, const QString &text, const QString &toolTip)
{
    box->setTabChangesFocus(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setPlainText(text);
    box->setToolTip(toolTip);
    box->setEnabled(false);
    paintAsScrollBar(box);
    return box;
}

QCheckBox *checkBox(QCheckBox *box, const QString &caption, const QString &toolTip)
{
    box->setText(caption);
    box->setToolTip(toolTip);
    return box;
}

QPushButton *button(QPushButton *button, const QString &caption, const QString &toolTip = {})
{
    button->setText(caption);
    button->setToolTip(toolTip);
    button->setAutoDefault(false); // no default button: Enter works only through the key handlers
    button->setDefault(false);
    return button;
}

} // namespace

// Positions in twips, relative to the container.
void Form1Ui::setupUi(QDialog *form)
{
    installSettingsAccessibility();
    form->setObjectName(QStringLiteral("Form1"));
    form->setWindowTitle(QStringLiteral("Nastavení"));
    form->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint);
    form->setFont(Fonts::small());
    const qreal dpi = Twips::dpiOf(form);
    form->setFixedSize(Twips::toPixels(ClientWidth, dpi), Twips::toPixels(ClientHeight, dpi));

    Frame1 = control(new QGroupBox(QStringLiteral("Nastavení"), form), "Frame1", { 20, 0, 5280, 5175 });
    Frame3 = control(new QGroupBox(QStringLiteral("Vlastnosti"), Frame1), "Frame3", { 120, 200, 5055, 2160 });

    Frame2 = control(new QGroupBox(QStringLiteral("Písmo"), Frame3), "Frame2", { 80, 200, 2580, 1410 });
    Combo1 = editable(control(new QComboBox(Frame2), "Combo1", { 80, 300, 2415, 345 }), QStringLiteral("Font písma"));
    Command4 = button(control(new QPushButton(Frame2), "Command4", { 120, 840, 900, 330 }), QStringLiteral("Bar&va"),
        QStringLiteral("Barva písma"));
    Combo2
        = editable(control(new QComboBox(Frame2), "Combo2", { 1920, 820, 495, 345 }), QStringLiteral("Velikost písma"));
    Label6 = control(new ColorSample(Frame2), "Label6", { 1200, 860, 400, 280 });
    Label6->setToolTip(QStringLiteral("Barva písma"));

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
    Combo3 = editable(control(new QComboBox(Frame4), "Combo3", { 2880, 240, 1935, 345 }),
        QStringLiteral("Formát zobrazeného data."), FormValues::sortedForList(FormValues::dateFormats()));
    Check2 = checkBox(control(new QCheckBox(Frame4), "Check2", { 120, 680, 1335, 255 }), QStringLiteral("Zobrazit Čas"),
        QStringLiteral("V textu zobrazit aktuální čas."));
    Label4 = autoSized(control(new QLabel(QStringLiteral("Formát:"), Frame4), "Label4", { 2160, 720, 570, 225 }));
    Combo4 = editable(control(new QComboBox(Frame4), "Combo4", { 2880, 640, 1935, 345 }),
        QStringLiteral("Formát zobrazeného času."), FormValues::sortedForList(FormValues::timeFormats()));
    Check3 = checkBox(control(new QCheckBox(Frame4), "Check3", { 120, 1080, 1215, 255 }),
        QStringLiteral("Vlastní text"), QStringLiteral("V textu zobrazit vlastní text."));
    Check4 = checkBox(control(new QCheckBox(Frame4), "Check4", { 2160, 1080, 1575, 255 }),
        QStringLiteral("Zobrazit Svátky"), QStringLiteral("V textu zobrazit svátky."));
    Text1 = textBox(control(new QPlainTextEdit(Frame4), "Text1", { 120, 1440, 4695, 330 }), QStringLiteral("Dnes je"),
        QStringLiteral("První část vlastního text (před datem a časem)."));
    Label5
        = autoSized(control(new QLabel(QStringLiteral("\"Datum a Čas\""), Frame4), "Label5", { 120, 1860, 1080, 225 }));
    Text2 = textBox(control(new QPlainTextEdit(Frame4), "Text2", { 120, 2160, 4695, 330 }),
        QStringLiteral("Svátek má:"), QStringLiteral("Druhá část vlastního textu (za datem a časem, před svátkem)."));
    for (QWidget *governed : std::initializer_list<QWidget *> { Label3, Combo3, Label4, Combo4, Label5 })
        governed->setEnabled(false);

    Command6 = button(control(new QPushButton(form), "Command6", { 80, 5280, 975, 375 }), QStringLiteral("Výchozí"));
    Command3 = button(control(new QPushButton(form), "Command3", { 2160, 5280, 975, 375 }), QStringLiteral("OK"));
    Command5 = button(control(new QPushButton(form), "Command5", { 3240, 5280, 975, 375 }), QStringLiteral("Použít"));
    Command2 = button(control(new QPushButton(form), "Command2", { 4320, 5280, 975, 375 }), QStringLiteral("Storno"));

    auto *style = new Form1Style;
    style->setParent(form);
    Combo2->setStyle(style);
    Bar1->setStyle(style);
    widenLists();

    for (QGroupBox *frame : { Frame1, Frame3, Frame2, Frame5, Frame4 }) {
        frame->setFocusPolicy(Qt::NoFocus);
        frame->setAccessibleName(frame->title());
    }
    // What a screen reader announces for the controls whose caption is a
    // label beside them, a tooltip, or nothing but what they show. A reader
    // names a box by the label beside it, so the two "Formát:" labels carry
    // the names that tell their boxes apart.
    const std::pair<QWidget *, QString> names[] = {
        { Combo1, QStringLiteral("Písmo") },
        { Combo2, QStringLiteral("Velikost písma") },
        { Label6, QStringLiteral("Barva písma") },
        { Image1, QStringLiteral("Obrázek na pozadí") },
        { Bar1, QStringLiteral("Délka zobrazení") },
        { Label3, QStringLiteral("Formát data") },
        { Combo3, QStringLiteral("Formát data") },
        { Label4, QStringLiteral("Formát času") },
        { Combo4, QStringLiteral("Formát času") },
        { Text1, QStringLiteral("První část vlastního textu") },
        { Text2, QStringLiteral("Druhá část vlastního textu") },
    };
    for (const auto &[control, name] : names)
        control->setAccessibleName(name);
    Label1->setBuddy(Bar1);
    Label3->setBuddy(Combo3);
    Label4->setBuddy(Combo4);
    const std::array<QWidget *, 18> focusOrder = { Combo1, Command4, Combo2, Command1, Check5, Bar1, Check1, Combo3,
        Check2, Combo4, Check3, Check4, Text1, Text2, Command6, Command3, Command5, Command2 };
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(focusOrder[i - 1], focusOrder[i]);
}

void Form1Ui::widenLists()
{
    for (QComboBox *combo : { Combo1, Combo2, Combo3, Combo4 }) {
        QAbstractItemView *list = combo->view();
        list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth()
            + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list));
    }
}
