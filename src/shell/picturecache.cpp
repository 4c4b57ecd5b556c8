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

const QImage *PictureCache::GetImage(const QString &prefix, const QString &Key)
{
    const QString name = prefix + Key;
    for (const auto &[key, picture] : m_pictures)
        if (sameTextAscii(key, name))
            return picture.get();
    m_pictures.emplace_back(name, loadPicture(m_folder + name + QStringLiteral(".png")));
    return m_pictures.back().second.get();
}

const QImage *PictureCache::GetItemImage(const TWQFItem *Item, const QString &Kind)
{
    if (const TWQFPasMacro *bound = itemPasMacro(Item); bound && bound->Macro)
        return GetImage(QStringLiteral("macro"), bound->Macro->Name);
    return GetImage(QStringLiteral("rule"), Kind);
}

std::unique_ptr<QImage> PictureCache::LoadNoteImage() const
{
    return loadPicture(m_folder + QStringLiteral("comment.png"));
}
