#pragma once

#include "settings/form1ui.h"
#include "store/keys.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class ColorSample;
class CommonDialog;
class GreetingTarget;
class QCheckBox;
class QComboBox;
class QImage;
class QLabel;
class QPlainTextEdit;
class QScrollBar;
class SettingsStore;

// The settings window. The greeting window opens it modal:
//
//     Form1 form(store, *this, dialogs);
//     form.Form_Load();
//     form.exec();
//
// Its commands unload it by hiding it (done()), never by deleting it, so a
// command may close the window from inside its own key or click handler;
// hiding it from outside (the program ending) simply ends exec(). It touches
// nothing but its own controls, the store, the dialogs and the greeting
// window's GreetingTarget, all of which outlive it.
class Form1 : public QDialog, public Form1Ui
{
    Q_OBJECT
public:
    Form1(SettingsStore &store, GreetingTarget &greeting, CommonDialog &dialogs, QWidget *parent = nullptr);
    ~Form1() override;

    void Form_Load();

    void Command1_Click(); // Obrázek
    void Command2_Click(); // Storno
    void Command3_Click(); // OK
    void Command4_Click(); // Barva
    void Command5_Click(); // Použít
    void Command6_Click(); // Výchozí

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();

    // KeyCode is VbKeyReturn for Enter and Return, Qt's key code otherwise;
    // Shift is 1 Shift, 2 Ctrl, 4 Alt. Enter confirms the window as OK.
    static constexpr int VbKeyReturn = 13;
    void Check1_KeyDown(int KeyCode, int Shift);
    void Check2_KeyDown(int KeyCode, int Shift);
    void Check3_KeyDown(int KeyCode, int Shift);
    void Check4_KeyDown(int KeyCode, int Shift);
    void Check5_KeyDown(int KeyCode, int Shift);
    void Combo1_KeyDown(int Index, int KeyCode, int Shift);
    void Combo2_KeyDown(int Index, int KeyCode, int Shift);
    void Combo3_KeyDown(int KeyCode, int Shift);
    void Combo4_KeyDown(int KeyCode, int Shift);
    void Bar1_KeyDown(int KeyCode, int Shift);

    void Text1_GotFocus();
    void Text2_GotFocus();
    void Bar1_Change();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // How a setting's control shows the stored text (a step of the load,
    // which may fail) and what the control holds to be stored: one way for
    // each kind of setting and kind of control that shows it.
    struct Binding
    {
        std::function<void(const QString &stored)> show;
        std::function<QString()> text;
    };
    Binding bind(Kind::Flag, QCheckBox *box);
    Binding bind(Kind::Text, QComboBox *box);
    Binding bind(Kind::Number, QComboBox *box);
    Binding bind(Kind::Number, QScrollBar *bar);
    Binding bind(Kind::Colour, ColorSample *sample);
    Binding bind(Kind::PicturePath, QLabel *preview);
    Binding bind(Kind::Text, QPlainTextEdit *box);
    void bindControls();
    void connectHandlers();
    void onKeyDown(QWidget *control, std::function<void(int KeyCode, int Shift)> handler);

    QString read(Key key, Reader reader) const;
    void textGotFocus(const QObject *box); // Text1_GotFocus or Text2_GotFocus
    void store(Key key);
    void applyLook();
    void showPreview(const QString &path);
    void showColorSample(qint32 color);
    void govern(QCheckBox *box, std::initializer_list<QWidget *> controls, QWidget *focusTarget);
    void confirmOnEnter(int KeyCode);
    void unload();

    SettingsStore &store_;
    GreetingTarget &greeting_;
    CommonDialog &CommonDialog1;
    // What the window keeps of each setting, in key order.
    struct Setting
    {
        Binding binding;
        // What the file holds for the key as far as this window knows: what
        // the last load read (not known when the load did not get to the
        // key), then what each write of the window stored.
        bool known = false;
        std::optional<QString> stored; // nothing: absent
        // What the control held when the window last loaded or stored it: a
        // control that holds something else now was changed by the person.
        QString base;
        std::optional<QString> kept; // a text setting as the load read it, for Storno
    };
    std::array<Setting, KeyCount> settings_;
    Setting &setting(Key key) { return settings_[keyIndex(key)]; }
    std::vector<std::pair<QObject *, std::function<void(int, int)>>> keyDown_;
    QPlainTextEdit *selectOnRelease_ = nullptr; // a text box the mouse is bringing the focus to
};
