#pragma once

#include "settings/keys.h"

#include <QDialog>
#include <array>
#include <functional>
#include <utility>
#include <vector>

class CommonDialog1;
class GreetingTarget;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QImage;
class QLabel;
class QPlainTextEdit;
class QPushButton;
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
class Form1 : public QDialog
{
    Q_OBJECT
public:
    Form1(SettingsStore &store, GreetingTarget &greeting, ::CommonDialog1 &dialogs, QWidget *parent = nullptr);
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

    // What the last load read for one of the eight text keys; Storno writes it back.
    QString keptText(Key key) const;

    // The controls, by container, reached by name as the commands reach them.
    QGroupBox *Frame1 = nullptr; // Nastavení
    QGroupBox *Frame3 = nullptr; //   Vlastnosti
    QGroupBox *Frame2 = nullptr; //     Písmo
    QComboBox *Combo1 = nullptr; //       font name (element 0)
    QPushButton *Command4 = nullptr; //   Barva
    QLabel *Label6 = nullptr; //          colour sample
    QComboBox *Combo2 = nullptr; //       font size (element 0)
    QGroupBox *Frame5 = nullptr; //     Obrázek
    QPushButton *Command1 = nullptr; //   Obrázek
    QLabel *Image1 = nullptr; //          picture preview
    QCheckBox *Check5 = nullptr; //       Přizpůsobit
    QLabel *Label1 = nullptr; //        Délka zobrazení.
    QScrollBar *Bar1 = nullptr; //      seconds, 2 to 60
    QLabel *Label2 = nullptr; //        "N sec."
    QGroupBox *Frame4 = nullptr; //   Text
    QCheckBox *Check1 = nullptr; //     Zobrazit Datum
    QLabel *Label3 = nullptr;
    QComboBox *Combo3 = nullptr; //     date format
    QCheckBox *Check2 = nullptr; //     Zobrazit Čas
    QLabel *Label4 = nullptr;
    QComboBox *Combo4 = nullptr; //     time format
    QCheckBox *Check3 = nullptr; //     Vlastní text
    QCheckBox *Check4 = nullptr; //     Zobrazit Svátky
    QPlainTextEdit *Text1 = nullptr;
    QLabel *Label5 = nullptr;
    QPlainTextEdit *Text2 = nullptr;
    QPushButton *Command6 = nullptr; // Výchozí
    QPushButton *Command3 = nullptr; // OK
    QPushButton *Command5 = nullptr; // Použít
    QPushButton *Command2 = nullptr; // Storno

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void setFocusOrder();
    void connectHandlers();
    void onKeyDown(QWidget *control, std::function<void(int KeyCode, int Shift)> handler);

    QString read(Key key, const QString &fallback) const;
    void keep(Key key, const QString &fallback);
    QString controlText(Key key) const;
    void applyLook();
    void showPreview(const QImage &picture);
    void showColorSample(qint32 color);
    void govern(QCheckBox *box, std::initializer_list<QWidget *> controls, QWidget *focusTarget);
    void confirmOnEnter(int KeyCode);
    void unload();

    SettingsStore &store_;
    GreetingTarget &greeting_;
    ::CommonDialog1 &CommonDialog1;
    std::array<QString, TextKeys.size()> kept_;
    std::vector<std::pair<QObject *, std::function<void(int, int)>>> keyDown_;
};
