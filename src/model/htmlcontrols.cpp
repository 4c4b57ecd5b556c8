// The HTML part's form controls found on its tree.
#include "htmlcontrols.h"

#include "base/textutils.h"
#include "model/stylescan.h"
#include "model/textmeasure.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace {

template <class Control> std::unique_ptr<THTMLControl> make(const HTMLControlClass &kind)
{
    return std::make_unique<Control>(kind);
}

// Lines "Name=type", set by name so that a name already in the list keeps its place.
void addProperties(StringList &list, std::initializer_list<std::string_view> lines)
{
    for (std::string_view line : lines) {
        const size_t eq = line.find('=');
        list.setValue(QString::fromLatin1(line.substr(0, eq)), QString::fromLatin1(line.substr(eq + 1)));
    }
}

void addEvents(StringList &list)
{
    addProperties(list,
                  {"blur=string", "change=string", "click=string", "dblclick=string", "focus=string",
                   "mousedown=string", "mousemove=string", "mouseout=string", "mouseover=string", "mouseup=string"});
}

// A container's controls start at its first child, after an h3 caption.
TMLItem *containerContent(const TMLItem *item)
{
    TMLItem *first = item ? item->FirstChild() : nullptr;
    if (first && sameTextAscii(first->Name(), u"h3"))
        return first->NextSibling();
    return first;
}

// An edit element whose form field is a textarea rather than an input.
bool hasTextareaField(const TMLItem &item) { return item.ChildByName(u"textarea") && !item.ChildByName(u"input"); }
bool hasInputField(const TMLItem &item) { return !hasTextareaField(item); }

std::vector<const HTMLControlClass *> &registry()
{
    static std::vector<const HTMLControlClass *> kinds;
    return kinds;
}

const CharSet colon(":");
const CharSet styleValueEnd = blankChars | CharSet("\";");

} // namespace

HTMLControlClass::HTMLControlClass(QString displayName, QString cssClass, QString tagName, Factory create,
                                   Filter filter)
    : m_displayName(std::move(displayName)), m_cssClass(std::move(cssClass)), m_tagName(std::move(tagName)),
      m_create(create), m_filter(filter)
{}

bool HTMLControlClass::matches(const TMLItem *item) const
{
    return item && matchesClass(item->GetAttribute(u"class", true), *item);
}

bool HTMLControlClass::matchesClass(const QString &classText, const TMLItem &item) const
{
    if (m_cssClass.isEmpty() || !classText.contains(m_cssClass, Qt::CaseSensitive))
        return false;
    return !m_filter || m_filter(item);
}

// Base control ---------------------------------------------------------------------------

bool THTMLControl::LoadFromItem(TMLItem *item, TMLItem *&content)
{
    content = nullptr;
    if (!m_class.matches(item))
        return false;
    m_item = item;
    content = ContentItem(item);
    m_style.clear();
    ParseStyle(item->GetAttribute(u"style", true), &m_style);
    if (content == item)
        content = nullptr;
    m_styleRect = StyleToRect(m_style);
    const QString position = m_style.value(u"POSITION");
    m_absolute = upperCaseAscii(position) == u"ABSOLUTE" ||
                 (position.isEmpty() && !m_style.value(u"left").isEmpty() && !m_style.value(u"top").isEmpty());

    m_inner = InnerItem(item);
    m_innerStyle.reset();
    if (m_inner) {
        m_innerStyle = std::make_unique<StringList>();
        ParseStyle(m_inner->GetAttribute(u"style", true), m_innerStyle.get());
        const Rect innerRect = StyleToRect(*m_innerStyle);
        const QString type = m_inner->GetAttribute(u"type", true);
        const int minWidth = std::max(innerRect.width(), MinInputWidth(type));
        const int minHeight = std::max(innerRect.height(), MinInputHeight(type));
        if (m_styleRect.width() < minWidth)
            m_styleRect.Right = clampedAdd(m_styleRect.Left, minWidth);
        if (m_styleRect.height() < minHeight)
            m_styleRect.Bottom = clampedAdd(m_styleRect.Top, minHeight);
    }

    bool hasCaption = false;
    QString caption;
    int extraWidth = 0;
    GetCaption(hasCaption, caption, extraWidth);
    if (hasCaption) {
        const int need = clampedAdd(extraWidth, MeasureText(caption).width());
        if (m_styleRect.width() < need)
            m_styleRect.Right = clampedAdd(m_styleRect.Left, need);
    }

    AfterLoad();
    return true;
}

