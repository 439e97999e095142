#include "app/DeviceSelector.h"

#include "app/DeviceOptionUI.h"
#include "device/TavrinUSBDevice.h"
#include "panels/FeaturePanels.h"
#include "platform/Platform.h"
#include "ui/UILib.h"

namespace {

constexpr const char* kPowerPanelLayout = "XML\\CustomControlXML\\MpDevicePower.xml";
constexpr const char* kEntryLayoutName = "device_select_layout";
constexpr const char* kDeviceSwitchName = "device_switch";
constexpr const char* kPowerSwitchName = "device_power_switch";
constexpr const char* kNoDeviceName = "No_device_Link";

// Diagnostic lines of attach and detach by kind code; the headset writes none.
struct KindTexts {
    const char* attached;
    const char* detached;
};
KindTexts TextsOfKind(int kindCode) {
    switch (kindCode) {
        case kKindKeyboard:
            return {"添加一个键盘设备", "删除一个键盘设备"};
        case kKindMouse:
        case kKindWirelessMouse:
            return {"添加一个鼠标设备", "删除一个鼠标设备"};
        case kKindMousePad:
            return {"添加一个鼠标垫设备", "删除一个鼠标垫设备"};
        default:
            return {nullptr, nullptr};
    }
}

void WriteKindText(const char* text) {
    if (text != nullptr) DebugOutput(text);
}

DeviceIdentity IdentityOf(const DeviceSlot& slot) {
    DeviceIdentity identity = DeviceIdentity::FromRow(slot.row);
    identity.connected = slot.connected ? 1 : 0;
    identity.path = slot.path;
    return identity;
}

// Same vendor, product and kind: how a notification interface finds its device.
bool SameProduct(const DeviceIdentity& identity, const DeviceTypeRow& row) {
    return identity.vendorId == row.vendorId && identity.productId == row.productId &&
           identity.kindCode == row.kindCode;
}

template <class T>
std::unique_ptr<T> Downcast(std::unique_ptr<CControlUI> control) {
    if (dynamic_cast<T*>(control.get()) == nullptr) return nullptr;
    return std::unique_ptr<T>(static_cast<T*>(control.release()));
}

}  // namespace

CDeviceSelector::CDeviceSelector() : m_slots(std::make_shared<CSlotList>()) {}

CDeviceSelector::~CDeviceSelector() = default;

void CDeviceSelector::SetHooks(SelectorHooks hooks) {
    m_hooks = std::move(hooks);
}

// ---- Building ----

void CDeviceSelector::BuildKindPages(CPaintManagerUI& manager, IDialogBuilderCallback& callback,
                                     WindowHandle mainWindow, const std::string& profileText) {
    m_manager = &manager;
    m_callback = &callback;
    m_mainWindow = mainWindow;
    m_profileText = profileText;
    m_entryLayout = dynamic_cast<CContainerUI*>(manager.FindControl(kEntryLayoutName));
    m_deviceSwitch = dynamic_cast<CTabLayoutUI*>(manager.FindControl(kDeviceSwitchName));
    m_powerSwitch = dynamic_cast<CTabLayoutUI*>(manager.FindControl(kPowerSwitchName));
    m_noDeviceNotice = manager.FindControl(kNoDeviceName);
    for (const KindPageRow& page : kKindPageRows) {
        for (std::size_t r = 0; r < kDeviceTypeRowCount; ++r) {
            const DeviceTypeRow& row = kDeviceTypeRows[r];
            if (row.vendorId == page.vendorId && row.productId == page.productId &&
                row.kindCode == page.kindCode && row.subKind == page.subKind) {
                BuildKindPage(static_cast<int>(r), page.subKind);
                break;
            }
        }
    }
    UpdatePagesShown();
    UpdateNoDeviceNotice();
}

