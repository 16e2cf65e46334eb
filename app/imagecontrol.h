#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>

class PictureFile;

// An image control: shows a picture either scaled to the control (stretch)
// or at its natural size, the control then taking the picture's size. Only
// what is shown is decoded: the picture at the control's size in device
// pixels, or at its natural size the part of it that lies inside the window.
// The control keeps the file's name and decodes again when what it shows
// changes (stretch, size, place, device pixel ratio). Decoding is done away
// from the window's thread: a picture that takes long to decode is drawn
// when it is ready, and the window goes on painting and answering meanwhile.
class ImageControl : public QWidget
{
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    // Loads the picture file; the empty path removes the picture. A file that
    // cannot be loaded fails the step (StepFailed) and leaves the control as it was.
    void setPicture(const QString &path);
    void setStretch(bool stretch);
    bool stretch() const { return stretch_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // What is decoded: a part of the upright picture (natural pixels) at a size in device pixels.
    struct View
    {
        QRect part;
        QSize pixels;
        bool operator==(const View &other) const { return part == other.part && pixels == other.pixels; }
    };
    View viewOf(const QSize &natural, const QRect &geometry) const;
    void fitToPicture();
    void decode(std::unique_ptr<PictureFile> file, const View &view);

    QString path_;
    QSize natural_; // the picture's size, upright; empty for no picture
    bool stretch_ = false;
    View decoded_; // what picture_ holds
    QPixmap picture_;
};
