#include "picturecache.h"

#include "base/textutils.h"

#include <QFileInfo>

const QImage *PictureCache::get(const QString &folder, const QString &name)
{
    for (const auto &[key, picture] : m_pictures)
        if (SameTextAscii(key, name))
            return picture.get();
    std::unique_ptr<QImage> picture;
    const QString path = folder + name + QStringLiteral(".png");
    if (QFileInfo::exists(path)) {
        picture = std::make_unique<QImage>();
        if (!picture->load(path))
            picture.reset();
    }
    m_pictures.emplace_back(name, std::move(picture));
    return m_pictures.back().second.get();
}