bool CDeviceSelector::BuildKindPage(int row, int subKind) {
    if (m_manager == nullptr || m_entryLayout == nullptr || m_deviceSwitch == nullptr ||
        m_powerSwitch == nullptr || row < 0 || row >= static_cast<int>(kDeviceTypeRowCount))
        return false;
    const int pageRow =
        KindPageRowForType(static_cast<std::size_t>(row), static_cast<std::uint32_t>(subKind));
    if (pageRow < 0) return false;
    const KindPageRow& kind = kKindPageRows[pageRow];
    const DevicePageRow& page = kDevicePageRows[pageRow];

    CDialogBuilder builder;
    auto power =
        Downcast<CMpDevicePowerUI>(builder.Create(kPowerPanelLayout, {}, m_callback, m_manager));
    auto entry =
        Downcast<CDeviceOptionUI>(builder.Create(kind.entryLayout, {}, m_callback, m_manager));
    auto device =
        Downcast<CTavrinUSBDevice>(builder.Create(page.pageLayout, {}, m_callback, m_manager));
    if (!power || !entry || !device) {
        DebugOutput("设备页面创建失败：" + std::string(kind.kindName));
        return false;
    }

    auto* powerPanel = static_cast<CMpDevicePowerUI*>(m_powerSwitch->Add(std::move(power)));
    m_powerPanels.push_back(powerPanel);

    device->SetPageLayoutName(page.pageLayout);
    device->SetMainWindow(m_mainWindow);
    device->SetKeyCount(page.keyCount);
    device->SetLedCount(page.ledCount);
    device->SetPowerState(page.powerState);
    device->SetSpareValue(page.spare);
    device->SetProfileText(m_profileText);
    device->SetKindName(kind.kindName);
    device->SetPowerPanel(powerPanel);
    device->SetIdentity(IdentityOf(m_slots->At(static_cast<std::size_t>(row))));
    device->SetDeviceIndex(kind.deviceIndex);
    device->SetLightConfigStem(page.lightConfigStem);
    // Bound once the page is in the window, where its controls can be looked up.
    auto* added = static_cast<CTavrinUSBDevice*>(m_deviceSwitch->Add(std::move(device)));
    added->BindKeyLayout();
    MutableDevicesOfKind(kind.kindCode).push_back(added);

    auto* option = static_cast<CDeviceOptionUI*>(m_entryLayout->Add(std::move(entry)));
    option->SetSyncOptionVisible(false);
    option->SetGroup(kind.tabGroup);
    option->BindPage(kDeviceSwitchName, m_deviceSwitch->GetItemIndex(added));
    option->SetPowerPage(kind.powerContainer, m_powerSwitch->GetItemIndex(powerPanel));
    option->SetKind(kind.kindCode, kind.subKind);
    option->SetVisible(false);
    option->SetName(kind.kindName);
    option->LinkDevice(added);
    option->SetPreviewPanel(added->GetKeyLayoutPanel());
    return true;
}

CWorkerThread::Body CDeviceSelector::DiscoveryThreadBody(DiscoveryOptions options) {
    m_discovery = std::make_shared<CDeviceDiscovery>(m_slots, m_mainWindow, std::move(options));
    return CDeviceDiscovery::ThreadBody(m_discovery);
}

// ---- Attach and detach ----

void CDeviceSelector::AttachSlot(int slot) {
    const DeviceSlot s = m_slots->At(static_cast<std::size_t>(slot));
    if (!s.connected) return;  // left again before this message was handled
    WriteKindText(TextsOfKind(s.row.kindCode).attached);
    if (s.row.subKind == kSubKindCommand)
        AttachCommand(s);
    else if (s.row.subKind == kSubKindNotification)
        AttachNotification(s);
    if (m_hooks.showAndRaise) m_hooks.showAndRaise();
}

