// PNG: checked by its header and its chunks, decoded by libpng a row at a
// time. Only the chunks that make the picture are read (IHDR, PLTE, tRNS,
// IDAT, IEND): text, colour profiles and the rest are skipped unread, so no
// chunk can make libpng allocate what it claims. An interlaced picture is
// read pass by pass, each pass's pixels put straight where they belong,
// without the whole picture in memory.

#include "pictures/pictureformats.h"
#include "pictures/pixelsink.h"
#include "platform/errortrap.h"

#include <csetjmp>
#include <vector>

#include <png.h>

namespace Pictures {

namespace {

bool validDepth(int colorType, int depth)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case PNG_COLOR_TYPE_PALETTE:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case PNG_COLOR_TYPE_RGB:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return depth == 8 || depth == 16;
    }
    return false;
}

// Whether the chunks run on to IEND.
bool runsToItsEnd(Bytes &bytes)
{
    static const uchar End[] = { 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82 };
    bool endsWithIt = bytes.size() >= 8 + 25 + 12;
    for (int i = 0; i < 12 && endsWithIt; ++i)
        endsWithIt = bytes.at(bytes.size() - 12 + i) == End[i];
    if (endsWithIt)
        return true;
    for (qint64 i = 8; i + 8 <= bytes.size();) {
        const qint64 length = bytes.bigEndian(i, 4);
        if (length > 0x7FFFFFFF)
            return false;
        if (bytes.bigEndian(i + 4, 4) == 0x49454E44) // IEND, with its checksum
            return i + 12 <= bytes.size();
        i += 12 + length;
    }
    return false;
}

void failDecode(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void noWarning(png_structp, png_const_charp) { }

void readData(png_structp png, png_bytep data, size_t length)
{
    if (static_cast<QFile *>(png_get_io_ptr(png))->read(reinterpret_cast<char *>(data), qint64(length))
        != qint64(length))
        png_error(png, "cut short");
}

// libpng's structures, released however decoding ends. libpng reports errors
// by a long jump: each call is made through guarded(), whose frame holds
// nothing to destroy.
class Decoder
{
public:
    explicit Decoder(QFile &file)
        : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failDecode, noWarning))
        , info(png ? png_create_info_struct(png) : nullptr)
    {
        if (!info)
            return;
        png_set_read_fn(png, &file, readData);
        // All but the chunks that make the picture are skipped unread, however long they are.
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    }
    ~Decoder() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    template <typename Call> bool guarded(Call &&call)
    {
        if (!info || setjmp(png_jmpbuf(png)))
            return false;
        call();
        return true;
    }

    png_structp png;
    png_infop info;
};

} // namespace

Layout inspectPng(Bytes &bytes)
{
    if (bytes.bigEndian(8, 4) != 13 || bytes.bigEndian(12, 4) != 0x49484452) // IHDR first
        fail("broken PNG");
    const qint64 width = bytes.bigEndian(16, 4), height = bytes.bigEndian(20, 4);
    const int depth = bytes.at(24), colorType = bytes.at(25);
    if (!validDepth(colorType, depth) || bytes.at(26) != 0 || bytes.at(27) != 0 || bytes.at(28) > 1)
        fail("broken PNG");
    checkSize(width, height, bytes.size());
    if (!runsToItsEnd(bytes))
        fail("picture cut short");
    Layout layout;
    layout.format = Format::Png;
    layout.stored = QSize(int(width), int(height));
    return layout;
}

QImage decodePng(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped)
{
    if (!file.seek(0))
        fail("picture cannot be read");
    Decoder decoder(file);
    png_structp png = decoder.png;
    png_infop info = decoder.info;
    if (!decoder.guarded([&] { png_read_info(png, info); })
        || QSize(int(png_get_image_width(png, info)), int(png_get_image_height(png, info))) != layout.stored)
        fail("picture cannot be read");
    // To 8-bit BGRA, the bytes of a QRgb.
    const int colorType = png_get_color_type(png, info);
    const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    const bool interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    if (!decoder.guarded([&] {
            png_set_expand(png);
            png_set_scale_16(png);
            png_set_gray_to_rgb(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
            png_set_bgr(png);
            if (!alpha)
                png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
#else
            png_set_swap_alpha(png);
            if (!alpha)
                png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
#endif
            png_read_update_info(png, info);
        })
        || png_get_rowbytes(png, info) != size_t(layout.stored.width()) * 4)
        fail("picture cannot be read");

    PixelSink sink(layout.stored, QRectF(part), pixels);
    std::vector<QRgb> row(size_t(layout.stored.width()));
    const auto readRow = [&] {
        if (stopped() || !decoder.guarded([&] { png_read_row(png, reinterpret_cast<png_bytep>(row.data()), nullptr); }))
            fail("picture data broken");
    };
    if (!interlaced) {
        for (int y = 0; y < sink.endRow(); ++y) {
            readRow();
            sink.addRow(y, row.data(), 0, 1, layout.stored.width());
        }
        return sink.image();
    }
    const png_uint_32 width = png_uint_32(layout.stored.width()), height = png_uint_32(layout.stored.height());
    for (int pass = 0; pass < 7; ++pass) {
        const int columns = int(PNG_PASS_COLS(width, pass)), rows = int(PNG_PASS_ROWS(height, pass));
        if (columns == 0 || rows == 0)
            continue; // libpng skips an empty pass too
        for (int r = 0; r < rows; ++r) {
            readRow();
            sink.addRow(int(PNG_ROW_FROM_PASS_ROW(png_uint_32(r), pass)), row.data(), int(PNG_PASS_START_COL(pass)),
                1 << PNG_PASS_COL_SHIFT(pass), columns);
        }
    }
    return sink.image();
}

} // namespace Pictures