TMLItem *THTMLControl::ContentItem(TMLItem *) const { return nullptr; }

TMLItem *THTMLControl::InnerItem(TMLItem *item) const { return item ? item->ChildByName(u"input") : nullptr; }

QString THTMLControl::GetPropertyValue(const QString &name) const
{
    QString value;
    if (StyleProperty(m_item ? m_item->GetAttribute(u"style", true) : QString(), name, value))
        return value;
    if (sameTextAscii(name, u"caption"))
        return captionValue();
    return QString();
}

void THTMLControl::GetCaption(bool &hasCaption, QString &caption, int &extraWidth) const
{
    hasCaption = false;
    caption.clear();
    extraWidth = 0;
}

void THTMLControl::AutoSize()
{
    if (m_styleRect.Bottom != m_styleRect.Top) {
        m_bounds = m_styleRect;
        return;
    }
    bool any = false;
    int lowest = 0;
    for (THTMLControl *c = FirstChildControl(this); c; c = NextSiblingControl(c)) {
        lowest = any ? std::max(lowest, c->Bounds().Bottom) : c->Bounds().Bottom;
        any = true;
    }
    m_bounds.Bottom = clampedAdd(m_bounds.Top, lowest);
}

void THTMLControl::LayoutChildren()
{
    int y = 0;
    for (THTMLControl *c = FirstChildControl(this); c; c = NextSiblingControl(c)) {
        if (!c->Absolute()) {
            c->SetBounds(MoveRectTo(c->Bounds(), c->Bounds().Left, y));
            y = clampedAdd(y, c->Bounds().height());
        }
        if (c->Bounds().width() == 0) {
            Rect r = c->Bounds();
            r.Right = clampedAdd(r.Left, m_bounds.width());
            c->SetBounds(r);
        }
    }
}

void THTMLControl::SetBounds(const Rect &r)
{
    if (!SameRect(r, m_bounds))
        m_bounds = r;
}

void THTMLControl::GetPropertyTypes(StringList &) const {}

// The twelve kinds ------------------------------------------------------------------------

const HTMLControlClass &THTMLStatic::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Static Container"), QStringLiteral("StaticContainer"), QString(),
                                       &make<THTMLStatic>);
    return kind;
}
TMLItem *THTMLStatic::ContentItem(TMLItem *item) const { return containerContent(item); }
QString THTMLStatic::captionValue() const { return ChildText(Item(), u"h3"); }
void THTMLStatic::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "Borderless=boolean", "ID=string",
                         "Caption=string", "Height=integer", "Width=integer"});
}

const HTMLControlClass &THTMLDynamic::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Dynamic Container"), QStringLiteral("DynamicContainer"),
                                       QString(), &make<THTMLDynamic>);
    return kind;
}
TMLItem *THTMLDynamic::ContentItem(TMLItem *item) const { return containerContent(item); }
QString THTMLDynamic::captionValue() const { return ChildText(Item(), u"h3"); }
void THTMLDynamic::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Condition=string", "ID=string", "Caption=string"});
}

const HTMLControlClass &THTMLEdit::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Edit"), QStringLiteral("EditorText"), QStringLiteral("input"),
                                       &make<THTMLEdit>, &hasInputField);
    return kind;
}
QString THTMLEdit::captionValue() const { return ChildText(Item(), u"SPAN"); }
void THTMLEdit::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "TabIndex=string", "Tooltip=string",
                         "ValueLessAttr=string", "Name=string", "Caption=string", "MaxLength=string",
                         "Required=Boolean", "Width=Integer", "Value=string"});
    addEvents(list);
}

