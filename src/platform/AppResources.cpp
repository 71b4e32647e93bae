#include "platform/AppResources.h"

#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

// Registers the resource file compiled into this static library; called
// before the first image is loaded.
static void RegisterTrevakResources()
{
    Q_INIT_RESOURCE(trevak);
}

void InitAppResources()
{
    static const bool registered = [] {
        RegisterTrevakResources();
        return true;
    }();
    (void)registered;
}

IconPair IconsFor(CommandIcon command)
{
    const char* name = "compute";
    switch (command) {
    case CommandIcon::Compute: name = "compute"; break;
    case CommandIcon::Output: name = "output"; break;
    case CommandIcon::Leftover: name = "leftover"; break;
    case CommandIcon::Close: name = "close"; break;
    case CommandIcon::About: name = "about"; break;
    case CommandIcon::Help: name = "help"; break;
    case CommandIcon::Shortcut: name = "shortcut"; break;
    case CommandIcon::Add: name = "add"; break;
    case CommandIcon::Delete: name = "delete"; break;
    case CommandIcon::Merge: name = "merge"; break;
    case CommandIcon::Import: name = "import"; break;
    case CommandIcon::Export: name = "export"; break;
    case CommandIcon::Format: name = "format"; break;
    case CommandIcon::Ok: name = "ok"; break;
    case CommandIcon::Cancel: name = "cancel"; break;
    case CommandIcon::Text: name = "text"; break;
    case CommandIcon::Workbook: name = "workbook"; break;
    case CommandIcon::Document: name = "document"; break;
    case CommandIcon::Pdf: name = "pdf"; break;
    case CommandIcon::Print: name = "print"; break;
    }
    const QString base = QStringLiteral(":/trevak/") + QLatin1String(name);
    return IconPair{base + QStringLiteral("_hot.svg"), base + QStringLiteral(".svg")};
}

QPixmap RenderImage(const QString& path, const QSize& size, qreal devicePixelRatio)
{
    InitAppResources();
    if (path.isEmpty() || size.isEmpty()) {
        return QPixmap();
    }
    // Buttons of one command share their icons, and every button its hand
    // cursor: each image is drawn once per size.
    const QString key = QStringLiteral("trevak:%1:%2x%3@%4")
                            .arg(path)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(devicePixelRatio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) {
        return cached;
    }
    const QSize pixels = size * devicePixelRatio;
    QImage image;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer renderer(path);
        if (!renderer.isValid()) {
            return QPixmap();
        }
        image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
    } else {
        if (!image.load(path)) {
            return QPixmap();
        }
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(RenderImage(APP_ICON, QSize(side, side)));
    }
    return icon;
}

QCursor HandCursor()
{
    // The fingertip of the drawing is at (11, 1) of its 32 x 32 frame.
    const QPixmap image = RenderImage(HAND_CURSOR_IMAGE, QSize(32, 32));
    if (image.isNull()) {
        return QCursor(Qt::PointingHandCursor);
    }
    return QCursor(image, 11, 1);
}
