// CEditUI on a QLineEdit and CRichEditUI on a QPlainTextEdit.
#include "ui/UIEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QValidator>
#include <functional>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIRender.h"
#include "ui/UIResource.h"

namespace {

constexpr UIColor kWindow = 0xFF16181D;
constexpr UIColor kRaised = 0xFF2A2E37;
constexpr UIColor kBorder = 0xFF343945;
constexpr UIColor kText = 0xFFE6E8EE;
constexpr UIColor kSecondary = 0xFF9AA1AE;
constexpr UIColor kAccent = 0xFF19C3A0;
constexpr UISize kCorner{8, 8};  // 4 px radius
constexpr UIRect kDefaultTextPadding{6, 2, 6, 2};

// Forwards the focus and key events of a native field to its control.
class CFieldWatcher : public QObject {
public:
    using Handler = std::function<bool(QEvent*)>;
    explicit CFieldWatcher(Handler handler) : m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::FocusOut:
            case QEvent::KeyPress: {
                // The handlers send notifications that may delete the control.
                CDispatchGuard guard;
                return m_handler(event);
            }
            default:
                return false;
        }
    }

private:
    Handler m_handler;
};

// Focus moving into the field's own context menu and back is not a focus change.
bool IsRealFocusChange(QEvent* event) {
    return static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
}

// Qt hands a window's focus to a field when the window becomes active, even to a field
// the user never clicked. Only a field that had the focus before may take it back that
// way; any other gives it up at once and tells nobody.
bool RefusesActivationFocus(QWidget* field, QEvent* event, const CPaintManagerUI* manager,
                            const CControlUI* owner) {
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason) return false;
    if (manager != nullptr && manager->GetFocus() == owner) return false;
    QMetaObject::invokeMethod(
        field, [field] { field->clearFocus(); }, Qt::QueuedConnection);
    return true;
}

bool IsReturnKey(QEvent* event) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QPalette FieldPalette(const QPalette& base, UIColor text, UIColor tip) {
    QPalette palette = base;
    const QColor textColor = ToQColor(text != 0 ? text : kText);
    QColor dimmed = textColor;
    dimmed.setAlphaF(0.4f);
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Window, Qt::transparent);
    palette.setColor(QPalette::Text, textColor);
    palette.setColor(QPalette::Disabled, QPalette::Text, dimmed);
    palette.setColor(QPalette::PlaceholderText, ToQColor(tip != 0 ? tip : kSecondary));
    palette.setColor(QPalette::Highlight, ToQColor(kAccent));
    palette.setColor(QPalette::HighlightedText, ToQColor(kWindow));
    return palette;
}

UIRect PaddingOrDefault(const UIRect& padding) {
    return padding == UIRect{} ? kDefaultTextPadding : padding;
}

// The raised box both edits draw when the layout gives no background.
void PaintFieldBox(CRenderContext& ctx, const UIRect& rc, UIColor bkColor, bool hasImage) {
    if (bkColor == 0 && !hasImage) ctx.FillRoundRect(rc, kCorner, kRaised);
}

void PaintFieldBorder(CRenderContext& ctx, const UIRect& rc, UIColor bkColor, bool hasImage,
                      bool focused) {
    if (bkColor == 0 && !hasImage) ctx.DrawRoundRect(rc, 1, kCorner, focused ? kAccent : kBorder);
}

// Digits only; above the range is refused, below it may still grow into it.
class CNumberValidator : public QValidator {
public:
    void SetRange(bool hasRange, qlonglong minValue, qlonglong maxValue) {
        m_hasRange = hasRange;
        m_min = minValue;
        m_max = maxValue;
    }
    State validate(QString& input, int&) const override {
        for (const QChar c : input) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return Invalid;
        }
        if (input.isEmpty() || !m_hasRange) return Acceptable;
        bool ok = false;
        const qlonglong value = input.toLongLong(&ok);
        if (!ok || value > m_max) return Invalid;
        return value < m_min ? Intermediate : Acceptable;
    }

private:
    bool m_hasRange = false;
    qlonglong m_min = 0;
    qlonglong m_max = 0;
};

}  // namespace

// ---- CEditUI ----

struct CEditUI::Impl {
    explicit Impl(CEditUI& owner);
    ~Impl();
    bool OnFieldEvent(QEvent* event);
    void RaiseToMinimum();
    void ApplyValidator();

    CEditUI& owner;
    QLineEdit* field;  // a child of the control's widget, deleted with it
    CFieldWatcher watcher;
    CNumberValidator validator;
    bool numberOnly = false;
    bool hasRange = false;
    int minValue = 0;
    int maxValue = 0;
    std::string tip;
    UIColor tipColor = 0;
};

