#pragma once
// The form controls of the HTML part, found on its element tree: an element whose first
// class attribute names a control kind becomes a control with a box taken from its inline
// style and laid out the way the page stacks them. Controls form their own tree beside the
// element tree; each is bound to its element (TMLItem::Data), which must outlive it.
#include "base/rect.h"
#include "base/stringlist.h"
#include "model/htmlparsingtree.h"

#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

class THTMLControl;

// A control kind, the counterpart of a class reference: the answers that need no control,
// and how to make a control of the kind.
class HTMLControlClass {
public:
    using Factory = std::unique_ptr<THTMLControl> (*)(const HTMLControlClass &kind);
    // A test beyond the CSS class, for kinds that share one.
    using Filter = bool (*)(const TMLItem &item);

    HTMLControlClass(QString displayName, QString cssClass, QString tagName, Factory create, Filter filter = nullptr);
    HTMLControlClass(const HTMLControlClass &) = delete;
    HTMLControlClass &operator=(const HTMLControlClass &) = delete;

    // The kind's name for people.
    const QString &displayName() const { return m_displayName; }
    // What marks the kind inside a class attribute.
    const QString &cssClass() const { return m_cssClass; }
    // The child element that carries the form field; '' when the kind has none.
    const QString &tagName() const { return m_tagName; }
    // The CSS class occurs (case-sensitive) in the element's first class attribute; an
    // empty CSS class never matches.
    bool matches(const TMLItem *item) const;
    // Matches, with the first class attribute already read (stripped of its quotes).
    bool matchesClass(const QString &classText, const TMLItem &item) const;
    std::unique_ptr<THTMLControl> create() const { return m_create(*this); }

private:
    QString m_displayName;
    QString m_cssClass;
    QString m_tagName;
    Factory m_create;
    Filter m_filter;
};

// Owns the controls it holds; the element tree does not.
using HTMLControlList = std::vector<std::unique_ptr<THTMLControl>>;

class THTMLControl {
public:
    explicit THTMLControl(const HTMLControlClass &kind) : m_class(kind) {}
    virtual ~THTMLControl() = default;
    THTMLControl(const THTMLControl &) = delete;
    THTMLControl &operator=(const THTMLControl &) = delete;

    const HTMLControlClass &controlClass() const { return m_class; }
    const QString &DisplayName() const { return m_class.displayName(); }
    const QString &CSSClass() const { return m_class.cssClass(); }
    const QString &TagName() const { return m_class.tagName(); }

    TMLItem *Item() const { return m_item; }
    // The inner element (by default the input child), or none.
    TMLItem *Inner() const { return m_inner; }
    const StringList &Style() const { return m_style; }
    // Only when there is an inner element.
    const StringList *InnerStyle() const { return m_innerStyle.get(); }
    // Placed by its style, not stacked by its parent.
    bool Absolute() const { return m_absolute; }
    // The box the style asks for, after minimum sizes and caption width.
    const Rect &StyleRect() const { return m_styleRect; }
    // The laid-out box, relative to the parent control's top-left corner.
    const Rect &Bounds() const { return m_bounds; }

    // Binds the control to item when the kind matches it; content is where the item's child
    // controls start, or none.
    bool LoadFromItem(TMLItem *item, TMLItem *&content);

    virtual TMLItem *ContentItem(TMLItem *item) const;
    // Left, Top, Width and Height as written in the style, and the caption; '' for the rest.
    virtual QString GetPropertyValue(const QString &name) const;
    virtual TMLItem *InnerItem(TMLItem *item) const;
    virtual void AfterLoad() {}
    // Whether the box must be wide enough for a caption, and how much wider still.
    virtual void GetCaption(bool &hasCaption, QString &caption, int &extraWidth) const;
    virtual void AutoSize();
    virtual void LayoutChildren();
    virtual void SetBounds(const Rect &r);
    // Adds "name=type" for each property the kind offers, replacing a name already there.
    virtual void GetPropertyTypes(StringList &list) const;

protected:
    // The caption property; '' for kinds without one.
    virtual QString captionValue() const { return QString(); }
    void setStyleRect(const Rect &r) { m_styleRect = r; }

private:
    const HTMLControlClass &m_class;
    TMLItem *m_item = nullptr;
    TMLItem *m_inner = nullptr;
    StringList m_style;
    std::unique_ptr<StringList> m_innerStyle;
    bool m_absolute = false;
    Rect m_styleRect;
    Rect m_bounds;
};

