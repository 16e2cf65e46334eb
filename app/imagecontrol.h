#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// An image control: shows a picture either scaled to the control (stretch)
// or at its natural size, the control then taking the picture's size.
class ImageControl : public QWidget
{
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    void setPicture(const QImage &picture);
    void setStretch(bool stretch);
    bool stretch() const { return stretch_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitToPicture();

    QImage picture_;
    bool stretch_ = false;
    QPixmap scaled_; // the picture at the control's size in device pixels, drawn sharp on HiDPI screens
};
