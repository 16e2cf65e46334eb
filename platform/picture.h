#pragma once

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QSize>
#include <QString>

// A picture file that a setting names, opened so that only what is shown of
// it gets decoded: the whole picture at the size it is shown at, or the part
// of it that is in sight at its natural size.
//
// Opening does every check that needs no decoding, reading the rest; a check
// that fails fails the step (StepFailed). A load fails for a file that is
// missing or unreadable, one that is not a regular file (a FIFO, a device, a
// folder: refused without waiting on it), one larger than any photo (over
// 256 MiB), an unknown format, a picture cut short, and a header that claims
// more than the file can hold (a decompression bomb):
// - no picture may claim more than 256 megapixels (16384 x 16384), and
// - a picture of more than 32 megapixels (past Qt's 128 MiB limit for a whole
//   decode at 4 bytes a pixel) must have a byte of file for every 1024 pixels
//   it claims: a camera's JPEG holds 3 to 10 pixels a byte, a JPEG of one flat
//   colour at most 256; and if it is a JPEG, it must have a single scan, as a
//   camera writes it: libjpeg keeps the whole of a progressive picture in
//   memory while decoding it, 2 to 6 bytes a pixel.
class PictureFile
{
public:
    explicit PictureFile(const QString &path);

    // The natural size, upright as the picture's EXIF orientation says.
    QSize size() const { return size_; }

    // The part `part` of the upright picture (natural pixels, inside size()),
    // decoded to `pixels` pixels. Decodes once per file opened.
    QImage read(const QRect &part, const QSize &pixels);

private:
    QFile file_;
    QImageReader reader_;
    QByteArray format_;
    QSize stored_; // as the pixels lie in the file
    QSize size_;
    QImage whole_; // decoded at opening, for a format that tells no size before
};

// The whole picture, scaled down where it is larger than `pixels` (the size
// it is shown at, in device pixels). The empty path is the empty picture.
QImage loadPicture(const QString &path, const QSize &pixels);
