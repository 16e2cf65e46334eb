#pragma once

#include <QString>
#include <QtGlobal>

// What the settings window may change in the open greeting window. The
// greeting window implements it; the settings window knows nothing else of it.
// A change the greeting window cannot make fails the step (StepFailed).
class GreetingTarget
{
public:
    virtual ~GreetingTarget() = default;

    // Loads the picture file; the empty path removes the picture.
    virtual void setPicture(const QString &path) = 0;
    virtual void setPictureStretch(bool stretch) = 0;
    virtual void setTextFontName(const QString &name) = 0;
    virtual void setTextFontSize(float points) = 0;
    virtual void setTextColor(qint32 storedColor) = 0;
    virtual void centreText() = 0;
    // The text timer runs again, and its next tick composes the whole
    // greeting afresh from the store.
    virtual void recomposeText() = 0;
};
