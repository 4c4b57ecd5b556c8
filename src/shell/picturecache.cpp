// The pictures of the images folder, read once.
#include "picturecache.h"

#include "base/textutils.h"
#include "editors/wqfmacros.h"

#include <QFileInfo>

std::unique_ptr<QImage> loadPicture(const QString &path)
{
    if (!QFileInfo::exists(path))
        return nullptr;
    auto picture = std::make_unique<QImage>();
    if (!picture->load(path))
        return nullptr;
    return picture;
}

void PictureCache::setFolder(const QString &folder)
{
    m_folder = folder;
    clear();
}

const QImage *PictureCache::getImage(const QString &prefix, const QString &key)
{
    const QString name = prefix + key;
    for (const auto &[storedName, picture] : m_pictures)
        if (sameTextAscii(storedName, name))
            return picture.get();
    m_pictures.emplace_back(name, loadPicture(m_folder + name + QStringLiteral(".png")));
    return m_pictures.back().second.get();
}

const QImage *PictureCache::getItemImage(const TWQFItem *item, const QString &kind)
{
    if (const TWQFPasMacro *bound = itemPasMacro(item); bound && bound->Macro)
        return getImage(QStringLiteral("macro"), bound->Macro->Name);
    return getImage(QStringLiteral("rule"), kind);
}

std::unique_ptr<QImage> PictureCache::loadNoteImage() const
{
    return loadPicture(m_folder + QStringLiteral("comment.png"));
}
