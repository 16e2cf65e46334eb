#include "app/imagecontrol.h"

#include "pictures/picture.h"
#include "platform/errortrap.h"

#include <QPainter>

ImageControl::ImageControl(QWidget *parent)
    : QWidget(parent)
{ }

// The file is checked here, so that one that cannot be shown fails the step
// and leaves the control as it was; it is decoded meanwhile, and waited for
// at the next paint.
void ImageControl::setPicture(const QString &path)
{
    auto file = path.isEmpty() ? nullptr : std::make_unique<PictureFile>(path);
    path_ = path;
    natural_ = file ? file->size() : QSize();
    fitToPicture();
    decode(std::move(file), viewOf(natural_, geometry()));
    update();
}

void ImageControl::decode(std::unique_ptr<PictureFile> file, const View &view)
{
    decoded_ = view;
    picture_ = {};
    decodePicture(std::move(file), view.part, view.pixels, this, [this, view](const QImage &picture) {
        if (!(view == decoded_))
            return;
        picture_ = QPixmap::fromImage(picture);
        update();
    });
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

// At its natural size the picture is decoded as far as the window shows it;
// with none of it in sight, one pixel.
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
            auto file = std::make_unique<PictureFile>(path_);
            if (file->size() == natural_)
                decode(std::move(file), view);
        });
    }
    awaitPicture(this);
    picture_.setDevicePixelRatio(devicePixelRatioF());
    QPainter(this).drawPixmap(stretch_ ? QPoint() : view.part.topLeft(), picture_);
}
