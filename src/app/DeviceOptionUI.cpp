#include "app/DeviceOptionUI.h"

#include "device/TavrinUSBDevice.h"
#include "ui/UILib.h"

namespace {

constexpr std::string_view kIconFolder = "common/device_ico/";
constexpr UIColor kSelectedBorder = 0xFF19C3A0;

constexpr DeviceIconRow kKeyboardIcons{"kb_device_", "kb_device_name_text"};
constexpr DeviceIconRow kMouseIcons{"ms_device_", "ms_device_name_text"};
constexpr DeviceIconRow kHardPadIcons{"hard_mp_device_", "hard_mp_device_name_text"};
constexpr DeviceIconRow kSoftPadIcons{"soft_mp_device_", "soft_mp_device_name_text"};
constexpr DeviceIconRow kHeadsetIcons{"hd_device_", "hd_device_name_text"};
constexpr DeviceIconRow kHubIcons{"hub_device_", "hub_device_name_text"};
constexpr DeviceIconRow kUnknownIcons{"unknow_device_", "unknow_device_name_text"};

}  // namespace

DeviceIconRow DeviceIconRowFor(int kindCode, int subKind) {
    switch (kindCode) {
        case 1:
            return kKeyboardIcons;
        case 2:
            return kMouseIcons;
        case 3:
            if (subKind == 0) return kHardPadIcons;
            if (subKind == 1) return kSoftPadIcons;
            return {};
        case 4:
        case 7:
            return kHeadsetIcons;
        case 5:
            return kHubIcons;
        default:
            return kUnknownIcons;
    }
}

DeviceIcons DeviceIconsFor(std::string_view prefix) {
    const std::string base = std::string(kIconFolder) + std::string(prefix);
    return {base + "synchro_selected.png", base + "synchro_normal.png", base + "selected.png",
            base + "normal.png"};
}

CDeviceOptionUI::CDeviceOptionUI() : m_icons(DeviceIconsFor(kUnknownIcons.prefix)) {}

CDeviceOptionUI::~CDeviceOptionUI() {
    // The device outlives no entry of its own but may outlive this one in tests.
    if (m_device != nullptr && m_device->GetSelectorEntry() == this) {
        m_device->SetSelectorEntry(nullptr);
        m_device->SetFramesWantedListener({});
    }
}

// Found on first use, also before the entry joins a window.
CControlUI* CDeviceOptionUI::FindChild(std::string_view name) {
    return FindControl([&](CControlUI* control) { return control->GetName() == name; });
}

COptionUI* CDeviceOptionUI::SelectOption() {
    if (m_selectOption == nullptr)
        m_selectOption = dynamic_cast<COptionUI*>(FindChild("device_select"));
    return m_selectOption;
}

COptionUI* CDeviceOptionUI::SyncOption() {
    if (m_syncOption == nullptr)
        m_syncOption = dynamic_cast<COptionUI*>(FindChild("synchro_device_select"));
    return m_syncOption;
}

CLabelUI* CDeviceOptionUI::NameLabel() {
    if (m_nameLabel == nullptr)
        m_nameLabel = dynamic_cast<CLabelUI*>(FindChild("device_select_name"));
    return m_nameLabel;
}

void CDeviceOptionUI::SetKind(int kindCode, int subKind) {
    const DeviceIconRow row = DeviceIconRowFor(kindCode, subKind);
    if (row.prefix.empty()) return;
    m_kindCode = kindCode;
    m_subKind = subKind;
    m_icons = DeviceIconsFor(row.prefix);
    if (COptionUI* option = SelectOption()) option->SetToolTip(row.nameKey);
    ApplyIcons();
}

void CDeviceOptionUI::ApplyIcons() {
    COptionUI* option = SelectOption();
    if (option == nullptr) return;
    const bool sync = IsSyncSelected();
    const std::string& normal = sync ? m_icons.syncNormal : m_icons.normal;
    option->SetNormalImage(normal);
    option->SetDisabledImage(normal);
    option->SetSelectedImage(sync ? m_icons.syncSelected : m_icons.selected);
}

void CDeviceOptionUI::LinkDevice(CTavrinUSBDevice* device) {
    m_device = device;
    if (device == nullptr) return;
    device->SetSelectorEntry(this);
    // The preview timer sleeps while no frames come and wakes when they may again.
    device->SetFramesWantedListener([this] {
        if (CommandChannelOpen()) StartTimer(EntryTimer::RepaintPreview, kPreviewRepaintMs);
    });
}

void CDeviceOptionUI::SetSyncOptionVisible(bool visible) {
    if (COptionUI* option = SyncOption()) option->SetVisible(visible);
}

void CDeviceOptionUI::SetSyncSelected(bool selected) {
    if (COptionUI* option = SyncOption()) option->Selected(selected, true);
    ApplyIcons();
}

