#pragma once

#include "pictures/pictureformats.h"

#include <QFile>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QObject;

// A picture file that a setting names, opened so that only what is shown of
// it gets decoded: the whole picture at the size it is shown at, or the part
// of it that is in sight at its natural size.
//
// The program shows JPEG, PNG, GIF and BMP files, told apart by their first
// bytes (never by their names), each read by a decoder whose memory and work
// it bounds itself; any other file, whatever an image plugin would make of
// it, is no picture. Opening does every check that needs no decoding, and a
// check that fails fails the step (StepFailed) at once: a file that is
// missing or unreadable, one that is not a regular file (a FIFO, a device, a
// folder: refused without waiting on it), one larger than any photo (over
// 256 MiB), any other format, a picture cut short or whose reads fail, a
// header that claims more than the file can hold (a decompression bomb, see
// checkSize), and a JPEG that would need more than 20 MiB to decode (a
// progressive or multi-scan one of more than about 5 to 7 megapixels).
class PictureFile
{
public:
    explicit PictureFile(const QString &path);

    // The natural size, upright as the picture's EXIF orientation says.
    QSize size() const { return size_; }

    // The part `part` of the upright picture (natural pixels, inside size()),
    // decoded to `pixels` pixels; shrinking, only `pixels` are kept while
    // decoding. Fails the step when the data turn out broken, or when
    // `stopped` says so while it decodes. Decodes once per file opened.
    QImage read(const QRect &part, const QSize &pixels, const Pictures::Stopped &stopped = {});

private:
    QFile file_;
    Pictures::Layout layout_;
    QSize size_;
};

// The whole picture, scaled down where it is larger than `pixels` (the size
// it is shown at, in device pixels), decoded here. The empty path is the
// empty picture.
QImage loadPicture(const QString &path, const QSize &pixels);

// Decodes away from the window's thread, so that no picture keeps a window
// from painting or from answering keys: `shown` gets the part `part` of the
// opened file at `pixels` (a null image when its data turn out broken), on
// `receiver`'s thread, as soon as it is done, or in awaitPicture(). A later
// call for the same receiver, or the receiver's end, stops what an earlier
// one has not handed over yet. No file is no picture: `shown` gets a null
// image at once.
void decodePicture(std::unique_ptr<PictureFile> file, const QRect &part, const QSize &pixels, QObject *receiver,
    const std::function<void(const QImage &)> &shown);

// Waits for the receiver's picture until a moment (a quarter of a second)
// after its decode began, and hands it over if it came: so that a window
// shows a photo in its first frame, and still goes on without a picture that
// takes long. Its thread meanwhile does the rest of its work.
void awaitPicture(QObject *receiver);

// The same for the whole picture at `path`, scaled down to `pixels` as
// loadPicture() does, awaited at once. A file that cannot be opened fails the
// step here, leaving an earlier decode for the receiver to finish.
void showPicture(
    const QString &path, const QSize &pixels, QObject *receiver, const std::function<void(const QImage &)> &shown);
