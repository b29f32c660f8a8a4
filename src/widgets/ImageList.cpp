#include "ImageList.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace widgets {

tImageList::tImageList(QObject* parent) : QObject(parent) {}

QPixmap tImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return {};
    return images_[index];
}

QSize tImageList::ImageSize() const {
    if (images_.isEmpty()) return {};
    return images_.front().deviceIndependentSize().toSize();
}

void tImageList::Add(const QPixmap& image) {
    images_.append(image);
    emit changed();
}

void tImageList::SetImages(const QPixmap& normal, const QPixmap& over, const QPixmap& down) {
    images_ = {normal, over, down};
    emit changed();
}

void tImageList::Clear() {
    if (images_.isEmpty()) return;
    images_.clear();
    emit changed();
}

bool tImageList::LoadFromFiles(const QString& normal, const QString& over, const QString& down) {
    const QPixmap n = LoadArtwork(normal);
    const QPixmap o = LoadArtwork(over);
    const QPixmap d = LoadArtwork(down);
    if (n.isNull() || o.isNull() || d.isNull()) return false;
    SetImages(n, o, d);
    return true;
}

QPixmap LoadArtwork(const QString& path) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (ratio > 1.0) {
        const QFileInfo info(path);
        const QString twin = info.path() + QLatin1Char('/') + info.completeBaseName() +
                             QStringLiteral("@2x.") + info.suffix();
        QPixmap large(twin);
        if (!large.isNull()) {
            large.setDevicePixelRatio(2.0);
            return large;
        }
    }
    return QPixmap(path);
}

} // namespace widgets