CEditUI::Impl::Impl(CEditUI& o)
    : owner(o),
      field(new QLineEdit(o.GetWidget())),
      watcher([this](QEvent* event) { return OnFieldEvent(event); }) {
    field->setFrame(false);
    field->setAutoFillBackground(false);
    // Not a tab stop: a window that opens would otherwise put the focus in its first
    // edit, and "setfocus" on some edits starts a global key capture.
    field->setFocusPolicy(Qt::ClickFocus);
    field->installEventFilter(&watcher);
    o.GetWidget()->setFocusProxy(field);
    QObject::connect(field, &QLineEdit::textEdited, &watcher, [this](const QString& text) {
        CDispatchGuard guard;
        if (!owner.m_resourceText) owner.m_text = FromQString(text);
        if (owner.m_manager) owner.m_manager->SendNotify(&owner, "textchanged");
    });
}

// The field may be in the middle of handling an event that deleted this control, so it
// is only cut off here and goes with the control's widget.
CEditUI::Impl::~Impl() {
    field->removeEventFilter(&watcher);
    field->setValidator(nullptr);
    owner.GetWidget()->setFocusProxy(nullptr);
    field->hide();
}

bool CEditUI::Impl::OnFieldEvent(QEvent* event) {
    CPaintManagerUI* manager = owner.m_manager;
    switch (event->type()) {
        case QEvent::FocusIn:
            owner.Invalidate();
            if (RefusesActivationFocus(field, event, manager, &owner)) return true;
            if (!IsRealFocusChange(event) || !manager) return false;
            manager->SetFocus(&owner);
            manager->SendNotify(&owner, "setfocus");
            return false;
        case QEvent::FocusOut:
            owner.Invalidate();
            if (!IsRealFocusChange(event)) return false;
            RaiseToMinimum();
            if (!manager) return false;
            if (manager->GetFocus() == &owner) manager->SetFocus(nullptr);
            manager->SendNotify(&owner, "killfocus");
            return false;
        case QEvent::KeyPress:
            if (!IsReturnKey(event)) return false;
            if (manager) manager->SendNotify(&owner, "return");
            return true;  // used here, not by the window's default key
        default:
            return false;
    }
}

void CEditUI::Impl::RaiseToMinimum() {
    if (!numberOnly || !hasRange || field->text().isEmpty()) return;
    bool ok = false;
    const qlonglong value = field->text().toLongLong(&ok);
    if (ok && value < minValue) owner.SetText(std::to_string(minValue));
}

void CEditUI::Impl::ApplyValidator() {
    validator.SetRange(hasRange, minValue, maxValue);
    field->setValidator(numberOnly ? &validator : nullptr);
}

CEditUI::CEditUI() : m_impl(std::make_unique<Impl>(*this)) {
    m_textPadding = kDefaultTextPadding;
    SetCursor(UICursor::IBeam);
}

CEditUI::~CEditUI() = default;

std::string_view CEditUI::GetClass() const {
    return "EditUI";
}

std::string CEditUI::GetText() const {
    return FromQString(m_impl->field->text());
}

void CEditUI::SetText(std::string_view text) {
    CLabelUI::SetText(text);
    m_impl->field->setText(ToQString(CLabelUI::GetText()));
}

void CEditUI::SetMaxChar(int maxChars) {
    m_impl->field->setMaxLength(maxChars > 0 ? maxChars : 32767);
}

int CEditUI::GetMaxChar() const {
    const int length = m_impl->field->maxLength();
    return length >= 32767 ? 0 : length;
}

void CEditUI::SetReadOnly(bool readOnly) {
    m_impl->field->setReadOnly(readOnly);
    Invalidate();
}

bool CEditUI::IsReadOnly() const {
    return m_impl->field->isReadOnly();
}

