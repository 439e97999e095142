#include "device/TavrinMouseDevice.h"

#include <algorithm>
#include <array>
#include <span>

#include "platform/Platform.h"
#include "profile/LightFiles.h"
#include "profile/MacroStore.h"
#include "profile/ProfileFolders.h"
#include "profile/ShootFiles.h"

namespace {

constexpr std::uint8_t kPowerRecordSize = 6;
constexpr std::size_t kPowerWirelessByte = 3;
constexpr int kMouseReportRates = 5;

}  // namespace

CTavrinMouseDevice::CTavrinMouseDevice() = default;

CTavrinMouseDevice::CTavrinMouseDevice(const std::vector<std::shared_ptr<IHidBackend>>& backends)
    : CTavrinUSBDevice(backends) {}

CTavrinMouseDevice::~CTavrinMouseDevice() {
    StopThreads();
}

// ---- Link ----

bool CTavrinMouseDevice::LinkUsable() {
    CCommandChannel& channel = CommandChannel();
    return !channel.WirelessMode() || channel.QueryLink();
}

bool CTavrinMouseDevice::RereadDeviceInfo() {
    CCommandChannel& channel = CommandChannel();
    if (!channel.IsOpen()) return true;
    if (!LinkUsable()) return false;
    // A failed read keeps the block read before.
    DeviceInfoBlock info{};
    if (channel.ReadDeviceInfo(info) == kResultOk) DeviceInfo() = info;
    return true;
}

// ---- Open ----

void CTavrinMouseDevice::ReadKeyTableAtOpen() {
    CCommandChannel& channel = CommandChannel();
    const int begin = channel.BeginTransfer();
    DeviceInfoBlock info{};
    const int infoResult = channel.ReadDeviceInfo(info);
    if (infoResult == kResultOk) DeviceInfo() = info;
    const int slotCount = DeviceInfo()[InfoOffset::KeySlotCount];
    if (infoResult != kResultOk || !MouseKeySlotCountAccepted(slotCount) ||
        !channel.SetBlockSize(static_cast<std::uint16_t>(slotCount * kKeySlotBytes))) {
        // The transaction was begun; it is ended even without a table.
        channel.EndTransfer();
        return;
    }
    std::array<std::uint8_t, kMaxBlockSize> block{};
    const int read = channel.ReadKeyBlock(block);
    channel.EndTransfer();
    if (begin != kResultOk || read != kResultOk) return;
    const auto image = MakeKeyTableImage(
        std::span(block).first(static_cast<std::size_t>(slotCount) * kKeySlotBytes), slotCount);
    if (!image) return;
    auto map = BuildButtonSlotMap(
        std::span(image->bytes).first(static_cast<std::size_t>(slotCount) * kKeySlotBytes),
        slotCount);
    if (!map) return;
    m_keyTable = image;
    m_slotMap = std::move(*map);
}

void CTavrinMouseDevice::OpenDevice() {
    if (CommandChannel().IsOpen() && LinkUsable()) ReadKeyTableAtOpen();
    // The DPI slider and edit ranges belong to the stage panel (kMouseDpiSliderMax,
    // kMouseDpiEditMax); it sets them when it binds to this device.
    LoadProfile();
    RefreshPanels();
    StartLightThread();
}

// ---- State record ----

MouseStateRecord CTavrinMouseDevice::StateMirror() const {
    const std::scoped_lock lock(m_mirrorLock);
    return m_mirror;
}

void CTavrinMouseDevice::StoreStateMirror(const MouseStateRecord& record) {
    const std::scoped_lock lock(m_mirrorLock);
    m_mirror = record;
    m_mirrorMode.store(record[MouseRecordOffset::LightMode]);
    m_mirrorSpeed.store(record[MouseRecordOffset::Speed]);
}

