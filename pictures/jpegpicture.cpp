// JPEG: checked by walking its markers, decoded by libjpeg as far as it is
// shown: the rows and columns in sight at the natural size (jpeg_crop_scanline,
// jpeg_skip_scanlines, the rest never decoded), the whole scaled down while it
// is decoded (a scaled inverse DCT: 1/8 of the size costs little more than
// reading the file) when it is stretched.

#include "pictures/pictureformats.h"
#include "pictures/pixelsink.h"
#include "platform/errortrap.h"

#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace Pictures {

namespace {

bool isStandalone(uchar marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); // TEM, RSTn: no length follows
}

// Frames libjpeg decodes: Huffman baseline, extended and progressive, and
// arithmetic sequential and progressive; not lossless nor hierarchical.
bool isFrame(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isDecodedFrame(uchar marker)
{
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 || marker == 0xCA;
}

// The orientation of an EXIF segment's first picture, as Qt's readers turn it.
QImageIOHandler::Transformations exifTurn(Bytes &bytes, qint64 at, qint64 length)
{
    using T = QImageIOHandler;
    if (length < 14 || bytes.bigEndian(at, 4) != 0x45786966 || bytes.bigEndian(at + 4, 2) != 0) // "Exif\0\0"
        return T::TransformationNone;
    const qint64 tiff = at + 6, end = at + length;
    const bool big = bytes.at(tiff) == 'M';
    const auto number = [&](qint64 i, int count) {
        return i + count <= end ? (big ? bytes.bigEndian(i, count) : bytes.littleEndian(i, count)) : 0;
    };
    const qint64 directory = tiff + number(tiff + 4, 4);
    const qint64 entries = number(directory, 2);
    for (qint64 n = 0; n < entries && directory + 2 + 12 * (n + 1) <= end; ++n) {
        const qint64 entry = directory + 2 + 12 * n;
        if (number(entry, 2) != 0x0112)
            continue;
        static const T::Transformations byOrientation[]
            = { T::TransformationNone, T::TransformationNone, T::TransformationMirror, T::TransformationRotate180,
                  T::TransformationFlip, T::TransformationFlipAndRotate90, T::TransformationRotate90,
                  T::TransformationMirrorAndRotate90, T::TransformationRotate270 };
        const quint32 orientation = number(entry + 8, 2);
        return orientation <= 8 ? byOrientation[orientation] : T::TransformationNone;
    }
    return T::TransformationNone;
}

// From the frame header and the first scan's: the bytes libjpeg keeps for the
// coefficients of a picture decoded in more than one scan (a progressive
// one, or one with a scan per colour), 128 a block of 8 x 8.
qint64 coefficientBytes(Bytes &bytes, qint64 frame, bool progressive, int firstScanComponents)
{
    const qint64 height = bytes.bigEndian(frame + 1, 2), width = bytes.bigEndian(frame + 3, 2);
    const int components = bytes.at(frame + 5);
    if (!progressive && firstScanComponents == components)
        return 0; // one interleaved scan: decoded a row of blocks at a time
    int maxH = 1, maxV = 1;
    for (int c = 0; c < components; ++c) {
        maxH = std::max(maxH, bytes.at(frame + 7 + 3 * c) >> 4);
        maxV = std::max(maxV, bytes.at(frame + 7 + 3 * c) & 15);
    }
    qint64 total = 0;
    for (int c = 0; c < components; ++c) {
        const int h = bytes.at(frame + 7 + 3 * c) >> 4, v = bytes.at(frame + 7 + 3 * c) & 15;
        const auto blocks = [](qint64 pixels, int factor, int most) {
            const qint64 count = (pixels * factor + 8 * most - 1) / (8 * most);
            return (count + factor - 1) / factor * factor;
        };
        total += blocks(width, h, maxH) * blocks(height, v, maxV) * qint64(sizeof(JBLOCK));
    }
    return total;
}

// Whether the markers run from the first scan on to the end-of-image marker.
// Segments are skipped by their lengths; data after the end marker, such as
// a phone's motion-photo video, is allowed.
bool runsToItsEnd(Bytes &bytes, qint64 i)
{
    const qint64 size = bytes.size();
    if (bytes.at(size - 2) == 0xFF && bytes.at(size - 1) == 0xD9)
        return true; // a marker that cannot appear inside the coded data
    for (i = bytes.nextMarker(i); i + 1 < size;) {
        const uchar marker = bytes.at(i + 1);
        if (marker == 0xD9)
            return true;
        i = bytes.nextMarker(i + 2 + bytes.bigEndian(i + 2, 2)); // after a segment: a scan's data, or the next marker
    }
    return false;
}

} // namespace

