#pragma once

#include <QImage>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <vector>

// Takes a picture's rows from its decoder, in any order and as sparse as an
// interlaced file brings them, and keeps only the part that is shown, shrunk
// to the size it is shown at: each pixel kept is the average of the area of
// the part it covers, as a smooth scale down makes it. So the memory a
// picture costs is that of what is shown, whatever its size in the file.
class PixelSink
{
public:
    // `part` of a picture of `source` pixels, shrunk to `pixels` at most
    // (never enlarged: a smaller part keeps its own size).
    PixelSink(const QSize &source, const QRectF &part, const QSize &pixels);

    // The rows that touch the part, top to bottom: the decoder may leave out the rest.
    int firstRow() const { return firstRow_; }
    int endRow() const { return endRow_; }

    // Source pixels (unpremultiplied ARGB) of row y, at columns x, x + step, ...
    void addRow(int y, const QRgb *pixels, int x, int step, int count);

    // What was added, shrunk: premultiplied, opaque (RGB32) when every pixel added was.
    QImage image() const;
    QSize size() const { return { columns_.count, rows_.count }; }

    // Bytes its sums need for `pixels`, so that a caller can refuse a size beyond its means.
    static qint64 bytesFor(const QSize &pixels) { return qint64(pixels.width()) * pixels.height() * 4 * sizeof(float); }

private:
    // Where each source column (or row) goes: up to two neighbouring kept
    // pixels, the first with weight `share`, the next with 1 - share; and
    // each kept pixel's whole weight, to average by.
    struct Axis
    {
        Axis(int sourceLength, double from, double length, int count);
        struct Span
        {
            int to = -1; // none: outside the part
            float share = 0;
            float rest = 0;
        };
        int count;
        int first = 0; // source index of spans[0]
        std::vector<Span> spans;
        std::vector<float> totals;
    };

    Axis columns_;
    Axis rows_;
    int firstRow_;
    int endRow_;
    bool opaque_ = true;
    std::vector<float> sums_; // 4 a kept pixel: premultiplied blue, green, red, alpha
    std::vector<float> line_; // one source row shrunk across
};