void CTavrinMouseDevice::ReadDeviceState() {
    SetSyncLight(0);
    CCommandChannel& channel = CommandChannel();
    if (!channel.IsOpen() || !LinkUsable()) return;
    std::array<std::uint8_t, 1> slot{};
    if (channel.ReadMemory(0, slot) != kResultOk) return;
    std::array<std::uint8_t, kMouseStateReadSize> bytes{};
    const auto offset = static_cast<std::uint16_t>(slot[0] * kMouseProfileSlotBytes);
    if (!LinkUsable() || channel.ReadMemory(offset, bytes) != kResultOk) return;

    const bool wireless = channel.WirelessMode();
    const MouseStateReadBack back =
        ParseMouseStateRecord(MouseStateRead(bytes), slot[0], wireless, m_stages.size());
    MouseStateRecord mirror = StateMirror();
    UpdateStateMirror(mirror, MouseStateRead(bytes), back);
    StoreStateMirror(mirror);
    const LightRecord light = TakeBackLight(back, GetLightRecord());
    const auto words = light.ToWords();
    CTavrinUSBDevice::SetLightInfo(words.first, words.second, words.third);
    if (back.activeStage)
        m_profile.Sections().SetActiveStage(m_profile.DeviceRecord(), *back.activeStage);
    m_profile.StoreLightInfo(light);
    SaveProfile();
    RefreshPanels();
}

int CTavrinMouseDevice::WriteStateRecord(int profileSlot, int byte0Value, int /*flag*/,
                                         int /*screenWidth*/, int /*screenHeight*/) {
    CCommandChannel& channel = CommandChannel();
    const bool wireless = channel.WirelessMode();
    const int active = GetActiveStage();
    MouseStateRecord record =
        ComposeMouseStateRecord(GetLightRecord(), static_cast<std::uint8_t>(GetReportRateIndex()),
                                m_stages, static_cast<std::uint8_t>(active), wireless);
    record[MouseRecordOffset::CurrentSlot] = static_cast<std::uint8_t>(byte0Value);
    // The mirror keeps the speed as the object counts it; only the wire is inverted.
    MouseStateRecord mirror = record;
    mirror[MouseRecordOffset::Speed] = std::min(GetLightRecord().speed, kMouseMaxLevel);
    StoreStateMirror(mirror);
    constexpr int kLastSlot =
        static_cast<int>((0xFFFF - kMouseStateRecordSize) / kMouseProfileSlotBytes);
    if (profileSlot < 0 || profileSlot > kLastSlot) return 0;  // 16-bit offsets
    const auto offset = static_cast<std::uint16_t>(profileSlot * kMouseProfileSlotBytes);

    if (!LinkUsable()) return 0;
    const int begin = channel.BeginTransfer();
    if (!LinkUsable()) return 0;
    const int write = channel.WriteMemory(offset, record);
    if (!LinkUsable()) return 0;
    const int end = channel.EndTransfer();
    const bool ok = begin == kResultOk && write == kResultOk && end == kResultOk;
    if (!ok) DebugOutput("mouse state record not written");
    return ok ? 1 : 0;
}

// ---- Key table ----

int CTavrinMouseDevice::WriteKeyTable(int profileSlot, const std::vector<KeyRecord>& keys) {
    CCommandChannel& channel = CommandChannel();
    // Only slot 0 holds a key table; the rest of the transaction would be wasted.
    if (profileSlot != 0 || !channel.IsOpen() || !m_keyTable) return 0;
    if (!LinkUsable()) return 0;
    DeviceInfoBlock info{};
    if (channel.ReadDeviceInfo(info) != kResultOk) return 0;
    DeviceInfo() = info;
    const auto table =
        ComposeKeyTable(*m_keyTable, info[InfoOffset::KeySlotCount], m_slotMap, keys);
    if (!table) return 0;
    if (!LinkUsable()) return 0;
    const int begin = channel.BeginTransfer();
    if (!LinkUsable()) return 0;
    const int write = channel.WriteKeyBlock(*table, profileSlot);
    if (!LinkUsable()) return 0;
    const int end = channel.EndTransfer();
    const bool ok = begin == kResultOk && write == kResultOk && end == kResultOk;
    if (!ok) DebugOutput("mouse key table not written");
    return ok ? 1 : 0;
}

int CTavrinMouseDevice::WriteCurrentKeyTable(int profileSlot) {
    const std::vector<KeyRecord> keys = m_keys;
    return WriteKeyTable(profileSlot, keys);
}

// ---- Macros and shoot patterns ----