const HTMLControlClass &THTMLMemo::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Edit"), QStringLiteral("EditorText"), QStringLiteral("textarea"),
                                       &make<THTMLMemo>, &hasTextareaField);
    return kind;
}
// Its form field is the textarea, so that is what gives a memo its minimum size.
TMLItem *THTMLMemo::InnerItem(TMLItem *item) const { return item ? item->ChildByName(u"textarea") : nullptr; }
QString THTMLMemo::captionValue() const { return ChildText(Item(), u"span"); }
void THTMLMemo::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "TabIndex=string", "Tooltip=string",
                         "ValueLessAttr=string", "Name=string", "Caption=string", "Required=Boolean",
                         "EditHTML=Boolean", "Width=Integer", "Height=Integer"});
    addEvents(list);
}

const HTMLControlClass &THTMLButton::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Button"), QStringLiteral("EditorSubmitButton"),
                                       QStringLiteral("input"), &make<THTMLButton>);
    return kind;
}
QString THTMLButton::captionValue() const
{
    const TMLItem *input = FindChildItem(Item(), u"input");
    return input ? input->GetAttribute(u"value", true) : QString();
}
void THTMLButton::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "TabIndex=string", "Tooltip=string",
                         "ValueLessAttr=string", "Name=string", "Caption=string", "Validate=Boolean", "Width=Integer",
                         "Height=Integer", "DefaultButton=Boolean"});
    addEvents(list);
}

const HTMLControlClass &THTMLLabel::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Label"), QStringLiteral("EditorLabel"), QString(),
                                       &make<THTMLLabel>);
    return kind;
}
void THTMLLabel::AfterLoad() { setStyleRect(Rect(0, 0, 0, 10)); }
QString THTMLLabel::captionValue() const { return ChildText(Item(), u"label"); }
void THTMLLabel::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "Tooltip=string", "ValueLessAttr=string",
                         "Caption=string", "Class=string", "Style=string"});
    addEvents(list);
}

const HTMLControlClass &THTMLCheckbox::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Checkbox"), QStringLiteral("EditorCheckBox"),
                                       QStringLiteral("input"), &make<THTMLCheckbox>);
    return kind;
}
void THTMLCheckbox::GetCaption(bool &hasCaption, QString &caption, int &extraWidth) const
{
    hasCaption = true;
    caption = captionValue();
    extraWidth = 22;
}
QString THTMLCheckbox::captionValue() const { return Item() ? Item()->ChildInnerHTML(u"SPAN") : QString(); }
void THTMLCheckbox::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "TabIndex=string", "Tooltip=string",
                         "ValueLessAttr=string", "Name=string", "Caption=string", "Required=Boolean", "Value=String"});
    addEvents(list);
}

const HTMLControlClass &THTMLRadio::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Radio"), QStringLiteral("EditorRadio"), QStringLiteral("input"),
                                       &make<THTMLRadio>);
    return kind;
}
// The input is a void element and never holds the caption: it sits beside it, as an edit's.
QString THTMLRadio::captionValue() const { return ChildText(Item(), u"SPAN"); }
void THTMLRadio::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "TabIndex=string", "Tooltip=string",
                         "ValueLessAttr=string", "Name=string", "Caption=string", "Required=Boolean", "Value=String"});
    addEvents(list);
}

const HTMLControlClass &THTMLLink::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Link"), QStringLiteral("EditorLink"), QString(),
                                       &make<THTMLLink>);
    return kind;
}
void THTMLLink::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Left=integer", "Top=integer", "Condition=string", "TabIndex=string", "Tooltip=string",
                         "ValueLessAttr=string", "Name=string", "Caption=string", "Class=string", "Style=string",
                         "Target=string"});
    addEvents(list);
}

const HTMLControlClass &THTMLValidation::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Validation"), QStringLiteral("ValidationContainer"), QString(),
                                       &make<THTMLValidation>);
    return kind;
}
void THTMLValidation::AfterLoad() { setStyleRect(Rect(0, 0, 800, 20)); }
void THTMLValidation::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Condition=string", "ID=string", "Caption=string"});
}

const HTMLControlClass &THTMLScripting::kind()
{
    static const HTMLControlClass kind(QStringLiteral("Scripting Container"), QStringLiteral("ScriptingContainer"),
                                       QString(), &make<THTMLScripting>);
    return kind;
}
void THTMLScripting::AfterLoad() { setStyleRect(Rect(0, 0, 800, 20)); }
void THTMLScripting::GetPropertyTypes(StringList &list) const
{
    addProperties(list, {"Condition=string", "ID=string", "Scripts=string"});
}

