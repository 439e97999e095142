// CMenuWnd: pop-up menus from menu layouts, and the records their commands carry.
#include "ui/UIMenu.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <map>
#include <mutex>

#include "ui/UIBuilder.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIWindowHost.h"

namespace {

constexpr UIColor kPanel = 0xFF1F2229;
constexpr UIColor kRaised = 0xFF2A2E37;
constexpr UIColor kBorder = 0xFF343945;
constexpr int kItemHeight = 30;
constexpr int kSeparatorHeight = 9;
constexpr int kMinWidth = 120;
constexpr UIRect kDefaultInset{0, 4, 0, 4};
constexpr int kIconGap = 6;
constexpr int kIconMargin = 4;  // above and below an item's icon

struct MenuCmdStore {
    std::mutex lock;
    std::map<WPARAM, std::unique_ptr<MenuCmd>> records;
    WPARAM next = 1;
};

// Records never taken are freed with this object at exit.
MenuCmdStore& Store() {
    static MenuCmdStore store;
    return store;
}

// The root of a menu layout: the panel's colours, border and inset, and through its
// "item..." attributes the look of the items.
class CMenuUI : public CListUI {
public:
    std::string_view GetClass() const override { return "MenuUI"; }
};

class CMenuElementUI : public CListLabelElementUI {
public:
    std::string_view GetClass() const override { return "MenuElementUI"; }
    bool IsLine() const { return m_line; }
    const std::string& GetIcon() const { return m_icon; }
    void SetAttribute(std::string_view name, std::string_view value) override {
        if (name == "line")
            m_line = ParseUIBool(value);
        else if (name == "icon")
            m_icon = value;
        else
            CListLabelElementUI::SetAttribute(name, value);
    }

private:
    bool m_line = false;
    std::string m_icon;
};

class CMenuSeparatorUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "MenuSeparatorUI"; }
};

bool IsSeparator(const CControlUI* item) {
    if (dynamic_cast<const CMenuSeparatorUI*>(item)) return true;
    const auto* element = dynamic_cast<const CMenuElementUI*>(item);
    return element && element->IsLine();
}

class CMenuKinds : public IDialogBuilderCallback {
public:
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override {
        if (Is(tag, "Menu")) return std::make_unique<CMenuUI>();
        if (Is(tag, "MenuElement")) return std::make_unique<CMenuElementUI>();
        if (Is(tag, "MenuSeparator")) return std::make_unique<CMenuSeparatorUI>();
        return nullptr;
    }

private:
    static bool Is(std::string_view a, std::string_view b) {
        return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
                   .compare(QLatin1String(b.data(), static_cast<qsizetype>(b.size())),
                            Qt::CaseInsensitive) == 0;
    }
};

// The menu on screen. It paints the items of the layout and reads them each time,
// so changes made through FindItem show at once.
class CMenuPopup : public QWidget {
public:
    CMenuPopup(CMenuUI& menu, WindowHandle owner, const CPaintManagerUI* manager)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint),
          m_menu(menu),
          m_owner(owner),
          m_manager(manager) {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setObjectName(QStringLiteral("MenuWnd"));
        const UISize round = menu.GetBorderRound();
        if (round.cx > 0 || round.cy > 0) setAttribute(Qt::WA_TranslucentBackground);
    }
    void Place(UIPoint point, int align);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void leaveEvent(QEvent*) override {
        m_hot = -1;
        update();
    }

private:
    struct Row {
        int index;
        QRect rect;
        bool separator;
    };
    int S(int v) const { return m_manager ? m_manager->ScaleValue(v) : v; }
    UIRect S(const UIRect& rc) const { return m_manager ? m_manager->ScaleRect(rc) : rc; }
    int Border() const { return S(m_menu.GetBorderSize() > 0 ? m_menu.GetBorderSize() : 1); }
    UIRect Inset() const {
        return S(m_menu.GetInset() == UIRect{} ? kDefaultInset : m_menu.GetInset());
    }
    std::vector<Row> Rows() const;
    QSize SizeHint() const;
    int RowAt(QPoint point) const;
    bool IsChoosable(int index) const;
    void PaintItem(CRenderContext& ctx, const Row& row, const TListInfoUI& info);
    void MoveHot(int direction);
    void Choose(int index);

    CMenuUI& m_menu;
    WindowHandle m_owner;
    const CPaintManagerUI* m_manager;
    int m_hot = -1;
};