int CTavrinMouseDevice::DownloadMacros() {
    if (!RereadDeviceInfo()) return 0;
    const CMacroStore store(GetProfileFolder(), MacroListFileName(GetKindName()));
    const std::vector<MacroInfo> list = store.List();
    if (list.empty()) return 0;
    std::vector<std::vector<MacroEvent>> macros;
    macros.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        macros.push_back(store.Events(static_cast<int>(i)));
    const std::size_t size = MacroImageSize(macros);
    const int overflow = MacroImageOverflow(size, static_cast<std::size_t>(MacroCapacityBytes()));
    if (overflow > 0) return overflow;
    const auto image = BuildMacroImage(macros);
    if (!image) return -1;
    CCommandChannel& channel = CommandChannel();
    if (!LinkUsable()) return -1;
    const int begin = channel.BeginTransfer();
    if (!LinkUsable()) return -1;
    const int write = channel.WriteMacroData(*image);
    if (!LinkUsable()) return -1;
    const int end = channel.EndTransfer();
    if (begin != kResultOk || write != kResultOk || end != kResultOk)
        DebugOutput("mouse macros not written");
    return 0;
}

int CTavrinMouseDevice::DownloadShoot() {
    if (!RereadDeviceInfo()) return 0;
    const CShootFiles files(GetProfileFolder(), GetDefaultDataFolder());
    const auto image = files.BuildImage();
    if (!image) return 0;
    CCommandChannel& channel = CommandChannel();
    if (!LinkUsable()) return 0;
    const int begin = channel.BeginTransfer();
    if (!LinkUsable()) return 0;
    const int write = channel.WriteShootData(*image);
    if (!LinkUsable()) return 0;
    const int end = channel.EndTransfer();
    if (begin != kResultOk || write != kResultOk || end != kResultOk)
        DebugOutput("mouse shoot patterns not written");
    return 0;
}

// ---- Power ----

void CTavrinMouseDevice::ReadPowerStatus() {
    CCommandChannel& channel = CommandChannel();
    if (!channel.IsOpen()) return;
    std::array<std::uint8_t, kPowerRecordSize> record{};
    if (channel.ReadShort(kPowerRecordSize, 0, record) != kResultOk) return;
    record[kPowerWirelessByte] = channel.WirelessMode() ? 1 : 0;
    m_power = record;
    if (auto* view = dynamic_cast<IDevicePowerView*>(GetPowerPanel()))
        view->ShowPowerStatus(record);
}

// ---- Profile ----

void CTavrinMouseDevice::AssignProfileFiles() {
    const std::string folder = GetProfileFolder();
    m_profile.SetProfilePath(ProfileFilePath(folder, GetProfileText()));
    m_profile.SetLightConfigPath(FileInFolder(folder, GetLightConfigStem() + ".config"));
}

std::string CTavrinMouseDevice::GetProfilePath() const {
    return m_profile.GetProfilePath();
}

void CTavrinMouseDevice::SaveProfile() {
    if (!m_profile.SaveRecord()) DebugOutput("mouse profile not saved");
}

void CTavrinMouseDevice::TakeDpiAndSystemValues() {
    CMouseSections& sections = m_profile.Sections();
    m_stages = sections.GetDpiStages(m_profile.DeviceRecord());
    if (m_stages.size() > kMouseDpiStages) m_stages.resize(kMouseDpiStages);
    m_system = sections.GetSystemValues(m_profile.DeviceRecord());
    m_keys = m_profile.LoadKeyList();
}

int CTavrinMouseDevice::LoadProfile() {
    m_profile.SetDefaultProfilePath(GetDefaultProfilePath());
    AssignProfileFiles();
    m_profile.LoadDeviceRecord(m_profile.GetProfilePath());
    TakeDpiAndSystemValues();
    ApplyLightInfo();
    return 1;
}

void CTavrinMouseDevice::LoadDefaultProfile() {
    m_profile.SetDefaultProfilePath(GetDefaultProfilePath());
    const Json::Value record = m_profile.LoadDeviceRecord(GetDefaultProfilePath());
    (void)record;
    TakeDpiAndSystemValues();
    ApplyLightInfo();
    SaveProfile();
    RefreshPanels();
}

void CTavrinMouseDevice::SetDeviceIndex(int index) {
    CTavrinUSBDevice::SetDeviceIndex(index);
    m_profile.SetRecordIndex(0);
}

void CTavrinMouseDevice::SetLightInfo(std::uint32_t first, std::uint32_t second,
                                      std::uint32_t third) {
    CTavrinUSBDevice::SetLightInfo(first, second, third);
    m_profile.StoreLightInfo(LightRecord::FromWords(first, second, third));
}