Layout inspectJpeg(Bytes &bytes)
{
    Layout layout;
    layout.format = Format::Jpeg;
    qint64 frame = -1;
    uchar frameMarker = 0;
    qint64 i = 2; // after the start-of-image marker
    for (;;) {
        i = bytes.nextFF(i); // libjpeg too skips stray bytes before a marker
        const uchar marker = bytes.at(i + 1);
        if (marker == 0xFF || isStandalone(marker) || marker == 0x00) {
            i += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker == 0xD8 || marker == 0xD9)
            fail("no picture in the file");
        const qint64 length = bytes.bigEndian(i + 2, 2);
        if (length < 2)
            fail("broken JPEG marker");
        if (marker == 0xE1 && layout.turn == QImageIOHandler::TransformationNone)
            layout.turn = exifTurn(bytes, i + 4, length - 2);
        if (isFrame(marker)) {
            if (frame >= 0 || !isDecodedFrame(marker) || length < 8)
                fail("a JPEG this program does not decode");
            frame = i + 4;
            frameMarker = marker;
        }
        if (marker == 0xDA)
            break;
        i += 2 + length;
    }
    if (frame < 0)
        fail("no picture in the file");
    const int components = bytes.at(frame + 5), scanComponents = bytes.at(i + 4);
    const qint64 height = bytes.bigEndian(frame + 1, 2), width = bytes.bigEndian(frame + 3, 2);
    if (bytes.at(frame) != 8 || height == 0 || (components != 1 && components != 3 && components != 4)
        || bytes.bigEndian(frame - 2, 2) < 8u + 3 * components || scanComponents < 1 || scanComponents > components)
        fail("a JPEG this program does not decode"); // 12-bit, height given later (DNL), odd colours
    for (int c = 0; c < components; ++c) {
        const int h = bytes.at(frame + 7 + 3 * c) >> 4, v = bytes.at(frame + 7 + 3 * c) & 15;
        if (h < 1 || h > 4 || v < 1 || v > 4)
            fail("broken JPEG frame");
    }
    checkSize(width, height, bytes.size());
    const bool progressive = frameMarker == 0xC2 || frameMarker == 0xCA;
    if (coefficientBytes(bytes, frame, progressive, scanComponents) > DecoderBytes)
        fail("picture too large to decode in the memory it may take");
    if (!runsToItsEnd(bytes, i + 2 + bytes.bigEndian(i + 2, 2)))
        fail("picture cut short");
    layout.stored = QSize(int(width), int(height));
    return layout;
}

namespace {

struct Errors
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

struct Source
{
    jpeg_source_mgr manager;
    QFile *file;
    std::vector<JOCTET> buffer;
};

struct Progress
{
    jpeg_progress_mgr manager;
    const Stopped *stopped;
};

void failDecode(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Errors *>(info->err)->jump, 1);
}

// Warnings that a picture's data end early or are garbled fail it, instead
// of the rest showing grey.
void warn(j_common_ptr info, int level)
{
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC))
        failDecode(info);
}

void noMessage(j_common_ptr) { }

void startSource(j_decompress_ptr) { }

void endSource(j_decompress_ptr) { }

// The structure check saw the whole file: running out of it now means it has changed.
boolean fillBuffer(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    const qint64 read
        = source->file->read(reinterpret_cast<char *>(source->buffer.data()), qint64(source->buffer.size()));
    if (read <= 0)
        failDecode(reinterpret_cast<j_common_ptr>(info));
    source->manager.next_input_byte = source->buffer.data();
    source->manager.bytes_in_buffer = size_t(read);
    return TRUE;
}

// Large segments (a thumbnail, a colour profile) are skipped in the file, not read.
void skipData(j_decompress_ptr info, long count)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    if (count <= 0)
        return;
    if (size_t(count) <= source->manager.bytes_in_buffer) {
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= size_t(count);
        return;
    }
    const qint64 ahead = count - qint64(source->manager.bytes_in_buffer);
    source->manager.bytes_in_buffer = 0;
    if (!source->file->seek(source->file->pos() + ahead))
        failDecode(reinterpret_cast<j_common_ptr>(info));
}

