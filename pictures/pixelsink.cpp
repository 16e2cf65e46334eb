#include "pictures/pixelsink.h"

#include <algorithm>
#include <cmath>

PixelSink::Axis::Axis(int sourceLength, double from, double length, int wanted)
    : count(std::max(1, std::min(wanted, int(length))))
    , totals(size_t(count), 0.0f)
{
    const double scale = length / count; // source pixels a kept pixel covers, at least 1 unless the part is thinner
    const double to = from + length;
    first = std::max(0, int(std::floor(from)));
    const int end = std::min(sourceLength, int(std::ceil(to)));
    spans.resize(size_t(std::max(0, end - first)));
    for (int i = first; i < end; ++i) {
        const double a = std::max<double>(i, from), b = std::min<double>(i + 1, to);
        if (b <= a)
            continue;
        Span &span = spans[size_t(i - first)];
        span.to = std::min(count - 1, int((a - from) / scale));
        const double boundary = from + (span.to + 1) * scale;
        span.share = float(std::min(b, boundary) - a);
        span.rest = span.to + 1 < count && b > boundary ? float(b - boundary) : 0.0f;
        totals[size_t(span.to)] += span.share;
        if (span.rest > 0)
            totals[size_t(span.to) + 1] += span.rest;
    }
}

PixelSink::PixelSink(const QSize &source, const QRectF &part, const QSize &pixels)
    : columns_(source.width(), part.x(), part.width(), pixels.width())
    , rows_(source.height(), part.y(), part.height(), pixels.height())
    , firstRow_(rows_.first)
    , endRow_(rows_.first + int(rows_.spans.size()))
    , sums_(size_t(columns_.count) * size_t(rows_.count) * 4, 0.0f)
    , line_(size_t(columns_.count) * 4)
{ }

void PixelSink::addRow(int y, const QRgb *pixels, int x, int step, int count)
{
    if (y < firstRow_ || y >= endRow_)
        return;
    const Axis::Span row = rows_.spans[size_t(y - firstRow_)];
    if (row.to < 0)
        return;
    std::fill(line_.begin(), line_.end(), 0.0f);
    const int spans = int(columns_.spans.size());
    for (int i = 0; i < count; ++i) {
        const int column = x + i * step - columns_.first;
        if (column < 0)
            continue;
        if (column >= spans)
            break;
        const Axis::Span &span = columns_.spans[size_t(column)];
        if (span.to < 0)
            continue;
        const QRgb pixel = pixels[i];
        const int alpha = qAlpha(pixel);
        opaque_ = opaque_ && alpha == 255;
        const float premultiply = alpha / 255.0f;
        const float value[4]
            = { qBlue(pixel) * premultiply, qGreen(pixel) * premultiply, qRed(pixel) * premultiply, float(alpha) };
        float *to = &line_[size_t(span.to) * 4];
        for (int c = 0; c < 4; ++c)
            to[c] += span.share * value[c];
        if (span.rest > 0)
            for (int c = 0; c < 4; ++c)
                to[4 + c] += span.rest * value[c];
    }
    const auto addLine = [&](int to, float weight) {
        float *sums = &sums_[size_t(to) * size_t(columns_.count) * 4];
        for (size_t i = 0; i < line_.size(); ++i)
            sums[i] += weight * line_[i];
    };
    addLine(row.to, row.share);
    if (row.rest > 0)
        addLine(row.to + 1, row.rest);
}

QImage PixelSink::image() const
{
    QImage image(columns_.count, rows_.count, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    bool opaque = opaque_;
    for (int y = 0; y < rows_.count; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const float *sums = &sums_[size_t(y) * size_t(columns_.count) * 4];
        for (int x = 0; x < columns_.count; ++x, sums += 4) {
            const float total = columns_.totals[size_t(x)] * rows_.totals[size_t(y)];
            const auto average
                = [&](int c, int most) { return total > 0 ? std::clamp(int(sums[c] / total + 0.5f), 0, most) : 0; };
            const int alpha = average(3, 255);
            opaque = opaque && alpha == 255;
            line[x] = qRgba(average(2, alpha), average(1, alpha), average(0, alpha), alpha);
        }
    }
    return opaque ? image.convertToFormat(QImage::Format_RGB32) : image;
}