void CTavrinMouseDevice::SetDpiStage(int stage, const DpiStage& value) {
    if (stage < 0 || stage >= static_cast<int>(kMouseDpiStages)) return;
    if (m_stages.size() <= static_cast<std::size_t>(stage))
        m_stages.resize(static_cast<std::size_t>(stage) + 1);
    m_stages[static_cast<std::size_t>(stage)] = value;
    m_profile.Sections().SetDpiStages(m_profile.DeviceRecord(), m_stages);
}

void CTavrinMouseDevice::SetActiveStage(int stage) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size())) return;
    m_profile.Sections().SetActiveStage(m_profile.DeviceRecord(), stage);
}

void CTavrinMouseDevice::SetSystemValues(const SystemValues& values) {
    m_system = values;
    m_profile.Sections().SetSystemValues(m_profile.DeviceRecord(), values);
}

void CTavrinMouseDevice::SetReportRateIndex(int index) {
    if (index < 0 || index >= kMouseReportRates) return;
    SystemValues values = m_system;
    values.third =
        SystemValues::Pack(SystemValues::Low(values.third), static_cast<std::uint16_t>(index));
    SetSystemValues(values);
}

// ---- Lighting ----

int CTavrinMouseDevice::ApplyLightInfo() {
    const LightRecord light = m_profile.LoadLightInfo();
    const auto words = light.ToWords();
    CTavrinUSBDevice::SetLightInfo(words.first, words.second, words.third);

    MouseStateRecord mirror = StateMirror();
    const bool modeChanged = mirror[MouseRecordOffset::LightMode] != light.mode;
    mirror[MouseRecordOffset::LightMode] = light.mode;
    mirror[MouseRecordOffset::Brightness] = light.brightness;
    mirror[MouseRecordOffset::Speed] = light.speed;
    mirror[MouseRecordOffset::Multicolour] = light.multiColour;
    mirror[MouseRecordOffset::Red] = light.red;
    mirror[MouseRecordOffset::Green] = light.green;
    mirror[MouseRecordOffset::Blue] = light.blue;
    StoreStateMirror(mirror);
    if (modeChanged) {
        KeyLightClear();
        KeyLightMark();
    }
    {
        const std::scoped_lock lock(m_lightListLock);
        m_profile.LoadLightList();
    }
    m_profile.LightConfig() = LoadLightConfig(m_profile.GetLightConfigPath());
    const std::vector<LedEffect> effects =
        ReadEffectList(m_profile.LightConfig(), GetDeviceIndex(), light.mode,
                       BuiltInModeCount(GetDeviceIndex()), EffectFolder());
    WithEffectList(
        [&](std::vector<LedEntry>&, int& count) { count = static_cast<int>(effects.size()); });
    {
        const std::scoped_lock lock(m_effectListLock);
        m_profile.LedEffects() = effects;
    }
    return 1;
}

int CTavrinMouseDevice::CurrentLightMode() const {
    return m_mirrorMode.load();
}

int CTavrinMouseDevice::CurrentLightSpeed() const {
    // The mirror holds the speed as the object counts it, on either link.
    return m_mirrorSpeed.load();
}

std::string_view CTavrinMouseDevice::LightThreadExitText() const {
    return "MS灯光线程设定退出";
}

// ---- Names and panels ----

void CTavrinMouseDevice::LoadNameLists() {
    const CMacroStore store(GetProfileFolder(), MacroListFileName(GetKindName()));
    m_macroNames = store.Names();
    const int index = GetDeviceIndex();
    const std::vector<LightModeName> builtIn =
        LoadBuiltInModeNames(FileInFolder(GetDefaultDataFolder(), "default_light.json"), index);
    if (!builtIn.empty()) {
        m_builtInNames.clear();
        m_builtInVisible.clear();
        for (const LightModeName& name : builtIn) {
            m_builtInNames.push_back(name.name);
            m_builtInVisible.push_back(name.visible ? 1 : 0);
        }
    }
    const std::vector<std::string> custom = ReadCustomModeNames(m_profile.LightConfig(), index);
    if (!custom.empty()) m_customNames = custom;
}

void CTavrinMouseDevice::RefreshPanels() {
    LoadNameLists();
    ShowDpiControls();
    // The key, lighting and shoot panels read the object when they refresh themselves.
}

