#pragma once
// A window that shows one section of a page as its diagram, the way a diagram tab does: a
// host image with two scroll bars, the scrolling graph editor over it and the section's
// source. Used by the viewer program and by the test that takes its picture.
#include "editors/lclgrapheditor.h"
#include "editors/wqfdrawutils.h"
#include "editors/wqfeditors.h"
#include "model/commentrects.h"
#include "model/wqftypes.h"

#include <QDir>
#include <QGridLayout>
#include <QHash>
#include <QImage>
#include <QScrollBar>
#include <QString>
#include <QWidget>
#include <memory>

namespace pellorin_test {

// A page with its notes taken out of the editor notes, as opening a page does.
struct OpenedPage {
    TWQFFile file;
    CommentRectList notes;

    bool load(const QString &path)
    {
        if (!file.LoadFromFile(path, {}))
            return false;
        ExtractCommentRects(file.GetEditorNotes(), notes);
        return true;
    }
};

// Pictures "rule" + type + ".png" of a folder, each looked up once.
class FolderPictures {
public:
    explicit FolderPictures(QString folder) : m_folder(std::move(folder)) {}
    const QImage *get(const QString &type)
    {
        auto it = m_pictures.find(type);
        if (it == m_pictures.end())
            it = m_pictures.insert(
                type, QImage(QDir(m_folder).filePath(QStringLiteral("rule") + type + QStringLiteral(".png"))));
        return it->isNull() ? nullptr : &*it;
    }

private:
    QString m_folder;
    QHash<QString, QImage> m_pictures;
};

class DiagramWindow : public QWidget {
public:
    DiagramWindow(TWQFSection *section, CommentRectList *notes, double zoom, QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("DiagramWindow"));
        image = new TImage(this);
        image->setObjectName(QStringLiteral("Image1"));
        horzScroll = new QScrollBar(Qt::Horizontal, this);
        horzScroll->setObjectName(QStringLiteral("PreHorzScroll"));
        vertScroll = new QScrollBar(Qt::Vertical, this);
        vertScroll->setObjectName(QStringLiteral("PreVertScroll"));
        auto *layout = new QGridLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(image, 0, 0);
        layout->addWidget(vertScroll, 0, 1);
        layout->addWidget(horzScroll, 1, 0);

        auto owned = std::make_unique<TWQFEditorSource>(section, notes);
        source = owned.get();
        source->SetZoom(zoom);
        source->VertSplit = 820;
        source->DstArrow = damOutOfSight;
        editor = std::make_unique<TImageGraphEditor>(image, horzScroll, vertScroll, std::move(owned));
        source->Editor = editor.get();

        // At least 1024 x 1024, and room for every component.
        int w = 0, h = 0;
        GetItemsExtent(section ? &section->Items() : nullptr, 32, 32, w, h);
        editor->SetGraphSize({std::max(1024, roundToInt(w * zoom)), std::max(1024, roundToInt(h * zoom))});
        editor->Rebuild();
    }

    TImage *image;
    QScrollBar *horzScroll;
    QScrollBar *vertScroll;
    TWQFEditorSource *source; // owned by the editor
    std::unique_ptr<TImageGraphEditor> editor;
};

} // namespace pellorin_test
