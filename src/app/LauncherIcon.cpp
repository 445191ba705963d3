#include "LauncherIcon.h"

#include "base/FileUtilities.h"
#include "res/ArtworkCatalog.h"

#include <QFile>
#include <QString>

namespace {

// The icon's path at `size` below an icon theme folder.
std::string IconPath(int size) {
    const std::string side = std::to_string(size);
    return "/" + side + "x" + side + "/apps/" + artwork::kIconFileName;
}

QString IconResource(int size) {
    return QStringLiteral(":/icons/hicolor") + QString::fromStdString(IconPath(size));
}

}  // namespace

QIcon LauncherIcon() {
    // Every window carries each size as a property of its own: the sizes a window manager shows
    // are enough.
    constexpr int kLargestWindowIcon = 128;
    QIcon icon;
    for (int size : artwork::IconSizes()) {
        if (size <= kLargestWindowIcon)
            icon.addFile(IconResource(size), QSize(size, size));
    }
    return icon;
}

void InstallUserIcons(const std::string& applicationDataFolder) {
    if (applicationDataFolder.empty())
        return;
    for (int size : artwork::IconSizes()) {
        QFile resource(IconResource(size));
        if (!resource.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = resource.readAll();
        const std::string bytes(data.constData(), static_cast<std::size_t>(data.size()));
        const std::string path = applicationDataFolder + "/icons/hicolor" + IconPath(size);
        std::string installed;
        if (!ReadRawFile(path, installed) || installed != bytes)
            ReplaceFileContent(path, bytes);
    }
}