// The page's controls are looked up once, when the page is in a window.
void CTavrinMouseDevice::ShowDpiControls() {
    if (!m_dpiPanelBound && GetManager() != nullptr) {
        m_dpiPanel.Bind(*GetManager(), this);
        m_dpiPanelBound = true;
    }
    m_dpiPanel.SetDeviceLimits(DpiStep(), MinimumDpi());
    m_dpiPanel.SetActiveStage(GetActiveStage());
    const std::size_t shown = std::min<std::size_t>(m_stages.size(), kDpiStageCount);
    for (std::size_t n = 0; n < shown; ++n) {
        m_dpiPanel.ShowStageEnabled(static_cast<int>(n), true);
        m_dpiPanel.ShowStageDpi(static_cast<int>(n), m_stages[n].dpiX);
    }
    using SV = SystemValues;
    m_dpiPanel.ShowPointerSpeed(SV::High(m_system.first));
    m_dpiPanel.ShowDoubleClick(SV::Low(m_system.first));
    m_dpiPanel.ShowPointerPrecision(SV::Low(m_system.second) != 0);
    m_dpiPanel.ShowScroll(SV::High(m_system.second), SV::Low(m_system.third));
    m_dpiPanel.ShowPollingRate(SV::High(m_system.third));
}

void CTavrinMouseDevice::OnPanelRoute(PanelKind kind, const PanelRoute& route) {
    if (kind != PanelKind::DpiPointer) return;
    if (!m_dpiPanelBound) ShowDpiControls();
    std::vector<DpiStage> stages = m_stages;
    SystemValues values = m_system;
    const PanelOutcome outcome = HandleDpiRoute(route, stages, values);
    if (outcome == PanelOutcome::None) return;
    for (std::size_t n = 0; n < stages.size(); ++n) SetDpiStage(static_cast<int>(n), stages[n]);
    SetSystemValues(values);
    SaveProfile();
    if (outcome == PanelOutcome::SaveAndWriteDevice) WriteStateRecord(0, 0, 1, 0, 0);
}

PanelOutcome CTavrinMouseDevice::HandleDpiRoute(const PanelRoute& route,
                                                std::vector<DpiStage>& stages,
                                                SystemValues& values) {
    const std::string_view name = route.name;
    const int n = route.number;
    if (route.type == "selectchanged") {
        if (name.starts_with("DPI_enable_check_"))
            return OnStageCheckClicked(m_dpiPanel, n, stages);
        if (name.starts_with("polling_rate_option_"))
            return OnPollingOptionClicked(m_dpiPanel, n, values);
        if (name == "pointer_precision_check")
            return OnPointerControlChanged(m_dpiPanel, PointerControl::Precision, values);
        if (name == "scrolls_page_check")
            return OnPointerControlChanged(m_dpiPanel, PointerControl::ScrollPage, values);
    } else if (route.type == "valuechanged") {
        if (name.starts_with("DPI_slider_")) return OnStageSliderChanged(m_dpiPanel, n, stages);
        if (name == "pointer_speed_slider")
            return OnPointerControlChanged(m_dpiPanel, PointerControl::Speed, values);
        if (name == "scroll_speed_slider")
            return OnPointerControlChanged(m_dpiPanel, PointerControl::ScrollLines, values);
        if (name == "double_click_slider")
            return OnPointerControlChanged(m_dpiPanel, PointerControl::DoubleClick, values);
    } else if (route.type == "movevaluechanged") {
        if (name.starts_with("DPI_slider_")) return OnStageSliderMoving(m_dpiPanel, n);
    } else if (route.type == "killfocus") {
        if (name.starts_with("DPI_edit_")) return OnStageEditCommitted(m_dpiPanel, n, stages);
    }
    return PanelOutcome::None;
}

void CTavrinMouseDevice::FixMacroKeys() {
    // The store as it is now: it runs right after a profile switch, before the lists
    // are reloaded.
    const CMacroStore store(GetProfileFolder(), MacroListFileName(GetKindName()));
    const std::size_t macroCount = store.Names().size();
    bool changed = false;
    for (KeyRecord& key : m_keys) {
        const bool macro = key.current.type == 0x70 || key.current.type == 0x71;
        if (macro && key.current.param1 >= macroCount) {
            const std::uint16_t position = key.current.position;
            key.current = key.defaults;
            key.current.position = position;
            changed = true;
        }
    }
    // The key panel shows the change when it is refreshed.
    if (changed) m_profile.StoreKeyList(m_keys);
}

void CTavrinMouseDevice::BuildPanels() {
    // The profile, lighting, macro, key and shoot panels attach here once they exist.
    LoadNameLists();
}
