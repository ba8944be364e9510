// quorvel-make-icons: draws the program's icon, as the window shows it, into
// PNG files of the icon theme's usual sizes, for menus that do not draw the
// scalable one.
//
//   quorvel-make-icons <output folder> <name> <size>...
//
// Writes <output folder>/<size>x<size>/apps/<name>.png for every size.

#include "ui/tool_icons.h"

#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv)
{
    // Drawing into an image needs no screen: the build may run without one.
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: quorvel-make-icons <output folder> <name> <size>...\n");
        return 2;
    }
    const QIcon icon = MakeToolIcon(ToolIcon::Program);
    for (const QString &sizeText : arguments.mid(3)) {
        bool isNumber = false;
        const int side = sizeText.toInt(&isNumber);
        if (!isNumber || side <= 0) {
            std::fprintf(stderr, "quorvel-make-icons: not a size: %s\n", qPrintable(sizeText));
            return 2;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        icon.paint(&painter, image.rect());
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments.at(1)).arg(side);
        const QString path = folder + u'/' + arguments.at(2) + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "quorvel-make-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
