#include "pngwriter.h"

#include <QBuffer>
#include <QImage>

#include "rom/romimage.h"

namespace orvex {

namespace {

constexpr int kDotsPerMeter = 3780;  // 96 dots per inch

Error pngError(const std::string& what) {
    return makeError(ErrorCode::FileWrite, "Cannot write the PNG file: " + what);
}

// A read-only QImage over the Image's own pixels; no copy is made.
QImage viewOf(const Image& image) {
    const auto* bits = reinterpret_cast<const uchar*>(image.pixels().data());
    const qsizetype bytesPerLine = static_cast<qsizetype>(image.width()) * 4;
    return QImage(bits, image.width(), image.height(), bytesPerLine, QImage::Format_RGB32);
}

}  // namespace

Result<std::vector<std::uint8_t>> encodePng(const Image& image) {
    if (image.isNull()) {
        return pngError("the picture is empty");
    }
    // A fixed resolution (96 dpi): otherwise Qt takes the screen's when a GUI application runs,
    // and the editor's export would differ from the tool's file in the pHYs chunk.
    QImage png = viewOf(image);
    png.setDotsPerMeterX(kDotsPerMeter);
    png.setDotsPerMeterY(kDotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !png.save(&buffer, "PNG")) {
        return pngError("encoding failed");
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

Status writePng(const Image& image, const std::filesystem::path& path) {
    auto png = encodePng(image);
    if (!png) {
        return png.error();
    }
    return writeOutputFile(path, *png);
}

}  // namespace orvex
