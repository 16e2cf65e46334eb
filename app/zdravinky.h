#pragma once

#include "greeting/composition.h"
#include "settings/greetingtarget.h"
#include "store/keys.h"

#include <QWidget>
#include <memory>

class Clock;
class CommonDialog;
class ImageControl;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class SettingsStore;

// The greeting window: a small borderless window with the user's background
// picture and the greeting text. It lives as long as the program: unloading
// it, by whatever path, ends the program.
class Zdravinky : public QWidget, public GreetingTarget
{
    Q_OBJECT
public:
    // The settings window it opens uses dialogs, or real ones when none are given.
    Zdravinky(SettingsStore &store, Clock &clock, CommonDialog *dialogs = nullptr);
    ~Zdravinky() override;

    // Loads the window if need be (its load handler waits out the display
    // time), then makes it visible unless it was unloaded meanwhile.
    void loadAndShow();

    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

    void Form_MouseMove();
    void Label1_MouseMove();
    void Label2_MouseMove();
    void Label3_MouseMove();
    void Image1_MouseDown(Qt::MouseButton button);
    void Label2_MouseDown(Qt::MouseButton button);
    void mnuSett_Click();
    void mnuWeb_Click();
    void mnuKonec_Click();

    void Timer1_Timer();
    void Timer2_Timer();

    bool isUnloaded() const { return unloaded_; }

    // GreetingTarget
    void setPicture(const QString &path) override;
    void setPictureStretch(bool stretch) override;
    void setTextFontName(const QString &name) override;
    void setTextFontSize(float points) override;
    void setTextColor(qint32 storedColor) override;
    void centreText() override;
    void recomposeText() override;

Q_SIGNALS:
    // The window has been unloaded: the program ends now.
    void unloaded();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenu();
    QString read(Key key, Reader reader) const;
    void setLabel2Text(const QString &text);
    void composeText();
    void wrapNameDay();
    void refreshTime();
    void waitOut(const QString &duration);
    void awaitActivation();
    void closeIfActive();
    void popupMenu(const QPoint &at);
    void clearHint();

    SettingsStore &store_;
    Clock &clock_;
    std::unique_ptr<CommonDialog> ownDialogs_;
    CommonDialog *dialogs_;

    QTimer *Timer2 = nullptr;
    QTimer *Timer1 = nullptr;
    ImageControl *Image1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;

    QMenu *mnuMenu = nullptr;
    QAction *mnuSett = nullptr;
    QAction *mnuMezera2 = nullptr;
    QAction *mnuWeb = nullptr;
    QAction *mnuMezera = nullptr;
    QAction *mnuKonec = nullptr;

    qint16 TextComposed = 0;
    TimeSpan timeSpan_; // where the last composing run (or refresh) put the time in Label2
    bool loaded_ = false;
    bool unloaded_ = false;
};
