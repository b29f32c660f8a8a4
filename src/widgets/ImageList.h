// A small list of button images (normal, mouse over, down) shared by many buttons. The owner of
// the list keeps it alive at least as long as the buttons showing it; buttons only subscribe to
// changed() so an edited list repaints every button that shows it.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QVector>

namespace widgets {

class tImageList : public QObject {
    Q_OBJECT

public:
    // Positions of the three state images.
    enum Index { Normal = 0, Over = 1, Down = 2 };

    explicit tImageList(QObject* parent = nullptr);

    [[nodiscard]] int Count() const { return static_cast<int>(images_.size()); }
    // A null pixmap when index is outside the list.
    [[nodiscard]] QPixmap Image(int index) const;
    // Logical (device-independent) size of the first image; empty for an empty list.
    [[nodiscard]] QSize ImageSize() const;

    void Add(const QPixmap& image);
    void SetImages(const QPixmap& normal, const QPixmap& over, const QPixmap& down);
    void Clear();
    // Loads the three images with LoadArtwork(); leaves the list unchanged and returns false
    // when any of them cannot be read.
    bool LoadFromFiles(const QString& normal, const QString& over, const QString& down);

signals:
    void changed();

private:
    QVector<QPixmap> images_;
};

// Loads an image file, preferring its "@2x" twin (name@2x.png) on a screen with a device pixel
// ratio above 1 so artwork stays sharp; the result carries the matching device pixel ratio.
// A null pixmap when neither file can be read.
[[nodiscard]] QPixmap LoadArtwork(const QString& path);

} // namespace widgets
