#include "picturecache.h"

#include "base/textutils.h"

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

const QImage *PictureCache::get(const QString &folder, const QString &name)
{
    for (const auto &[key, picture] : m_pictures)
        if (SameTextAscii(key, name))
            return picture.get();
    m_pictures.emplace_back(name, loadPicture(folder + name + QStringLiteral(".png")));
    return m_pictures.back().second.get();
}
