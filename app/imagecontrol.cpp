#include "app/imagecontrol.h"

#include <QPainter>

ImageControl::ImageControl(QWidget *parent)
    : QWidget(parent)
{ }

void ImageControl::setPicture(const QImage &picture)
{
    picture_ = picture;
    scaled_ = {};
    fitToPicture();
    update();
}

void ImageControl::setStretch(bool stretch)
{
    if (stretch_ == stretch)
        return;
    stretch_ = stretch;
    scaled_ = {};
    fitToPicture();
    update();
}

void ImageControl::fitToPicture()
{
    if (!stretch_ && !picture_.isNull())
        resize(picture_.size());
}

void ImageControl::resizeEvent(QResizeEvent *)
{
    scaled_ = {};
}

void ImageControl::paintEvent(QPaintEvent *)
{
    if (picture_.isNull())
        return;
    const QSize logical = stretch_ ? size() : picture_.size();
    const qreal ratio = devicePixelRatioF();
    if (scaled_.isNull() || scaled_.deviceIndependentSize().toSize() != logical) {
        scaled_ = QPixmap::fromImage(picture_.scaled(logical * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        scaled_.setDevicePixelRatio(ratio);
    }
    QPainter(this).drawPixmap(0, 0, scaled_);
}