void CDeviceSelector::AttachCommand(const DeviceSlot& slot) {
    CTavrinUSBDevice* device = DeviceForSlot(slot);
    if (device == nullptr || device->CommandChannel().IsOpen()) return;
    if (!device->CommandChannel().Open(slot.path)) {
        DebugOutput("设备打开失败：" + device->CommandChannel().Interface().LastOpenError());
        return;
    }
    device->CommandChannel().SetWirelessMode(slot.row.kindCode == kKindWirelessMouse);
    device->SetIdentity(IdentityOf(slot));
    const int entry = EntryIndexOf(device);
    if (entry < 0) return;
    ShowEntry(entry, true, CountVisibleEntries().count == 0);
    EntryAt(entry)->SetOpenPending(true);
    EntryAt(entry)->GetManager()->SetTimer(EntryAt(entry), EntryTimer::OpenDevice,
                                           kOpenDeviceDelayMs);
}

bool CDeviceSelector::HasPendingOpen() const {
    for (int i = 0; i < EntryCount(); ++i)
        if (EntryAt(i) != nullptr && EntryAt(i)->IsOpenPending()) return true;
    return false;
}

void CDeviceSelector::AttachNotification(const DeviceSlot& slot) {
    for (CTavrinUSBDevice* device : DevicesOfKind(slot.row.kindCode)) {
        if (!SameProduct(device->GetIdentity(), slot.row) || device->SyncChannel().IsOpen())
            continue;
        device->OpenSyncChannel(slot.path);
        return;
    }
}

void CDeviceSelector::DetachSlot(int slot) {
    const DeviceSlot s = m_slots->At(static_cast<std::size_t>(slot));
    WriteKindText(TextsOfKind(s.row.kindCode).detached);
    if (s.row.subKind == kSubKindCommand)
        DetachCommand(s);
    else if (s.row.subKind == kSubKindNotification)
        DetachNotification(s);
}

void CDeviceSelector::DetachCommand(const DeviceSlot& slot) {
    CTavrinUSBDevice* device = DeviceForSlot(slot);
    if (device == nullptr) return;
    // A recording or key capture must not outlive the page it runs on: its hook would
    // keep the keyboard and its stop button would be out of reach.
    if (device == CurrentDevice() && m_hooks.captureRunning && m_hooks.captureRunning() &&
        m_hooks.endCapture)
        m_hooks.endCapture();
    device->CommandChannel().Close();
    const int entry = EntryIndexOf(device);
    if (entry < 0) return;
    CDeviceOptionUI* option = EntryAt(entry);
    option->SetOpenPending(false);
    if (CPaintManagerUI* manager = option->GetManager()) {
        manager->KillTimer(option, EntryTimer::OpenDevice);
        manager->KillTimer(option, EntryTimer::ReadDeviceState);
    }
    HideEntryOnDetach(entry);
}

void CDeviceSelector::DetachNotification(const DeviceSlot& slot) {
    for (CTavrinUSBDevice* device : DevicesOfKind(slot.row.kindCode)) {
        if (!SameProduct(device->GetIdentity(), slot.row) || !device->SyncChannel().IsOpen())
            continue;
        device->CloseSyncChannel();
        return;
    }
}

void CDeviceSelector::Reconcile() {
    for (std::size_t i = 0; i < m_slots->Size(); ++i) {
        const DeviceSlot slot = m_slots->At(i);
        const bool notification = slot.row.subKind == kSubKindNotification;
        CTavrinUSBDevice* device = notification ? SyncDeviceForSlot(slot) : DeviceForSlot(slot);
        if (device == nullptr) continue;
        CCommandChannel& channel = notification ? device->SyncChannel() : device->CommandChannel();
        if (slot.connected && !channel.IsOpen())
            AttachSlot(static_cast<int>(i));
        else if (!slot.connected && channel.IsOpen())
            DetachSlot(static_cast<int>(i));
    }
}

CTavrinUSBDevice* CDeviceSelector::DeviceForSlot(const DeviceSlot& slot) const {
    const DeviceIdentity identity = IdentityOf(slot);
    for (CTavrinUSBDevice* device : DevicesOfKind(slot.row.kindCode))
        if (device->GetIdentity().SameDevice(identity)) return device;
    return nullptr;
}

// The device whose notification interface the slot is: same product and kind.
CTavrinUSBDevice* CDeviceSelector::SyncDeviceForSlot(const DeviceSlot& slot) const {
    for (CTavrinUSBDevice* device : DevicesOfKind(slot.row.kindCode))
        if (SameProduct(device->GetIdentity(), slot.row)) return device;
    return nullptr;
}

