#pragma once
// The pictures of the images folder that the diagrams and palettes show, each file read once,
// and the look-ups that choose a component's picture.
#include <QImage>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class TWQFItem;

// A new picture of the file at path; none when it is missing or unreadable.
std::unique_ptr<QImage> loadPicture(const QString &path);

class PictureCache {
public:
    // The pictures of folder (ending with "/"); the pictures read so far are freed.
    void setFolder(const QString &folder);
    const QString &folder() const { return m_folder; }

    // The picture folder + prefix + Key + ".png", looked up without case; none when the file
    // is missing or unreadable, which is remembered too. A picture keeps its place until
    // clear(), since the diagrams hold it while they paint.
    const QImage *getImage(const QString &prefix, const QString &key);
    // A diagram's picture of a component: its macro's for a component that carries one, else
    // its type's; none for the drawn box.
    const QImage *getItemImage(const TWQFItem *item, const QString &kind);
    // A new picture of folder + "comment.png", not cached; none when it is missing or unreadable.
    std::unique_ptr<QImage> loadNoteImage() const;

    void clear() { m_pictures.clear(); }

private:
    QString m_folder;
    std::vector<std::pair<QString, std::unique_ptr<QImage>>> m_pictures;
};