void monitor(j_common_ptr common)
{
    const auto *progress = reinterpret_cast<Progress *>(common->progress);
    if (reinterpret_cast<j_decompress_ptr>(common)->input_scan_number > MaxScans || (*progress->stopped)())
        failDecode(common);
}

// libjpeg and what it needs, released however decoding ends. libjpeg reports
// errors by a long jump: each call is made through guarded(), whose frame
// holds nothing to destroy.
class Decoder
{
public:
    Decoder(QFile &file, const Stopped &stopped)
    {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = failDecode;
        errors.manager.emit_message = warn;
        errors.manager.output_message = noMessage;
        jpeg_create_decompress(&info);
        info.mem->max_memory_to_use = DecoderBytes + (8 << 20); // and its rows, which the check above leaves out
        source.file = &file;
        source.buffer.resize(64 << 10);
        source.manager = { nullptr, 0, startSource, fillBuffer, skipData, jpeg_resync_to_restart, endSource };
        info.src = &source.manager;
        progress.manager.progress_monitor = monitor;
        progress.stopped = &stopped;
        info.progress = &progress.manager;
    }
    ~Decoder() { jpeg_destroy_decompress(&info); }
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    template <typename Call> bool guarded(Call &&call)
    {
        if (setjmp(errors.jump))
            return false;
        call();
        return true;
    }

    jpeg_decompress_struct info {};

private:
    Errors errors {};
    Source source {};
    Progress progress {};
};

// The smallest scaling of libjpeg's, eighths of the size, that keeps at least `pixels` of `part`.
int eighths(const QRect &part, const QSize &pixels)
{
    int m = 1;
    while (m < 8
        && (qint64(part.width()) * m < qint64(pixels.width()) * 8
            || qint64(part.height()) * m < qint64(pixels.height()) * 8))
        ++m;
    return m;
}

} // namespace

QImage decodeJpeg(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped)
{
    if (!file.seek(0))
        fail("picture cannot be read");
    Decoder decoder(file, stopped);
    jpeg_decompress_struct &info = decoder.info;
    if (!decoder.guarded([&] { jpeg_read_header(&info, TRUE); })
        || QSize(int(info.image_width), int(info.image_height)) != layout.stored)
        fail("picture cannot be read");
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    const int m = eighths(part, pixels);
    info.scale_num = unsigned(m);
    info.scale_denom = 8;
    if (!decoder.guarded([&] { jpeg_start_decompress(&info); }))
        fail("picture data broken");

    const QSize scaled(int(info.output_width), int(info.output_height));
    const qreal factor = m / 8.0;
    PixelSink sink(
        scaled, QRectF(part.x() * factor, part.y() * factor, part.width() * factor, part.height() * factor), pixels);
    // Colours of fewer pixels (4:2:0, 4:2:2) are smoothed up from their
    // neighbours: a block's worth more on each side keeps the part's edge
    // pixels as the whole picture has them.
    const int aroundX = info.max_h_samp_factor * info.min_DCT_scaled_size;
    const int aroundY = info.max_v_samp_factor * info.min_DCT_scaled_size;
    JDIMENSION left = JDIMENSION(std::clamp(int(part.x() * factor) - aroundX, 0, scaled.width() - 1));
    JDIMENSION width = JDIMENSION(
        std::clamp(int(std::ceil((part.x() + part.width()) * factor)) + aroundX, int(left) + 1, scaled.width())
        - int(left));
    const int top = std::max(0, sink.firstRow() - aroundY);
    std::vector<QRgb> row(size_t(scaled.width()));
    auto *line = reinterpret_cast<JSAMPROW>(row.data());
    if (!decoder.guarded([&] { jpeg_crop_scanline(&info, &left, &width); })
        || !decoder.guarded([&] { jpeg_skip_scanlines(&info, JDIMENSION(top)); }))
        fail("picture data broken");
    for (int y = top; y < sink.endRow(); ++y) {
        if (stopped() || !decoder.guarded([&] { jpeg_read_scanlines(&info, &line, 1); }))
            fail("picture data broken");
        if (cmyk) { // as Adobe writes it: inverted, the key a factor of the others
            const uchar *cmykRow = line;
            for (JDIMENSION x = 0; x < width; ++x, cmykRow += 4)
                row[x]
                    = qRgb(cmykRow[3] * cmykRow[0] / 255, cmykRow[3] * cmykRow[1] / 255, cmykRow[3] * cmykRow[2] / 255);
        }
        sink.addRow(y, row.data(), int(left), 1, int(width));
    }
    return sink.image();
}

} // namespace Pictures
