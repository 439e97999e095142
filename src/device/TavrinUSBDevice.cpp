// The device base class: identity, channels, lists, page binding and the operations with
// their base behaviour. Renderers: DeviceRenderers.cpp; ripple state: KeyLightRipple.cpp;
// threads: DeviceThreads.cpp.
#include "device/TavrinUSBDevice.h"

#include <algorithm>
#include <charconv>

#include "controls/DeviceKeyButtonUI.h"
#include "platform/Platform.h"
#include "profile/ProfileFolders.h"

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;  // red, green and blue 255

// "key_12" -> ("key_", 12). False when the name has no underscore or no plain decimal
// number after its last one.
bool SplitNumberedName(std::string_view name, std::string_view& prefix, int& number) {
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos) return false;
    const std::string_view digits = name.substr(underscore + 1);
    if (digits.empty()) return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number < 0) return false;
    prefix = name.substr(0, underscore + 1);
    return true;
}

}  // namespace

CTavrinUSBDevice::CTavrinUSBDevice()
    : m_alive(std::make_shared<CTavrinUSBDevice*>(this)), m_aliveToken(m_alive) {
    m_tickSource = TickCount;
}

CTavrinUSBDevice::CTavrinUSBDevice(const std::vector<std::shared_ptr<IHidBackend>>& backends)
    : m_commandChannel(backends),
      m_syncChannel(backends),
      m_alive(std::make_shared<CTavrinUSBDevice*>(this)),
      m_aliveToken(m_alive) {
    m_tickSource = TickCount;
}

CTavrinUSBDevice::~CTavrinUSBDevice() {
    m_alive.reset();  // calls posted by the workers find the device gone
    StopThreads();
    m_commandChannel.Close();
}

std::string_view CTavrinUSBDevice::GetClass() const {
    return "TavrinUSBDevice";
}

// ---- Page binding ----

void CTavrinUSBDevice::BindKeyLayout() {
    if (m_pageLayoutName.empty()) {
        SetKeyCount(0);
        SetLedCount(0);
        return;
    }
    std::fill(m_keyButtons.begin(), m_keyButtons.end(), nullptr);
    std::fill(m_ledButtons.begin(), m_ledButtons.end(), nullptr);
    m_keyLayoutPanel = nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child && child->IsClass("SelectPanel")) {
            m_keyLayoutPanel = child;
            break;
        }
    }
    auto* panel = dynamic_cast<CContainerUI*>(m_keyLayoutPanel);
    if (!panel) return;
    for (int i = 0; i < panel->GetCount(); ++i) BindKeyButton(panel->GetItemAt(i));
}

void CTavrinUSBDevice::BindKeyButton(CControlUI* control) {
    if (!control || !control->IsClass("DeviceKeyButton")) return;
    auto* button = dynamic_cast<CDeviceKeyButtonUI*>(control);
    std::string_view prefix;
    int number = 0;
    if (!button || !SplitNumberedName(button->GetName(), prefix, number)) return;
    if (prefix == "key_" && number < m_keyCount) {
        m_keyButtons[static_cast<std::size_t>(number)] = button;
    } else if (prefix == "light_" && number < m_ledCount) {
        m_ledButtons[static_cast<std::size_t>(number)] = button;
        button->SetLight(kWhite, 255, true);
    }
}

CDeviceKeyButtonUI* CTavrinUSBDevice::GetKeyButton(int index) const {
    return index >= 0 && index < static_cast<int>(m_keyButtons.size())
               ? m_keyButtons[static_cast<std::size_t>(index)]
               : nullptr;
}

CDeviceKeyButtonUI* CTavrinUSBDevice::GetLedButton(int index) const {
    return index >= 0 && index < static_cast<int>(m_ledButtons.size())
               ? m_ledButtons[static_cast<std::size_t>(index)]
               : nullptr;
}

// ---- Lists and counts ----

void CTavrinUSBDevice::SetKeyCount(int count) {
    count = std::max(count, 0);
    if (count == m_keyCount) return;
    m_keyButtons.resize(static_cast<std::size_t>(count), nullptr);
    m_keyCount = count;
}