std::vector<CMenuPopup::Row> CMenuPopup::Rows() const {
    std::vector<Row> rows;
    const TListInfoUI& info = *m_menu.GetListInfo();
    const UIRect inset = Inset();
    const int left = Border() + inset.left;
    const int width = this->width() - left - Border() - inset.right;
    int top = Border() + inset.top;
    for (int i = 0; i < m_menu.GetCount(); ++i) {
        CControlUI* item = m_menu.GetItemAt(i);
        if (!item->IsVisible()) continue;
        const bool separator = IsSeparator(item);
        int height = item->GetFixedHeight();
        if (height <= 0)
            height = separator ? kSeparatorHeight
                               : (info.itemHeight > 0 ? info.itemHeight : kItemHeight);
        rows.push_back({i, QRect(left, top, width, S(height)), separator});
        top += S(height);
    }
    return rows;
}

QSize CMenuPopup::SizeHint() const {
    const TListInfoUI& info = *m_menu.GetListInfo();
    const QFontMetrics metrics(FontOf(m_manager, info.font));
    const UIRect inset = Inset();
    const int frame = 2 * Border() + inset.left + inset.right;
    const UIRect pad = S(info.textPadding);
    int width = m_menu.GetFixedWidth() > 0 ? S(m_menu.GetFixedWidth()) : S(kMinWidth);
    int height = 2 * Border() + inset.top + inset.bottom;
    for (const Row& row : Rows()) {
        height += row.rect.height();
        if (m_menu.GetFixedWidth() > 0 || row.separator) continue;
        const auto* item = dynamic_cast<const CMenuElementUI*>(m_menu.GetItemAt(row.index));
        const int icon = item && !item->GetIcon().empty() ? row.rect.height() : 0;
        const int text =
            metrics.horizontalAdvance(ToQString(m_menu.GetItemAt(row.index)->GetText()));
        width = std::max(width, frame + pad.left + icon + text + pad.right + S(16));
    }
    return {width, height};
}

// The alignment bits say on which side of the point the menu lies; the result is then
// kept on the screen that holds the point.
void CMenuPopup::Place(UIPoint point, int align) {
    resize(S(kMinWidth), 1);
    const QSize size = SizeHint();
    int x = point.x;
    int y = point.y;
    if (align & MenuAlign::Left) x = point.x - size.width();
    if (align & MenuAlign::Top) y = point.y - size.height();
    const QScreen* screen = QGuiApplication::screenAt(QPoint(point.x, point.y));
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect avail = screen->availableGeometry();
        x = std::clamp(x, avail.left(), std::max(avail.left(), avail.right() + 1 - size.width()));
        y = std::clamp(y, avail.top(), std::max(avail.top(), avail.bottom() + 1 - size.height()));
    }
    setGeometry(x, y, size.width(), size.height());
}

int CMenuPopup::RowAt(QPoint point) const {
    for (const Row& row : Rows()) {
        if (row.rect.contains(point)) return row.separator ? -1 : row.index;
    }
    return -1;
}

bool CMenuPopup::IsChoosable(int index) const {
    const CControlUI* item = m_menu.GetItemAt(index);
    return item && item->IsVisible() && item->IsEnabled() && !IsSeparator(item);
}

void CMenuPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    CRenderContext::Backend backend{painter};
    CRenderContext ctx(backend, m_manager);
    const TListInfoUI& info = *m_menu.GetListInfo();
    const UIRect all{0, 0, width(), height()};
    const UISize round = m_menu.GetBorderRound();
    const UIColor panel = m_menu.GetBkColor() != 0 ? m_menu.GetBkColor()
                                                   : (info.bkColor != 0 ? info.bkColor : kPanel);
    const UIColor border = m_menu.GetBorderColor() != 0 ? m_menu.GetBorderColor() : kBorder;
    const int borderSize = m_menu.GetBorderSize() > 0 ? m_menu.GetBorderSize() : 1;
    ctx.FillRoundRect(all, round, panel);
    for (const Row& row : Rows()) {
        if (!row.separator) {
            PaintItem(ctx, row, info);
            continue;
        }
        const UIRect rc = FromQRect(row.rect);
        const int y = (rc.top + rc.bottom) / 2;
        ctx.DrawLine({rc.left + S(8), y}, {rc.right - S(8), y}, 1,
                     info.lineColor != 0 ? info.lineColor : border);
    }
    ctx.DrawRoundRect(all, borderSize, round, border);
}

void CMenuPopup::PaintItem(CRenderContext& ctx, const Row& row, const TListInfoUI& info) {
    CControlUI* item = m_menu.GetItemAt(row.index);
    const UIRect rc = FromQRect(row.rect);
    const bool hot = row.index == m_hot && item->IsEnabled();
    if (hot) ctx.FillRect(rc, info.hotBkColor != 0 ? info.hotBkColor : kRaised);
    const UIColor color = ListRowTextColor(info, true, false, hot);
    const double opacity = ctx.GetOpacity();
    if (!item->IsEnabled()) ctx.SetOpacity(0.4);
    UIRect text = rc.Deflate(ctx.Scale(info.textPadding));
    const auto* element = dynamic_cast<const CMenuElementUI*>(item);
    if (element && !element->GetIcon().empty()) {
        const int size = rc.Height() - 2 * S(kIconMargin);
        const UIRect icon{text.left, rc.top + S(kIconMargin), text.left + size,
                          rc.top + S(kIconMargin) + size};
        ctx.DrawImage(icon, element->GetIcon());
        text.left = icon.right + S(kIconGap);
    }
    DrawListText(ctx, text, item->GetText(), color, info, info.textStyle);
    ctx.SetOpacity(opacity);
}

