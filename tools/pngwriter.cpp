#include "pngwriter.h"

#include <QImage>
#include <QSaveFile>
#include <QString>

namespace orvex {

namespace {

constexpr int kDotsPerMeter = 3780;  // 96 dots per inch

Error pngError(const std::filesystem::path& path, const std::string& what) {
    return makeError(ErrorCode::FileWrite,
                     "Cannot write the PNG file " + path.string() + ": " + what);
}

// A read-only QImage over the Image's own pixels; no copy is made.
QImage viewOf(const Image& image) {
    const auto* bits = reinterpret_cast<const uchar*>(image.pixels().data());
    const qsizetype bytesPerLine = static_cast<qsizetype>(image.width()) * 4;
    return QImage(bits, image.width(), image.height(), bytesPerLine, QImage::Format_RGB32);
}

}  // namespace

Status writePng(const Image& image, const std::filesystem::path& path) {
    if (image.isNull()) {
        return pngError(path, "the picture is empty");
    }
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly)) {
        return pngError(path, file.errorString().toStdString());
    }
    // A fixed resolution (96 dpi): otherwise Qt takes the screen's when a GUI application runs,
    // and the editor's export would differ from the tool's file in the pHYs chunk.
    QImage png = viewOf(image);
    png.setDotsPerMeterX(kDotsPerMeter);
    png.setDotsPerMeterY(kDotsPerMeter);
    if (!png.save(&file, "PNG")) {
        file.cancelWriting();
        return pngError(path, "encoding failed");
    }
    if (!file.commit()) {
        return pngError(path, file.errorString().toStdString());
    }
    return {};
}

}  // namespace orvex