void CTavrinUSBDevice::SetLedCount(int count) {
    count = std::max(count, 0);
    const auto size = static_cast<std::size_t>(count);
    {
        const std::scoped_lock lock(m_ledLock);
        if (count != m_ledCount) {
            m_ledButtons.resize(size, nullptr);
            m_ledColours.resize(size);
        }
        std::fill(m_ledColours.begin(), m_ledColours.end(), 0u);
        m_ledCount = count;
    }
    const std::scoped_lock lock(m_effectListLock);
    if (m_effectList.size() != size) m_effectList.resize(size);
    std::fill(m_effectList.begin(), m_effectList.end(), LedEntry{});
    m_effectCount = std::min(m_effectCount, count);
}

void CTavrinUSBDevice::SetLedColour(int index, std::uint32_t colour) {
    const std::scoped_lock lock(m_ledLock);
    if (index >= 0 && index < static_cast<int>(m_ledColours.size()))
        m_ledColours[static_cast<std::size_t>(index)] = colour;
}

std::uint32_t CTavrinUSBDevice::GetLedColour(int index) const {
    const std::scoped_lock lock(m_ledLock);
    return index >= 0 && index < static_cast<int>(m_ledColours.size())
               ? m_ledColours[static_cast<std::size_t>(index)]
               : 0u;
}

std::vector<std::uint32_t> CTavrinUSBDevice::GetLedColours() const {
    const std::scoped_lock lock(m_ledLock);
    return m_ledColours;
}

void CTavrinUSBDevice::WithLedColours(const std::function<void(std::span<std::uint32_t>)>& write) {
    const std::scoped_lock lock(m_ledLock);
    write(m_ledColours);
}

void CTavrinUSBDevice::FillLeds(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                std::uint8_t intensity) {
    const std::uint32_t colour = PackLedColour(red, green, blue, intensity);
    const std::scoped_lock lock(m_ledLock);
    std::fill(m_ledColours.begin(), m_ledColours.end(), colour);
}

std::vector<LedEntry> CTavrinUSBDevice::GetEffectList() const {
    const std::scoped_lock lock(m_effectListLock);
    return m_effectList;
}

int CTavrinUSBDevice::GetEffectCount() const {
    const std::scoped_lock lock(m_effectListLock);
    return m_effectCount;
}

void CTavrinUSBDevice::WithEffectList(
    const std::function<void(std::vector<LedEntry>&, int& count)>& use) {
    const std::scoped_lock lock(m_effectListLock);
    use(m_effectList, m_effectCount);
}

// ---- Identity and settings ----

void CTavrinUSBDevice::SetIdentity(const DeviceIdentity& identity) {
    m_identity = identity;
    m_kindCode = identity.kindCode;
    m_subKind = identity.subKind;
}

void CTavrinUSBDevice::SetLightControl(int value) {
    m_lightControl.store(value);
    WakeLightThread();
}

void CTavrinUSBDevice::SetWindowActive(int value) {
    m_windowActive.store(value);
    WakeLightThread();
}

void CTavrinUSBDevice::SetSyncLight(int value) {
    m_syncLight.store(value);
    WakeLightThread();
}

void CTavrinUSBDevice::SetPageShown(bool shown) {
    m_pageShown.store(shown);
    WakeLightThread();
}

void CTavrinUSBDevice::SetPowerPanel(CControlUI* panel) {
    m_powerPanel = panel;
    if (auto* view = dynamic_cast<IDevicePowerView*>(panel)) view->ShowPowerLayout(m_powerState);
}

void CTavrinUSBDevice::SetPowerState(int state) {
    m_powerState = state;
    if (auto* view = dynamic_cast<IDevicePowerView*>(m_powerPanel))
        view->ShowPowerLayout(m_powerState);
}

void CTavrinUSBDevice::SetLightInfo(std::uint32_t first, std::uint32_t second,
                                    std::uint32_t third) {
    const std::scoped_lock lock(m_lightRecordLock);
    m_lightRecord = LightRecord::FromWords(first, second, third);
}

LightRecord CTavrinUSBDevice::GetLightRecord() const {
    const std::scoped_lock lock(m_lightRecordLock);
    return m_lightRecord;
}

void CTavrinUSBDevice::SetKeyMap(const std::map<int, int>& keyMap) {
    m_keyMap = keyMap;
}