const HTMLControlClass &THTMLEditable::kind()
{
    static const HTMLControlClass kind(QStringLiteral("HTML page"), QStringLiteral("EditableContent"), QString(),
                                       &make<THTMLEditable>);
    return kind;
}
TMLItem *THTMLEditable::ContentItem(TMLItem *item) const { return item ? item->FirstChild() : nullptr; }

// Registry --------------------------------------------------------------------------------

const std::vector<const HTMLControlClass *> &ControlClasses() { return registry(); }

void RegisterControlClass(const HTMLControlClass *kind)
{
    if (kind)
        registry().push_back(kind);
}

void initHTMLControls()
{
    if (!registry().empty())
        return;
    // Recognition takes the first kind that matches, so this order decides.
    for (const HTMLControlClass *kind :
         {&THTMLStatic::kind(), &THTMLDynamic::kind(), &THTMLEdit::kind(), &THTMLMemo::kind(), &THTMLButton::kind(),
          &THTMLLabel::kind(), &THTMLCheckbox::kind(), &THTMLRadio::kind(), &THTMLLink::kind(),
          &THTMLValidation::kind(), &THTMLScripting::kind(), &THTMLEditable::kind()})
        RegisterControlClass(kind);
}

void doneHTMLControls() { registry().clear(); }

// Recognition and collection ---------------------------------------------------------------

const HTMLControlClass *FindControlClass(const TMLItem *item)
{
    if (!item)
        return nullptr;
    const QString classText = item->GetAttribute(u"class", true);
    for (const HTMLControlClass *kind : registry())
        if (kind->matchesClass(classText, *item))
            return kind;
    return nullptr;
}

std::unique_ptr<THTMLControl> CreateControl(const HTMLControlClass *kind, TMLItem *item, TMLItem *&content)
{
    content = nullptr;
    if (!kind)
        return nullptr;
    std::unique_ptr<THTMLControl> control = kind->create();
    if (!control->LoadFromItem(item, content))
        return nullptr;
    return control;
}

std::unique_ptr<THTMLControl> CreateControlFor(TMLItem *item, TMLItem *&content)
{
    return CreateControl(FindControlClass(item), item, content);
}

void CollectControls(TMLItem *item, HTMLControlList &list)
{
    // Where to go on once a container's content chain is done; a stack instead of
    // recursion, so that nesting depth costs no call depth.
    std::vector<TMLItem *> resume;
    TMLItem *node = item;
    for (;;) {
        while (node) {
            TMLItem *content = nullptr;
            std::unique_ptr<THTMLControl> control = CreateControlFor(node, content);
            TMLItem *next = node->NextSibling();
            if (control) {
                node->setData(control.get());
                list.push_back(std::move(control));
                if (content) {
                    resume.push_back(next);
                    next = content;
                }
            }
            node = next;
        }
        if (resume.empty())
            return;
        node = resume.back();
        resume.pop_back();
    }
}

void BuildControls(const TMLTree *tree, HTMLControlList &list)
{
    if (tree)
        CollectControls(tree->Root(), list);
}

// Layout and geometry ---------------------------------------------------------------------

THTMLControl *FindEditableControl(const HTMLControlList &list)
{
    for (const std::unique_ptr<THTMLControl> &c : list)
        if (dynamic_cast<THTMLEditable *>(c.get()))
            return c.get();
    return nullptr;
}

void LayoutControls(const HTMLControlList &list)
{
    if (THTMLControl *editable = FindEditableControl(list))
        LayoutTree(editable);
}

void LayoutTree(THTMLControl *control)
{
    // Children before their parent, in order, without a call per nesting level.
    struct Frame {
        THTMLControl *control;
        THTMLControl *nextChild;
    };
    if (!control)
        return;
    std::vector<Frame> stack{{control, FirstChildControl(control)}};
    while (!stack.empty()) {
        Frame &top = stack.back();
        if (THTMLControl *child = top.nextChild) {
            top.nextChild = NextSiblingControl(child);
            stack.push_back(Frame{child, FirstChildControl(child)});
            continue;
        }
        top.control->LayoutChildren();
        top.control->AutoSize();
        stack.pop_back();
    }
}