// The twelve kinds, in the order they are registered. Each answers only where it differs
// from the base; kind() is its class reference.
class THTMLStatic : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    // The first child, or the second when the first is the h3 caption.
    TMLItem *ContentItem(TMLItem *item) const override;
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

class THTMLDynamic : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    TMLItem *ContentItem(TMLItem *item) const override;
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

// An element marked "EditorText" whose form field is an input (or that has none).
class THTMLEdit : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

// An element marked "EditorText" whose form field is a textarea.
class THTMLMemo : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    // The textarea child.
    TMLItem *InnerItem(TMLItem *item) const override;
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

class THTMLButton : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

class THTMLLabel : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    // 0 wide (the parent's layout gives it the parent's width) and 10 high, whatever the style.
    void AfterLoad() override;
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

class THTMLCheckbox : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    // The caption is markup, measured with its tags, plus room for the box itself.
    void GetCaption(bool &hasCaption, QString &caption, int &extraWidth) const override;
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

class THTMLRadio : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    void GetPropertyTypes(StringList &list) const override;

protected:
    QString captionValue() const override;
};

class THTMLLink : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    void GetPropertyTypes(StringList &list) const override;
};

class THTMLValidation : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    // 800 x 20 at the parent's origin.
    void AfterLoad() override;
    void GetPropertyTypes(StringList &list) const override;
};

class THTMLScripting : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    void AfterLoad() override;
    void GetPropertyTypes(StringList &list) const override;
};

// The page itself: the root of layout. It offers no properties.
class THTMLEditable : public THTMLControl {
public:
    using THTMLControl::THTMLControl;
    static const HTMLControlClass &kind();
    TMLItem *ContentItem(TMLItem *item) const override;
};

// The registered kinds, in registration order. initHTMLControls registers the twelve once
// (a start-up step); doneHTMLControls empties the list.
const std::vector<const HTMLControlClass *> &ControlClasses();
void RegisterControlClass(const HTMLControlClass *kind);
void initHTMLControls();
void doneHTMLControls();

// Recognition and collection.
const HTMLControlClass *FindControlClass(const TMLItem *item);
std::unique_ptr<THTMLControl> CreateControl(const HTMLControlClass *kind, TMLItem *item, TMLItem *&content);
std::unique_ptr<THTMLControl> CreateControlFor(TMLItem *item, TMLItem *&content);
// The controls of item and its following siblings, each container followed by its contents;
// binds each to its element.
void CollectControls(TMLItem *item, HTMLControlList &list);
void BuildControls(const TMLTree *tree, HTMLControlList &list);

// Layout and geometry.
void LayoutControls(const HTMLControlList &list);
void LayoutTree(THTMLControl *control);
THTMLControl *FindEditableControl(const HTMLControlList &list);
THTMLControl *ParentControl(const THTMLControl *control);
THTMLControl *FirstChildControl(const THTMLControl *control);
THTMLControl *NextSiblingControl(const THTMLControl *control);
// start plus the bounds' top-left corner of the control and of every ancestor control.
QPoint ControlOffset(QPoint start, const THTMLControl *control);
// The control's box in the coordinates of the outermost control; r untouched without one.
void AbsoluteBounds(const THTMLControl *control, Rect &r);
Rect MoveRectTo(const Rect &r, int x, int y);
inline Rect OffsetRectCopy(const Rect &r, int dx, int dy) { return r.offset(dx, dy); }
inline bool SameRect(const Rect &a, const Rect &b) { return a == b; }

// Style and element lookups.
int MinInputWidth(const QString &inputType);
int MinInputHeight(const QString &inputType);
bool IsStyleProperty(const QString &name);
// The text after the first "name" (a plain substring search, without case) and its ':',
// up to a blank, a double quote or ';'.
QString StyleValue(const QString &styleText, const QString &name);
// StyleValue for the four box properties; false (value untouched) for any other name.
bool StyleProperty(const QString &styleText, const QString &name, QString &value);
TMLItem *FindChildItem(const TMLItem *item, QStringView name);
// The text of the named child when its first child is a text node; '' otherwise.
QString ChildText(const TMLItem *item, QStringView name);

// Readers for the drawer.
int ParseHTMLColor(const QString &text);
int ParseCSSLength(const QString &text, int defaultValue, int autoValue);