void CMenuPopup::mouseMoveEvent(QMouseEvent* e) {
    const int hot = RowAt(e->position().toPoint());
    if (hot == m_hot) return;
    m_hot = hot;
    update();
}

void CMenuPopup::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
    const int index = RowAt(e->position().toPoint());
    if (index >= 0 && IsChoosable(index)) Choose(index);
}

void CMenuPopup::MoveHot(int direction) {
    for (int i = m_hot + direction; i >= 0 && i < m_menu.GetCount(); i += direction) {
        if (!IsChoosable(i)) continue;
        m_hot = i;
        update();
        return;
    }
}

void CMenuPopup::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Up:
            MoveHot(-1);
            break;
        case Qt::Key_Down:
            MoveHot(+1);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_hot >= 0 && IsChoosable(m_hot)) Choose(m_hot);
            break;
        case Qt::Key_Escape:
            hide();
            break;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    e->accept();
}

// The owner hears of the choice through its message queue, so nothing runs inside
// this handler that could delete the menu.
void CMenuPopup::Choose(int index) {
    const CControlUI* item = m_menu.GetItemAt(index);
    auto cmd = std::make_unique<MenuCmd>();
    cmd->name = item->GetName();
    cmd->userData = item->GetUserData();
    cmd->text = item->GetText();
    hide();
    const WPARAM ticket = StoreMenuCmd(std::move(cmd));
    if (!PostMessage(m_owner, kMenuCommandMessage, ticket, 0)) TakeMenuCmd(ticket);
}

CMenuWnd* g_openMenu = nullptr;  // opening a menu closes any other

}  // namespace

WPARAM StoreMenuCmd(std::unique_ptr<MenuCmd> cmd) {
    if (!cmd) return 0;
    MenuCmdStore& store = Store();
    const std::lock_guard<std::mutex> hold(store.lock);
    const WPARAM ticket = store.next++;
    store.records.emplace(ticket, std::move(cmd));
    return ticket;
}

std::unique_ptr<MenuCmd> TakeMenuCmd(WPARAM ticket) {
    MenuCmdStore& store = Store();
    const std::lock_guard<std::mutex> hold(store.lock);
    const auto it = store.records.find(ticket);
    if (it == store.records.end()) return nullptr;
    std::unique_ptr<MenuCmd> cmd = std::move(it->second);
    store.records.erase(it);
    return cmd;
}

struct CMenuWnd::Impl {
    std::unique_ptr<CControlUI> root;
    std::unique_ptr<CMenuPopup> popup;
};

CMenuWnd::CMenuWnd() : m_impl(std::make_unique<Impl>()) {}

CMenuWnd::~CMenuWnd() {
    Close();
    if (g_openMenu == this) g_openMenu = nullptr;
}

bool CMenuWnd::Init(WindowHandle owner, std::string_view layout, UIPoint point, int align,
                    CPaintManagerUI* ownerManager) {
    Close();
    m_impl->popup.reset();
    m_impl->root.reset();
    CMenuKinds kinds;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(layout, {}, &kinds, nullptr);
    auto* menu = dynamic_cast<CMenuUI*>(root.get());
    if (!menu) return false;
    m_impl->root = std::move(root);
    m_impl->popup = std::make_unique<CMenuPopup>(*menu, owner, ownerManager);
    if (ownerManager && ownerManager->GetHost()) {
        // Lets the menu be placed relative to its window where top-levels cannot be.
        m_impl->popup->winId();
        if (QWindow* parent = ownerManager->GetHost()->window()->windowHandle())
            m_impl->popup->windowHandle()->setTransientParent(parent);
    }
    if (g_openMenu && g_openMenu != this) g_openMenu->Close();
    g_openMenu = this;
    m_impl->popup->Place(point, align);
    m_impl->popup->show();
    m_impl->popup->setFocus(Qt::PopupFocusReason);
    return true;
}

bool CMenuWnd::IsOpen() const {
    return m_impl->popup && m_impl->popup->isVisible();
}

void CMenuWnd::Close() {
    if (m_impl->popup) m_impl->popup->hide();
}

CControlUI* CMenuWnd::FindItem(std::string_view name) const {
    if (!m_impl->root) return nullptr;
    return m_impl->root->FindControl([name](CControlUI* c) { return c->GetName() == name; });
}
