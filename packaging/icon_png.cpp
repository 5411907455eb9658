// Build-time tool: writes the program's icon as a PNG of the given size,
// for the hicolor theme. The icon is drawn once, in resources/icons; this
// keeps the installed PNG in step with it.
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <icon> <out.png> <size>\n", argv[0]);
        return 2;
    }
    QImage icon(QString::fromLocal8Bit(argv[1]));
    const int size = QString::fromLatin1(argv[3]).toInt();
    if (icon.isNull() || size <= 0) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    // The theme's size folders promise exact sizes; scale only when the
    // source differs (it is drawn at 32 x 32).
    if (icon.size() != QSize(size, size))
        icon = icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    icon = icon.convertToFormat(QImage::Format_ARGB32);
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