bool CDeviceOptionUI::IsSyncSelected() const {
    auto* self = const_cast<CDeviceOptionUI*>(this);  // lookups cache on first use
    const COptionUI* option = self->SyncOption();
    return option != nullptr && option->IsSelected();
}

void CDeviceOptionUI::Select(bool selected) {
    if (COptionUI* option = SelectOption()) option->Selected(selected, false);
    Invalidate();
}

bool CDeviceOptionUI::IsSelected() const {
    auto* self = const_cast<CDeviceOptionUI*>(this);
    const COptionUI* option = self->SelectOption();
    return option != nullptr && option->IsSelected();
}

void CDeviceOptionUI::SetGroup(std::string_view group) {
    if (COptionUI* option = SelectOption()) option->SetGroup(group);
}

void CDeviceOptionUI::BindPage(std::string_view tabLayout, int index) {
    m_boundTabLayout = tabLayout;
    m_boundIndex = index;
}

void CDeviceOptionUI::SetPowerPage(std::string_view container, int index) {
    m_powerContainer = container;
    m_powerPageIndex = index;
}

void CDeviceOptionUI::SetName(std::string_view text) {
    if (CLabelUI* label = NameLabel()) label->SetText(text);
}

void CDeviceOptionUI::SetVisible(bool visible) {
    m_entryVisible = visible;
    CHorizontalLayoutUI::SetVisible(visible);
}

bool CDeviceOptionUI::Activate() {
    if (!IsVisible() || !IsEnabled()) return false;
    COptionUI* option = SelectOption();
    if (option == nullptr || !option->IsEnabled()) return false;
    option->Selected(true, false);
    if (m_manager != nullptr) m_manager->SendNotify(option, "selectchanged");
    return true;
}

void CDeviceOptionUI::DoEvent(TEventUI& event) {
    if (event.type == UIEventType::Timer) {
        OnTimer(static_cast<unsigned>(event.wParam));
        return;
    }
    // A click on the name or the empty part of the entry counts as one on its icon.
    if (event.type == UIEventType::ButtonUp && GetPos().Contains(event.mouse)) {
        Activate();
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CDeviceOptionUI::PaintBorder(CRenderContext& ctx) {
    if (!IsSelected()) {
        CHorizontalLayoutUI::PaintBorder(ctx);
        return;
    }
    const UISize round = GetBorderRound();
    ctx.DrawRoundRect(GetPos(), Scale(1), {Scale(round.cx), Scale(round.cy)}, kSelectedBorder);
}

// ---- Entry timers: each handler first stops its timer ----

void CDeviceOptionUI::StartTimer(unsigned id, unsigned elapseMs) {
    if (m_manager != nullptr) m_manager->SetTimer(this, id, elapseMs);
}

void CDeviceOptionUI::StopTimer(unsigned id) {
    if (m_manager != nullptr) m_manager->KillTimer(this, id);
}

bool CDeviceOptionUI::CommandChannelOpen() const {
    return m_device != nullptr && m_device->CommandChannel().IsOpen();
}

void CDeviceOptionUI::OnTimer(unsigned id) {
    StopTimer(id);
    if (m_device == nullptr) return;
    switch (id) {
        case EntryTimer::RepaintPreview:
            OnRepaintTimer();
            break;
        case EntryTimer::OpenDevice:
            OnOpenDeviceTimer();
            break;
        case EntryTimer::ReadDeviceState:
            m_device->ReadDeviceState();
            break;
        case EntryTimer::Spare1003:
            m_device->OnEntryTimer1003();
            break;
        case EntryTimer::Spare1004:
            m_device->OnEntryTimer1004();
            break;
        case EntryTimer::ReadPowerStatus:
            OnPowerStatusTimer();
            break;
        default:
            break;
    }
}

void CDeviceOptionUI::OnOpenDeviceTimer() {
    m_openPending = false;
    m_device->OpenDevice();
    StartTimer(EntryTimer::RepaintPreview, kPreviewRepaintMs);
    if (m_device->GetPowerState() != 0 && CommandChannelOpen())
        StartTimer(EntryTimer::ReadPowerStatus, kPowerStatusMs);
}

void CDeviceOptionUI::OnRepaintTimer() {
    if (!CommandChannelOpen()) return;
    const bool framesComing = m_device->IsLightThreadRunning() && m_device->LightFramesWanted();
    if (framesComing && m_previewPanel != nullptr && IsSelected() &&
        m_device->GetWindowActive() != 0)
        m_previewPanel->Invalidate();
    if (framesComing) StartTimer(EntryTimer::RepaintPreview, kPreviewRepaintMs);
}

void CDeviceOptionUI::OnPowerStatusTimer() {
    if (m_device->GetPowerState() == 0) return;
    m_device->ReadPowerStatus();
    if (m_device->GetPowerState() != 0 && CommandChannelOpen())
        StartTimer(EntryTimer::ReadPowerStatus, kPowerStatusMs);
}
