// Placeholder definitions so the tree links while the base class is implemented.
#include "device/TavrinUSBDevice.h"

#include "controls/DeviceKeyButtonUI.h"

CTavrinUSBDevice::CTavrinUSBDevice() : m_alive(std::make_shared<CTavrinUSBDevice*>(this)) {}
CTavrinUSBDevice::CTavrinUSBDevice(const std::vector<std::shared_ptr<IHidBackend>>& backends)
    : m_commandChannel(backends), m_syncChannel(backends),
      m_alive(std::make_shared<CTavrinUSBDevice*>(this)) {}
CTavrinUSBDevice::~CTavrinUSBDevice() = default;
std::string_view CTavrinUSBDevice::GetClass() const { return "TavrinUSBDevice"; }
void CTavrinUSBDevice::BindKeyLayout() {}
int CTavrinUSBDevice::ApplyLightInfo() { return 0; }
void CTavrinUSBDevice::RenderBreathing() {}
void CTavrinUSBDevice::RenderFourColourCycle() {}
void CTavrinUSBDevice::RenderStatic() {}
void CTavrinUSBDevice::RenderSpectrumCycle() {}
void CTavrinUSBDevice::RenderBlink() {}
void CTavrinUSBDevice::RenderBlinkFourColours() {}
void CTavrinUSBDevice::RenderAllOff() {}
void CTavrinUSBDevice::PushLightFrame() {}
void CTavrinUSBDevice::SetLedColour(int, std::uint32_t) {}
std::uint32_t CTavrinUSBDevice::GetLedColour(int) const { return 0; }
void CTavrinUSBDevice::OpenDevice() {}
void CTavrinUSBDevice::ReadDeviceState() {}
void CTavrinUSBDevice::OnEntryTimer1003() {}
void CTavrinUSBDevice::OnEntryTimer1004() {}
void CTavrinUSBDevice::ReadPowerStatus() {}
int CTavrinUSBDevice::LoadProfile() { return 0; }
void CTavrinUSBDevice::RefreshPanels() {}
void CTavrinUSBDevice::FixMacroKeys() {}
void CTavrinUSBDevice::LoadDefaultProfile() {}
int CTavrinUSBDevice::WriteKeyTable(int, const std::vector<KeyRecord>&) { return 0; }
int CTavrinUSBDevice::WriteCurrentKeyTable(int) { return 0; }
int CTavrinUSBDevice::DownloadMacros() { return 0; }
int CTavrinUSBDevice::WriteStateRecord(int, int, int, int, int) { return 0; }
void CTavrinUSBDevice::LoadNameLists() {}
void CTavrinUSBDevice::SetKeyMap(const std::map<int, int>& keyMap) { m_keyMap = keyMap; }
void CTavrinUSBDevice::KeyLightDecay(int, bool) {}
void CTavrinUSBDevice::KeyLightMark() {}
void CTavrinUSBDevice::KeyLightQueueShift(int, int) {}
void CTavrinUSBDevice::KeyLightClear() {}
void CTavrinUSBDevice::ShowFunctionPage(int pageType) { m_functionPage = pageType; }
int CTavrinUSBDevice::GetFunctionPage() const { return m_functionPage; }
void CTavrinUSBDevice::AssignProfileFiles() {}
std::string CTavrinUSBDevice::GetProfilePath() const { return {}; }
void CTavrinUSBDevice::SaveProfile() {}
void CTavrinUSBDevice::SetDeviceIndex(int index) { m_deviceIndex = index; }
int CTavrinUSBDevice::GetDeviceIndex() const { return m_deviceIndex; }
void CTavrinUSBDevice::SetLightInfo(std::uint32_t, std::uint32_t, std::uint32_t) {}
void CTavrinUSBDevice::SelectKey(int index) { m_selectedIndex = index; }
void CTavrinUSBDevice::RunLightSteps(std::uint64_t) {}
bool CTavrinUSBDevice::RenderLightMode(int) { return false; }
int CTavrinUSBDevice::CurrentLightMode() const { return 0; }
int CTavrinUSBDevice::CurrentLightSpeed() const { return 0; }
bool CTavrinUSBDevice::LightFramesWanted() const { return false; }
std::string_view CTavrinUSBDevice::LightThreadExitText() const { return {}; }
void CTavrinUSBDevice::OnSyncUsage(std::uint16_t) {}
unsigned CTavrinUSBDevice::SyncTimerIntervalMs() const { return 500; }
void CTavrinUSBDevice::SetKeyCount(int count) { m_keyCount = count; }
void CTavrinUSBDevice::SetLedCount(int count) { m_ledCount = count; }
void CTavrinUSBDevice::SetIdentity(const DeviceIdentity& identity) { m_identity = identity; }
void CTavrinUSBDevice::SetLightControl(int value) { m_lightControl = value; }
void CTavrinUSBDevice::SetWindowActive(int value) { m_windowActive = value; }
void CTavrinUSBDevice::SetSyncLight(int value) { m_syncLight = value; }
void CTavrinUSBDevice::SetPageShown(bool shown) { m_pageShown = shown; }
void CTavrinUSBDevice::SetPowerPanel(CControlUI* panel) { m_powerPanel = panel; }
void CTavrinUSBDevice::SetPowerState(int state) { m_powerState = state; }
bool CTavrinUSBDevice::OpenSyncChannel(const std::string&) { return false; }
void CTavrinUSBDevice::CloseSyncChannel() {}
bool CTavrinUSBDevice::StartLightThread() { return false; }
ThreadWaitResult CTavrinUSBDevice::StopLightThread() { return ThreadWaitResult::Ended; }
bool CTavrinUSBDevice::StartSyncThread() { return false; }
ThreadWaitResult CTavrinUSBDevice::StopSyncThread() { return ThreadWaitResult::Ended; }
CDeviceKeyButtonUI* CTavrinUSBDevice::GetKeyButton(int) const { return nullptr; }
CDeviceKeyButtonUI* CTavrinUSBDevice::GetLedButton(int) const { return nullptr; }
LightRecord CTavrinUSBDevice::GetLightRecord() const { return {}; }
std::vector<std::uint32_t> CTavrinUSBDevice::GetLedColours() const { return {}; }
std::vector<LedEntry> CTavrinUSBDevice::GetEffectList() const { return {}; }
int CTavrinUSBDevice::GetEffectCount() const { return 0; }
std::uint8_t CTavrinUSBDevice::GetKeyLightIntensity(int) const { return 0; }
void CTavrinUSBDevice::SetKeyLightIntensity(int, std::uint8_t) {}
std::uint8_t CTavrinUSBDevice::GetKeyLightQueue(int) const { return 0; }
void CTavrinUSBDevice::SetKeyLightQueue(int, std::uint8_t) {}
CTavrinUSBDevice::RendererState CTavrinUSBDevice::GetRendererState() const { return {}; }
void CTavrinUSBDevice::SetRendererState(const RendererState&) {}
void CTavrinUSBDevice::SetTickSource(std::function<std::uint32_t()>) {}
void CTavrinUSBDevice::SetLightClockSource(CLightStepClock::TimeSource) {}
void CTavrinUSBDevice::SetFrameFailureWait(std::function<void()>) {}
void CTavrinUSBDevice::FillLeds(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) {}
void CTavrinUSBDevice::WithLedColours(const std::function<void(std::span<std::uint32_t>)>&) {}
void CTavrinUSBDevice::WithEffectList(const std::function<void(std::vector<LedEntry>&, int&)>&) {}
void CTavrinUSBDevice::ShowLedPreviews() {}
void CTavrinUSBDevice::PostLedPreviews() {}
void CTavrinUSBDevice::PostReadStateTimer() {}
void CTavrinUSBDevice::BindKeyButton(CControlUI*) {}
std::uint32_t CTavrinUSBDevice::Now() const { return 0; }
void CTavrinUSBDevice::LightThreadBody(const CManualResetEvent&) {}
void CTavrinUSBDevice::SyncThreadBody(const CManualResetEvent&) {}
void CTavrinUSBDevice::WakeLightThread() {}