void CEditUI::SetPasswordMode(bool password) {
    m_impl->field->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

bool CEditUI::IsPasswordMode() const {
    return m_impl->field->echoMode() == QLineEdit::Password;
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    m_impl->numberOnly = numberOnly;
    m_impl->ApplyValidator();
}

bool CEditUI::IsNumberOnly() const {
    return m_impl->numberOnly;
}

void CEditUI::SetNumberRange(int minValue, int maxValue) {
    m_impl->hasRange = minValue <= maxValue;
    m_impl->minValue = minValue;
    m_impl->maxValue = maxValue;
    m_impl->ApplyValidator();
}

void CEditUI::SetTipValue(std::string_view tip) {
    m_impl->tip = tip;
    m_impl->field->setPlaceholderText(ToQString(GetTipValue()));
}

std::string CEditUI::GetTipValue() const {
    if (!m_resourceText || m_impl->tip.empty()) return m_impl->tip;
    return CResourceManager::Instance().GetText(m_impl->tip);
}

void CEditUI::SetTipValueColor(UIColor color) {
    m_impl->tipColor = color;
    m_impl->field->setPalette(FieldPalette(m_impl->field->palette(), m_textColor, color));
}

void CEditUI::SetSel(int start, int end) {
    const int length = static_cast<int>(m_impl->field->text().size());
    const int from = std::clamp(start, 0, length);
    const int to = end < 0 ? length : std::clamp(end, from, length);
    m_impl->field->setSelection(from, to - from);
}

void CEditUI::SetSelAll() {
    m_impl->field->selectAll();
}

void CEditUI::SetFocus() {
    m_impl->field->setFocus(Qt::OtherFocusReason);
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    m_impl->field->setEnabled(enabled);
}

void CEditUI::SetPos(const UIRect& rc, bool needInvalidate) {
    CLabelUI::SetPos(rc, needInvalidate);
    QLineEdit* field = m_impl->field;
    field->setGeometry(LocalRect(*this, m_pos.Deflate(Scale(PaddingOrDefault(m_textPadding)))));
    field->setFont(FontOf(m_manager, m_font));
    field->setPalette(FieldPalette(field->palette(), m_textColor, m_impl->tipColor));
    Qt::Alignment align = Qt::AlignLeft;
    if (m_textStyle & TextStyle::Center) align = Qt::AlignHCenter;
    if (m_textStyle & TextStyle::Right) align = Qt::AlignRight;
    field->setAlignment(align | Qt::AlignVCenter);
}

void CEditUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "readonly")
        SetReadOnly(ParseUIBool(value));
    else if (name == "maxchar")
        SetMaxChar(ParseUISize(value).cx);
    else if (name == "numberonly")
        SetNumberOnly(ParseUIBool(value));
    else if (name == "numberrange") {
        const UISize range = ParseUISize(value);
        SetNumberRange(range.cx, range.cy);
    } else if (name == "password")
        SetPasswordMode(ParseUIBool(value));
    else if (name == "tipvalue")
        SetTipValue(value);
    else if (name == "tipvaluecolor")
        SetTipValueColor(ParseUIColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

void CEditUI::ReloadText() {
    CLabelUI::ReloadText();
    if (m_resourceText) m_impl->field->setText(ToQString(CLabelUI::GetText()));
    m_impl->field->setPlaceholderText(ToQString(GetTipValue()));
}

void CEditUI::PaintBkColor(CRenderContext& ctx) {
    CLabelUI::PaintBkColor(ctx);
    PaintFieldBox(ctx, m_pos, m_bkColor, !m_bkImage.empty());
}

void CEditUI::PaintText(CRenderContext&) {}

void CEditUI::PaintBorder(CRenderContext& ctx) {
    CLabelUI::PaintBorder(ctx);
    if (m_borderSize <= 0)
        PaintFieldBorder(ctx, m_pos, m_bkColor, !m_bkImage.empty(), m_impl->field->hasFocus());
}

// ---- CRichEditUI ----

struct CRichEditUI::Impl {
    explicit Impl(CRichEditUI& owner);
    ~Impl();
    bool OnFieldEvent(QEvent* event);
    void OnTextChanged();
    void SetTextSilently(const QString& text);

    CRichEditUI& owner;
    QPlainTextEdit* field;  // a child of the control's widget, deleted with it
    CFieldWatcher watcher;
    int limit = 0;
    bool settingText = false;
    std::string tip;
    UIColor tipColor = 0;
};

CRichEditUI::Impl::Impl(CRichEditUI& o)
    : owner(o),
      field(new QPlainTextEdit(o.GetWidget())),
      watcher([this](QEvent* event) { return OnFieldEvent(event); }) {
    field->setFrameShape(QFrame::NoFrame);
    field->setAutoFillBackground(false);
    field->setFocusPolicy(Qt::ClickFocus);  // not a tab stop, as for CEditUI
    field->viewport()->setAutoFillBackground(false);
    field->installEventFilter(&watcher);
    o.GetWidget()->setFocusProxy(field);
    QObject::connect(field, &QPlainTextEdit::textChanged, &watcher, [this] { OnTextChanged(); });
}

CRichEditUI::Impl::~Impl() {
    field->removeEventFilter(&watcher);
    owner.GetWidget()->setFocusProxy(nullptr);
    field->hide();
}

bool CRichEditUI::Impl::OnFieldEvent(QEvent* event) {
    CPaintManagerUI* manager = owner.m_manager;
    if (event->type() == QEvent::KeyPress) return false;
    owner.Invalidate();
    if (!IsRealFocusChange(event) || !manager) return false;
    if (event->type() == QEvent::FocusIn) {
        if (RefusesActivationFocus(field, event, manager, &owner)) return true;
        manager->SetFocus(&owner);
        manager->SendNotify(&owner, "setfocus");
    } else {
        if (manager->GetFocus() == &owner) manager->SetFocus(nullptr);
        manager->SendNotify(&owner, "killfocus");
    }
    return false;
}

void CRichEditUI::Impl::OnTextChanged() {
    if (settingText) return;
    const QString text = field->toPlainText();
    if (limit > 0 && text.size() > limit) {
        SetTextSilently(text.left(limit));
        field->moveCursor(QTextCursor::End);
    }
    CDispatchGuard guard;
    if (!owner.m_resourceText) owner.m_text = FromQString(field->toPlainText());
    if (owner.m_manager) owner.m_manager->SendNotify(&owner, "textchanged");
}

void CRichEditUI::Impl::SetTextSilently(const QString& text) {
    settingText = true;
    field->setPlainText(text);
    settingText = false;
}

CRichEditUI::CRichEditUI() : m_impl(std::make_unique<Impl>(*this)) {
    m_textPadding = kDefaultTextPadding;
    m_textStyle = TextStyle::WordBreak;
    SetCursor(UICursor::IBeam);
}

CRichEditUI::~CRichEditUI() = default;

std::string_view CRichEditUI::GetClass() const {
    return "RichEditUI";
}

std::string CRichEditUI::GetText() const {
    return FromQString(m_impl->field->toPlainText());
}

void CRichEditUI::SetText(std::string_view text) {
    CLabelUI::SetText(text);
    QString shown = ToQString(CLabelUI::GetText());
    if (m_impl->limit > 0) shown = shown.left(m_impl->limit);
    m_impl->SetTextSilently(shown);
}

void CRichEditUI::SetReadOnly(bool readOnly) {
    m_impl->field->setReadOnly(readOnly);
}

bool CRichEditUI::IsReadOnly() const {
    return m_impl->field->isReadOnly();
}

void CRichEditUI::SetWordWrap(bool wrap) {
    m_impl->field->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void CRichEditUI::SetLimitText(int maxChars) {
    m_impl->limit = std::max(0, maxChars);
}

void CRichEditUI::SetTipValue(std::string_view tip) {
    m_impl->tip = tip;
    m_impl->field->setPlaceholderText(ToQString(GetTipValue()));
}

std::string CRichEditUI::GetTipValue() const {
    if (!m_resourceText || m_impl->tip.empty()) return m_impl->tip;
    return CResourceManager::Instance().GetText(m_impl->tip);
}

void CRichEditUI::SetTipValueColor(UIColor color) {
    m_impl->tipColor = color;
    m_impl->field->setPalette(FieldPalette(m_impl->field->palette(), m_textColor, color));
}

void CRichEditUI::SetFocus() {
    m_impl->field->setFocus(Qt::OtherFocusReason);
}

void CRichEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    m_impl->field->setEnabled(enabled);
}

void CRichEditUI::SetPos(const UIRect& rc, bool needInvalidate) {
    CLabelUI::SetPos(rc, needInvalidate);
    QPlainTextEdit* field = m_impl->field;
    field->setGeometry(LocalRect(*this, m_pos.Deflate(Scale(PaddingOrDefault(m_textPadding)))));
    field->setFont(FontOf(m_manager, m_font));
    field->setPalette(FieldPalette(field->palette(), m_textColor, m_impl->tipColor));
}

void CRichEditUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "readonly")
        SetReadOnly(ParseUIBool(value));
    else if (name == "wordwrap")
        SetWordWrap(ParseUIBool(value));
    else if (name == "maxchar" || name == "limittext")
        SetLimitText(ParseUISize(value).cx);
    else if (name == "tipvalue")
        SetTipValue(value);
    else if (name == "tipvaluecolor")
        SetTipValueColor(ParseUIColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

void CRichEditUI::ReloadText() {
    CLabelUI::ReloadText();
    if (m_resourceText) m_impl->SetTextSilently(ToQString(CLabelUI::GetText()));
    m_impl->field->setPlaceholderText(ToQString(GetTipValue()));
}

void CRichEditUI::PaintBkColor(CRenderContext& ctx) {
    CLabelUI::PaintBkColor(ctx);
    PaintFieldBox(ctx, m_pos, m_bkColor, !m_bkImage.empty());
}

void CRichEditUI::PaintText(CRenderContext&) {}

void CRichEditUI::PaintBorder(CRenderContext& ctx) {
    CLabelUI::PaintBorder(ctx);
    if (m_borderSize <= 0)
        PaintFieldBorder(ctx, m_pos, m_bkColor, !m_bkImage.empty(), m_impl->field->hasFocus());
}
