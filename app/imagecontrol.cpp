#include "app/imagecontrol.h"

#include "platform/errortrap.h"
#include "platform/picture.h"

#include <QPainter>

ImageControl::ImageControl(QWidget *parent)
    : QWidget(parent)
{ }

void ImageControl::setPicture(const QString &path)
{
    QPixmap picture;
    QSize natural;
    View view;
    if (!path.isEmpty()) {
        PictureFile file(path);
        natural = file.size();
        view = viewOf(natural, geometryFor(natural));
        picture = QPixmap::fromImage(file.read(view.part, view.pixels));
    }
    path_ = path;
    natural_ = natural;
    decoded_ = view;
    picture_ = picture;
    fitToPicture();
    update();
}

// Drawn at the next paint, decoded anew if need be: OK sets the picture
// first and the stretch after, and only the second is decoded.
void ImageControl::setStretch(bool stretch)
{
    if (stretch_ == stretch)
        return;
    stretch_ = stretch;
    fitToPicture();
    update();
}

void ImageControl::fitToPicture()
{
    if (!stretch_ && natural_.isValid())
        resize(natural_);
}

QRect ImageControl::geometryFor(const QSize &natural) const
{
    return stretch_ ? geometry() : QRect(pos(), natural);
}

// At its natural size the picture is decoded as far as the window shows it.
// Even with none of it in sight one pixel is, so that a broken file fails as
// it does when it is shown.
ImageControl::View ImageControl::viewOf(const QSize &natural, const QRect &geometry) const
{
    const qreal ratio = devicePixelRatioF();
    if (stretch_)
        return { QRect(QPoint(), natural), (geometry.size() * ratio).expandedTo(QSize(1, 1)) };
    QRect part(QPoint(), natural);
    if (parentWidget())
        part &= parentWidget()->rect().translated(-geometry.topLeft());
    if (part.isEmpty())
        part = QRect(0, 0, 1, 1);
    return { part, part.size() * ratio };
}

void ImageControl::paintEvent(QPaintEvent *)
{
    if (path_.isEmpty())
        return;
    const View view = viewOf(natural_, geometry());
    if (!(view == decoded_)) {
        // The file may have changed or gone since: then the picture is not shown.
        decoded_ = view;
        picture_ = {};
        silently([&] {
            PictureFile file(path_);
            if (file.size() == natural_)
                picture_ = QPixmap::fromImage(file.read(view.part, view.pixels));
        });
    }
    picture_.setDevicePixelRatio(devicePixelRatioF());
    QPainter(this).drawPixmap(stretch_ ? QPoint() : view.part.topLeft(), picture_);
}