// ---- Entries ----

int CDeviceSelector::EntryCount() const {
    return m_entryLayout != nullptr ? m_entryLayout->GetCount() : 0;
}

CDeviceOptionUI* CDeviceSelector::EntryAt(int entry) const {
    if (m_entryLayout == nullptr) return nullptr;
    return dynamic_cast<CDeviceOptionUI*>(m_entryLayout->GetItemAt(entry));
}

int CDeviceSelector::EntryIndexOf(const CTavrinUSBDevice* device) const {
    for (int i = 0; i < EntryCount(); ++i)
        if (const CDeviceOptionUI* entry = EntryAt(i); entry && entry->GetDevice() == device)
            return i;
    return -1;
}

VisibleEntries CDeviceSelector::CountVisibleEntries() const {
    VisibleEntries visible;
    for (int i = 0; i < EntryCount(); ++i) {
        const CDeviceOptionUI* entry = EntryAt(i);
        if (entry == nullptr || !entry->IsVisible()) continue;
        if (visible.count++ == 0) visible.first = i;
    }
    return visible;
}

void CDeviceSelector::ShowEntry(int entryIndex, bool visible, bool select) {
    CDeviceOptionUI* entry = EntryAt(entryIndex);
    if (entry == nullptr) return;
    entry->SetVisible(visible);
    if (select) {
        SelectBoundPage(*entry);
        ShowPowerPageOf(*entry);
        entry->Select(true);
        RememberSelection(entryIndex);
        InvalidateEntries();
    }
    int syncSelected = 0;
    for (int i = 0; i < EntryCount(); ++i)
        if (CDeviceOptionUI* e = EntryAt(i); e && e->IsVisible() && e->IsSyncSelected())
            ++syncSelected;
    const int visibleCount = CountVisibleEntries().count;
    if (visibleCount == 0) {
        if (m_powerSwitch != nullptr) m_powerSwitch->SelectItem(0);
        if (m_deviceSwitch != nullptr) m_deviceSwitch->SelectItem(0);
    }
    UpdateNoDeviceNotice();
    if (m_hooks.visibleEntriesChanged) m_hooks.visibleEntriesChanged(visibleCount);
    if (syncSelected <= 1)
        for (int i = 0; i < EntryCount(); ++i)
            if (CDeviceOptionUI* e = EntryAt(i)) e->SetSyncSelected(false);
    UpdatePagesShown();
}

void CDeviceSelector::HideEntryOnDetach(int entryIndex) {
    CDeviceOptionUI* entry = EntryAt(entryIndex);
    if (entry == nullptr) return;
    int next = -1;
    if (entry->IsVisible() && entry->IsSelected()) {
        if (m_hooks.closeChildWindows) m_hooks.closeChildWindows();
        for (int i = 0; i < EntryCount() && next < 0; ++i)
            if (i != entryIndex && EntryAt(i) != nullptr && EntryAt(i)->IsVisible()) next = i;
    }
    ShowEntry(entryIndex, false, false);
    if (next >= 0) ShowEntry(next, true, true);
}

CTavrinUSBDevice* CDeviceSelector::CurrentDevice() const {
    for (int i = 0; i < EntryCount(); ++i)
        if (const CDeviceOptionUI* entry = EntryAt(i);
            entry && entry->IsVisible() && entry->IsSelected())
            return entry->GetDevice();
    return nullptr;
}

void CDeviceSelector::OnDeviceSelectChanged() {
    for (int i = 0; i < EntryCount(); ++i) {
        CDeviceOptionUI* entry = EntryAt(i);
        if (entry == nullptr || !entry->IsVisible() || !entry->IsSelected()) continue;
        RememberSelection(i);
        SelectBoundPage(*entry);
        ShowPowerPageOf(*entry);
        break;
    }
    InvalidateEntries();
    UpdatePagesShown();
}

