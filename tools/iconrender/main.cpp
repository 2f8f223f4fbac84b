// iconrender SVG OUTDIR [NAME]
//
// Renders SVG at 16, 32, 48, 64, 128 and 256 pixels (the hicolor theme's sizes for the
// installed icon) into OUTDIR/NAME-<size>.png and puts them all into OUTDIR/NAME.ico (NAME
// defaults to the SVG's base name). The .ico holds PNG-compressed images, which Windows and its
// resource compiler accept for every size.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr std::array Sizes{16, 32, 48, 64, 128, 256};

QImage render(QSvgRenderer& svg, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    svg.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void putLe16(QByteArray& out, unsigned value) {
    out.append(static_cast<char>(value & 0xffU));
    out.append(static_cast<char>((value >> 8) & 0xffU));
}

void putLe32(QByteArray& out, std::uint32_t value) {
    putLe16(out, value & 0xffffU);
    putLe16(out, value >> 16);
}

// ICONDIR, one ICONDIRENTRY per image, then the images themselves.
QByteArray icoFile(const std::vector<std::pair<int, QByteArray>>& images) {
    constexpr std::uint32_t HeaderSize = 6;
    constexpr std::uint32_t EntrySize = 16;
    QByteArray out;
    putLe16(out, 0); // reserved
    putLe16(out, 1); // type: icon
    putLe16(out, static_cast<unsigned>(images.size()));
    auto offset = static_cast<std::uint32_t>(HeaderSize + EntrySize * images.size());
    for (const auto& [size, png] : images) {
        const auto side = static_cast<char>(size >= 256 ? 0 : size); // 0 stands for 256
        out.append(side);
        out.append(side);
        out.append('\0'); // no palette
        out.append('\0'); // reserved
        putLe16(out, 1);  // colour planes
        putLe16(out, 32); // bits per pixel
        putLe32(out, static_cast<std::uint32_t>(png.size()));
        putLe32(out, offset);
        offset += static_cast<std::uint32_t>(png.size());
    }
    for (const auto& image : images)
        out.append(image.second);
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 3 || args.size() > 4) {
        err << "usage: iconrender SVG OUTDIR [NAME]\n";
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        err << "iconrender: cannot read " << args.at(1) << '\n';
        return 1;
    }
    const QDir outDir(args.at(2));
    if (!outDir.exists() && !QDir().mkpath(outDir.path())) {
        err << "iconrender: cannot create " << outDir.path() << '\n';
        return 1;
    }
    const QString name = args.size() == 4 ? args.at(3) : QFileInfo(args.at(1)).completeBaseName();

    std::vector<std::pair<int, QByteArray>> images;
    for (const int size : Sizes) {
        const QByteArray png = pngBytes(render(svg, size));
        const QString path = outDir.filePath(QStringLiteral("%1-%2.png").arg(name).arg(size));
        if (!writeFile(path, png)) {
            err << "iconrender: cannot write " << path << '\n';
            return 1;
        }
        images.emplace_back(size, png);
    }
    const QString icoPath = outDir.filePath(name + QStringLiteral(".ico"));
    if (!writeFile(icoPath, icoFile(images))) {
        err << "iconrender: cannot write " << icoPath << '\n';
        return 1;
    }
    return 0;
}
