#pragma once

class ColorSample;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

// The settings window's controls as it is designed: built in code, placed in
// twips relative to their containers, with captions, tooltips, lists, enabled
// states and the focus order. Form1 gives them their behaviour.
class Form1Ui
{
public:
    QGroupBox *Frame1 = nullptr; // Nastavení
    QGroupBox *Frame3 = nullptr; //   Vlastnosti
    QGroupBox *Frame2 = nullptr; //     Písmo
    QComboBox *Combo1 = nullptr; //       font name (element 0)
    QPushButton *Command4 = nullptr; //   Barva
    ColorSample *Label6 = nullptr; //     colour sample
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
    QLabel *Label3 = nullptr; //        Formát:
    QComboBox *Combo3 = nullptr; //     date format
    QCheckBox *Check2 = nullptr; //     Zobrazit Čas
    QLabel *Label4 = nullptr; //        Formát:
    QComboBox *Combo4 = nullptr; //     time format
    QCheckBox *Check3 = nullptr; //     Vlastní text
    QCheckBox *Check4 = nullptr; //     Zobrazit Svátky
    QPlainTextEdit *Text1 = nullptr;
    QLabel *Label5 = nullptr; //        "Datum a Čas"
    QPlainTextEdit *Text2 = nullptr;
    QPushButton *Command6 = nullptr; // Výchozí
    QPushButton *Command3 = nullptr; // OK
    QPushButton *Command5 = nullptr; // Použít
    QPushButton *Command2 = nullptr; // Storno

    void setupUi(QDialog *form);
    // Makes every combo box's list wide enough for its widest item.
    void widenLists();
};
