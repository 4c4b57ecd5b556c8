#pragma once
// The pictures of the images folder that the diagrams and palettes show, each file read once.
#include <QImage>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

// A new picture of the file at path; none when it is missing or unreadable.
std::unique_ptr<QImage> loadPicture(const QString &path);

class PictureCache {
public:
    // The picture folder + name + ".png", name looked up without case; none when the file is
    // missing or unreadable, which is remembered too. A picture keeps its place until clear(),
    // since the diagrams hold it while they paint.
    const QImage *get(const QString &folder, const QString &name);
    void clear() { m_pictures.clear(); }

private:
    std::vector<std::pair<QString, std::unique_ptr<QImage>>> m_pictures;
};