THTMLControl *ParentControl(const THTMLControl *control)
{
    if (!control || !control->Item())
        return nullptr;
    for (const TMLItem *p = control->Item()->Parent(); p; p = p->Parent())
        if (p->Data())
            return p->Data();
    return nullptr;
}

THTMLControl *FirstChildControl(const THTMLControl *control)
{
    if (!control || !control->Item())
        return nullptr;
    for (const TMLItem *c = control->Item()->FirstChild(); c; c = c->NextSibling())
        if (c->Data())
            return c->Data();
    return nullptr;
}

THTMLControl *NextSiblingControl(const THTMLControl *control)
{
    if (!control || !control->Item())
        return nullptr;
    for (const TMLItem *s = control->Item()->NextSibling(); s; s = s->NextSibling())
        if (s->Data())
            return s->Data();
    return nullptr;
}

QPoint ControlOffset(QPoint start, const THTMLControl *control)
{
    int64_t x = start.x(), y = start.y();
    for (const THTMLControl *c = control; c; c = ParentControl(c)) {
        x += c->Bounds().Left;
        y += c->Bounds().Top;
    }
    return QPoint(clampToInt(x), clampToInt(y));
}

void AbsoluteBounds(const THTMLControl *control, Rect &r)
{
    if (!control)
        return;
    const QPoint origin = ControlOffset(QPoint(0, 0), control);
    r = MoveRectTo(control->Bounds(), origin.x(), origin.y());
}

Rect MoveRectTo(const Rect &r, int x, int y) { return Rect::fromSize(x, y, r.width(), r.height()); }

// Style and element lookups ---------------------------------------------------------------

int MinInputWidth(const QString &) { return 22; }
int MinInputHeight(const QString &) { return 22; }

bool IsStyleProperty(const QString &name)
{
    const QString n = lowerCaseAscii(name);
    return n == u"top" || n == u"left" || n == u"height" || n == u"width";
}

QString StyleValue(const QString &styleText, const QString &name)
{
    if (styleText.isEmpty() || name.isEmpty())
        return QString();
    const qsizetype found = lowerCaseAscii(styleText).indexOf(lowerCaseAscii(name));
    if (found < 0)
        return QString();
    qsizetype pos = found + name.size() + 1;
    TakeUntil(styleText, pos, colon);
    if (pos > styleText.size())
        return QString();
    ++pos;
    TakeWhile(styleText, pos, blankChars);
    return TakeUntil(styleText, pos, styleValueEnd);
}

bool StyleProperty(const QString &styleText, const QString &name, QString &value)
{
    if (!IsStyleProperty(name))
        return false;
    value = StyleValue(styleText, name);
    return true;
}

TMLItem *FindChildItem(const TMLItem *item, QStringView name) { return item ? item->ChildByName(name) : nullptr; }

QString ChildText(const TMLItem *item, QStringView name)
{
    const TMLItem *child = FindChildItem(item, name);
    const TMLItem *first = child ? child->FirstChild() : nullptr;
    return first && first->IsText() ? first->Text() : QString();
}

// Readers for the drawer ------------------------------------------------------------------

int ParseHTMLColor(const QString &text)
{
    if (!text.startsWith(u'#'))
        return 0;
    // '$' makes it hexadecimal; the digits are neither expanded nor reordered.
    return strToIntDef(QString(u'$' + text.mid(1)), 0);
}

int ParseCSSLength(const QString &text, int defaultValue, int autoValue)
{
    QString t = trim(lowerCaseAscii(text));
    if (t == u"auto")
        return autoValue;
    const qsizetype px = t.indexOf(u"px");
    if (px >= 0)
        t.truncate(px);
    // Plain decimal digits with an optional sign, nothing else.
    const qsizetype digits = t.startsWith(u'-') || t.startsWith(u'+') ? 1 : 0;
    if (t.size() == digits ||
        !std::all_of(t.cbegin() + digits, t.cend(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
        return defaultValue;
    return strToIntDef(t, defaultValue);
}
