// icon-pixels: compiles images into C++ for the window's icon, so that the calculator shows
// them without reading an image file at start-up (which makes Qt load every image-format
// plugin).
//
//   icon-pixels OUTPUT IMAGE...
//
// Writes to OUTPUT a header that defines window_icon::images: for each IMAGE, in order, its
// width, height and pixels as 0xAARRGGBB values, row by row. Exits with 1 if an image cannot
// be read or the header cannot be written.
#include <QFile>
#include <QImage>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: icon-pixels OUTPUT IMAGE...\n");
        return 1;
    }
    QString pixels;
    QString table;
    for (int i = 2; i < argc; ++i) {
        const QImage image =
            QImage(QString::fromLocal8Bit(argv[i])).convertToFormat(QImage::Format_ARGB32);
        if (image.isNull()) {
            std::fprintf(stderr, "icon-pixels: cannot read %s\n", argv[i]);
            return 1;
        }
        const QString name = QString("image%1").arg(i - 2);
        pixels += QString("// %1\ninline constexpr std::uint32_t %2[] = {").arg(argv[i], name);
        for (int y = 0; y < image.height(); ++y) {
            pixels += "\n   ";
            for (int x = 0; x < image.width(); ++x) {
                pixels += QString(" 0x%1,").arg(image.pixel(x, y), 8, 16, QChar('0'));
            }
        }
        pixels += "\n};\n";
        table += QString("    {%1, %2, %3},\n").arg(image.width()).arg(image.height()).arg(name);
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "icon-pixels: cannot write %s\n", argv[1]);
        return 1;
    }
    QTextStream out(&file);
    out << "// Written by tools/icon_pixels.cpp at build time; do not edit.\n"
           "#pragma once\n\n#include <cstdint>\n\nnamespace window_icon {\n\n"
           "struct Image {\n    int width;\n    int height;\n    const std::uint32_t* "
           "pixels;\n};\n\n"
        << pixels << "\ninline constexpr Image images[] = {\n"
        << table << "};\n\n} // namespace window_icon\n";
    out.flush();
    return file.error() == QFile::NoError ? 0 : 1;
}
