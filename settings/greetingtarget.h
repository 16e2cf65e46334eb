#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

// What the settings window may change in the open greeting window. The
// greeting window implements it; the settings window knows nothing else of it.
class GreetingTarget
{
public:
    virtual ~GreetingTarget() = default;

    virtual void setPicture(const QImage &picture) = 0;
    virtual void setPictureStretch(bool stretch) = 0;
    virtual void setTextFontName(const QString &name) = 0;
    virtual void setTextFontSize(float points) = 0; // fails for a size the label refuses
    virtual void setTextColor(qint32 storedColor) = 0; // fails for no colour
    virtual void centreText() = 0;
    // The next tick of the text timer composes the whole greeting afresh.
    virtual void enableTextTimer() = 0;
    virtual void setTextComposed(qint16 state) = 0;
};