// The selection frame is each entry's own border, outside its option: the entry that
// lost the selection must be painted again too.
void CDeviceSelector::InvalidateEntries() {
    for (int i = 0; i < EntryCount(); ++i)
        if (CDeviceOptionUI* entry = EntryAt(i)) entry->Invalidate();
}

void CDeviceSelector::SelectPrevious() {
    const int current = SelectedEntry();
    if (current < 0) return;
    for (int i = current - 1; i >= 0; --i)
        if (EntryAt(i) != nullptr && EntryAt(i)->IsVisible()) return SelectEntry(i);
}

void CDeviceSelector::SelectNext() {
    const int current = SelectedEntry();
    if (current < 0) return;
    for (int i = current + 1; i < EntryCount(); ++i)
        if (EntryAt(i) != nullptr && EntryAt(i)->IsVisible()) return SelectEntry(i);
}

int CDeviceSelector::SelectedEntry() const {
    for (int i = 0; i < EntryCount(); ++i)
        if (const CDeviceOptionUI* entry = EntryAt(i);
            entry && entry->IsVisible() && entry->IsSelected())
            return i;
    return -1;
}

void CDeviceSelector::SelectEntry(int entry) {
    ShowEntry(entry, true, true);
    OnDeviceSelectChanged();
}

void CDeviceSelector::UpdateNoDeviceNotice() {
    if (m_noDeviceNotice != nullptr) m_noDeviceNotice->SetVisible(CountVisibleEntries().count == 0);
}

void CDeviceSelector::RememberSelection(int entryIndex) {
    const CDeviceOptionUI* entry = EntryAt(entryIndex);
    if (entry == nullptr) return;
    m_selection = {entryIndex, entry->GetKindCode(), entry->GetSubKind()};
}

void CDeviceSelector::SelectBoundPage(const CDeviceOptionUI& entry) {
    if (m_manager == nullptr) return;
    if (auto* tabs = dynamic_cast<CTabLayoutUI*>(m_manager->FindControl(entry.GetBoundTabLayout())))
        tabs->SelectItem(entry.GetBoundIndex());
}

void CDeviceSelector::ShowPowerPageOf(const CDeviceOptionUI& entry) {
    if (m_manager == nullptr) return;
    auto* power = dynamic_cast<CTabLayoutUI*>(m_manager->FindControl(entry.GetPowerContainer()));
    if (power == nullptr) return;
    const int index = entry.GetPowerPageIndex();
    power->SetVisible(index >= 0);
    if (index >= 0) power->SelectItem(index);
}

// Light frames are made only for the page on screen.
void CDeviceSelector::UpdatePagesShown() {
    for (int i = 0; i < EntryCount(); ++i)
        if (CDeviceOptionUI* entry = EntryAt(i); entry && entry->GetDevice())
            entry->GetDevice()->SetPageShown(entry->IsVisible() && entry->IsSelected());
}

// ---- What was built ----

std::vector<CTavrinUSBDevice*>& CDeviceSelector::MutableDevicesOfKind(int kindCode) {
    switch (kindCode) {
        case kKindKeyboard:
            return m_keyboards;
        case kKindMousePad:
            return m_mousepads;
        case kKindHeadset:
            return m_headsets;
        default:
            return m_mice;
    }
}

const std::vector<CTavrinUSBDevice*>& CDeviceSelector::DevicesOfKind(int kindCode) const {
    static const std::vector<CTavrinUSBDevice*> kNone;
    switch (kindCode) {
        case kKindKeyboard:
            return m_keyboards;
        case kKindMouse:
        case kKindWirelessMouse:
            return m_mice;
        case kKindMousePad:
            return m_mousepads;
        case kKindHeadset:
            return m_headsets;
        default:
            return kNone;
    }
}

std::vector<CTavrinUSBDevice*> CDeviceSelector::AllDevices() const {
    std::vector<CTavrinUSBDevice*> all;
    for (const auto* list : {&m_mousepads, &m_mice, &m_keyboards, &m_headsets})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}
