#pragma once

#include <QColor>
#include <QLabel>

// The settings window's colour sample: a framed label filled with the chosen
// text colour. A screen reader learns the colour in words.
class ColorSample : public QLabel
{
    Q_OBJECT
public:
    explicit ColorSample(QWidget *parent = nullptr);

    void setColor(const QColor &color);
    QColor color() const;
    QString colorText() const; // "červená 255, zelená 0, modrá 0"
};
