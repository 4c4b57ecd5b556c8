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
    TWQFFile File;
    CommentRectList Notes;

    bool Load(const QString &path)
    {
        if (!File.LoadFromFile(path, {}))
            return false;
        ExtractCommentRects(File.GetEditorNotes(), Notes);
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
        Image = new TImage(this);
        Image->setObjectName(QStringLiteral("Image1"));
        HorzScroll = new QScrollBar(Qt::Horizontal, this);
        HorzScroll->setObjectName(QStringLiteral("PreHorzScroll"));
        VertScroll = new QScrollBar(Qt::Vertical, this);
        VertScroll->setObjectName(QStringLiteral("PreVertScroll"));
        auto *layout = new QGridLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(Image, 0, 0);
        layout->addWidget(VertScroll, 0, 1);
        layout->addWidget(HorzScroll, 1, 0);

        auto source = std::make_unique<TWQFEditorSource>(section, notes);
        Source = source.get();
        Source->SetZoom(zoom);
        Source->VertSplit = 820;
        Source->DstArrow = damOutOfSight;
        Editor = std::make_unique<TImageGraphEditor>(Image, HorzScroll, VertScroll, std::move(source));
        Source->Editor = Editor.get();

        // At least 1024 x 1024, and room for every component.
        int w = 0, h = 0;
        GetItemsExtent(section ? &section->Items() : nullptr, 32, 32, w, h);
        Editor->SetGraphSize({std::max(1024, roundToInt(w * zoom)), std::max(1024, roundToInt(h * zoom))});
        Editor->Rebuild();
    }

    TImage *Image;
    QScrollBar *HorzScroll;
    QScrollBar *VertScroll;
    TWQFEditorSource *Source; // owned by the editor
    std::unique_ptr<TImageGraphEditor> Editor;
};

} // namespace pellorin_test
