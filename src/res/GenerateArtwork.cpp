// Draws every PNG of the launcher into a folder, named <id>.png, and the icon in every size into
// an icon theme folder:
//   QT_QPA_PLATFORM=offscreen tolm_artwork_generator src/res/png src/res/icons/hicolor
#include "ArtworkPainter.h"
#include "res/ArtworkCatalog.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER ICON_THEME_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const ArtworkPainter painter;
    int failures = 0;
    for (const artwork::ArtworkEntry& entry : artwork::ArtworkCatalog()) {
        const QImage image = painter.Draw(entry.id, entry.width, entry.height);
        const QString path = folder.filePath(QStringLiteral("%1.png").arg(entry.id));
        if (image.size() != QSize(entry.width, entry.height) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "failed: %d (%s)\n", entry.id, entry.role);
            ++failures;
            continue;
        }
        std::printf("%d.png  %dx%d  %s\n", entry.id, entry.width, entry.height, entry.role);
    }
    for (int size : artwork::IconSizes()) {
        const QString sizeFolder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QString path = sizeFolder + QLatin1Char('/') + QString::fromLatin1(artwork::kIconFileName);
        if (!QDir().mkpath(sizeFolder) || !painter.Icon(size).save(path, "PNG")) {
            std::fprintf(stderr, "failed: icon %d\n", size);
            ++failures;
            continue;
        }
        std::printf("icon  %dx%d\n", size, size);
    }
    return failures == 0 ? 0 : 1;
}