void CTavrinUSBDevice::SelectKey(int index) {
    m_selectedIndex = index;
}

void CTavrinUSBDevice::SetDeviceIndex(int index) {
    m_deviceIndex = index;
}

int CTavrinUSBDevice::GetDeviceIndex() const {
    return m_deviceIndex;
}

// ---- Function pages ----

void CTavrinUSBDevice::ShowFunctionPage(int pageType) {
    m_functionPage = pageType;
    const auto byName = [this](std::string_view name) {
        return FindControl([name](CControlUI* c) { return c->GetName() == name; });
    };
    if (!m_functionSwitch) m_functionSwitch = byName("device_function_switch");
    if (!m_keyFunctionSwitch) m_keyFunctionSwitch = byName("device_key_function_switch");
    auto* pages = dynamic_cast<CTabLayoutUI*>(m_functionSwitch);
    auto* keyPages = dynamic_cast<CTabLayoutUI*>(m_keyFunctionSwitch);
    if (!pages || !keyPages) return;

    constexpr int kUnchanged = -1;
    int page = 0;
    int keyPage = 0;
    const bool keyedKind =
        m_kindCode == kKindKeyboard || m_kindCode == kKindMouse || m_kindCode == kKindWirelessMouse;
    switch (pageType) {
        case 2:
        case 6:
            page = 0;
            keyPage = 1;
            break;
        case 3:
        case 8:
            page = 1;
            keyPage = kUnchanged;
            break;
        case 4:
            page = keyedKind ? 3 : 0;
            keyPage = keyedKind ? kUnchanged : 2;
            break;
        case 7:
            page = 0;
            keyPage = 2;
            break;
        case 5:
            page = 2;
            keyPage = kUnchanged;
            break;
        default:
            break;
    }
    pages->SelectItem(page);
    if (keyPage != kUnchanged) keyPages->SelectItem(keyPage);
}

int CTavrinUSBDevice::GetFunctionPage() const {
    return m_functionPage;
}

// ---- Operations the kinds override; the base does nothing ----

int CTavrinUSBDevice::ApplyLightInfo() {
    return 0;
}
void CTavrinUSBDevice::OpenDevice() {}
void CTavrinUSBDevice::ReadDeviceState() {}
void CTavrinUSBDevice::OnEntryTimer1003() {}
void CTavrinUSBDevice::OnEntryTimer1004() {}
void CTavrinUSBDevice::ReadPowerStatus() {}
int CTavrinUSBDevice::LoadProfile() {
    return 0;
}
void CTavrinUSBDevice::RefreshPanels() {}
void CTavrinUSBDevice::FixMacroKeys() {}
void CTavrinUSBDevice::LoadDefaultProfile() {}
int CTavrinUSBDevice::WriteKeyTable(int, const std::vector<KeyRecord>&) {
    return 0;
}
int CTavrinUSBDevice::WriteCurrentKeyTable(int) {
    return 0;
}
int CTavrinUSBDevice::DownloadMacros() {
    return 0;
}
int CTavrinUSBDevice::WriteStateRecord(int, int, int, int, int) {
    return 0;
}
void CTavrinUSBDevice::LoadNameLists() {}
void CTavrinUSBDevice::AssignProfileFiles() {}
std::string CTavrinUSBDevice::GetProfilePath() const {
    return {};
}
void CTavrinUSBDevice::SaveProfile() {}

// ---- Clocks ----

void CTavrinUSBDevice::SetTickSource(std::function<std::uint32_t()> source) {
    m_tickSource = source ? std::move(source) : std::function<std::uint32_t()>(TickCount);
}

void CTavrinUSBDevice::SetLightClockSource(CLightStepClock::TimeSource source) {
    m_lightClockSource = std::move(source);
}

std::uint32_t CTavrinUSBDevice::Now() const {
    return m_tickSource();
}

std::string CTavrinUSBDevice::GetProfileFolder() const {
    return ::GetProfileFolder(m_kindName);
}

std::string CTavrinUSBDevice::GetDefaultDataFolder() const {
    return ::GetDefaultDataFolder();
}

std::string CTavrinUSBDevice::GetDefaultProfilePath() const {
    return ::GetDefaultProfilePath(m_kindName);
}
