#pragma once
// CTavrinMouseDevice: the gaming mouse. Everything is kept in device profile slot 0;
// the slot the device names as current is only read. The object owns the mouse profile,
// the information block read at open, the key table image with its button slot map, and
// a mirror of the last state record composed or read, which the light thread renders from.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/TavrinUSBDevice.h"
#include "device/mouse/MouseDpiPanel.h"
#include "device/mouse/MouseKeyTable.h"
#include "device/mouse/MouseStateRecord.h"
#include "panels/PanelRoute.h"
#include "profile/KeyRecords.h"
#include "profile/ProfileData.h"

inline constexpr int kMouseKindCode = 2;
// The DPI controls of the stage panel: slider indexes and edit values.
inline constexpr int kMouseDpiSliderMax = 73;
inline constexpr int kMouseDpiEditMax = 10000;
inline constexpr std::size_t kMouseRippleZones = 9;
inline constexpr std::size_t kMouseRippleQueue = 23;  // calls per ripple pass
inline constexpr int kMouseFlowWheelPeriod = 192;
inline constexpr int kMouseFlowWavePeriod = 96;

// The DPI and pointer settings have no panel class of their own: their controls sit on
// the mouse page and the mouse object shows and handles them.
class CTavrinMouseDevice : public CTavrinUSBDevice, public IRoutedPanel {
public:
    CTavrinMouseDevice();
    explicit CTavrinMouseDevice(const std::vector<std::shared_ptr<IHidBackend>>& backends);
    ~CTavrinMouseDevice() override;

    std::string_view GetClass() const override { return "TavrinUSBDevice"; }

    // ---- Operations of the base ----
    // Reads "LightInfo" into the object and the mirror, the light list and the custom
    // mode's effect list. Returns 1.
    int ApplyLightInfo() override;
    // Begin, information block, key table, end, slot map; then LoadProfile,
    // RefreshPanels and the light thread.
    void OpenDevice() override;
    // The current slot byte, then 42 bytes of that slot. Only a state read whole
    // changes the object and the profile.
    void ReadDeviceState() override;
    void ReadPowerStatus() override;
    int LoadProfile() override;  // 1
    void RefreshPanels() override;
    void FixMacroKeys() override;
    void LoadDefaultProfile() override;
    // Slot must be 0. 1 when every command of the transaction succeeded, else 0; nothing
    // is sent without a key table read whole with the slot count the device reports now.
    int WriteKeyTable(int profileSlot, const std::vector<KeyRecord>& keys) override;
    int WriteCurrentKeyTable(int profileSlot) override;
    // 0 when sent or nothing to send, the overflow count when the store is too big for
    // the device, -1 when the link is lost after the image was built.
    int DownloadMacros() override;
    // Composes the 66-byte record from the profile and writes it at slot × 128.
    // 1 when begin, write and end all succeeded, else 0. Flag and screen size have no
    // place in the record.
    int WriteStateRecord(int profileSlot, int byte0Value, int flag, int screenWidth,
                         int screenHeight) override;
    void LoadNameLists() override;
    void AssignProfileFiles() override;
    std::string GetProfilePath() const override;
    void SaveProfile() override;
    void SetDeviceIndex(int index) override;
    void SetLightInfo(std::uint32_t first, std::uint32_t second, std::uint32_t third) override;

    // ---- The DPI and pointer controls of the page ----
    bool ServesPanel(PanelKind kind) const override { return kind == PanelKind::DpiPointer; }
    void OnPanelRoute(PanelKind kind, const PanelRoute& route) override;
    CMouseDpiPanel& DpiPanel() { return m_dpiPanel; }
    // Shows the profile's stages, polling rate and pointer values in the page's controls.
    void ShowDpiControls();

    // ---- The mouse's own ----
    // Finds the page controls and initialises the panels; a hook until the panels exist.
    void BuildPanels();
    LightRecord GetLightInfo() const { return GetLightRecord(); }
    // The four recoil patterns; 0, also when nothing could be sent (see the diagnostics).
    int DownloadShoot();
    // Light renderers; they write the LED colour buffer only.
    void RenderFlow();
    void RenderRipple();

    // Profile and device values for the panels.
    CMouseProfiledata& Profile() { return m_profile; }
    const CMouseProfiledata& Profile() const { return m_profile; }
    int KeySlotCount() const { return DeviceInfo()[InfoOffset::KeySlotCount]; }
    int MacroCapacityBytes() const {
        return DeviceInfo()[InfoOffset::MacroCapacity] * static_cast<int>(kMacroCapacityUnit);
    }
    int DpiStep() const { return DeviceInfo()[InfoOffset::DpiStep]; }
    int MinimumDpi() const { return GetLe16(DeviceInfo(), InfoOffset::MinimumDpi); }
    // Entry b: the device slot of logical button b, kNoKeySlot when none.
    const std::vector<std::uint8_t>& ButtonSlotMap() const { return m_slotMap; }
    bool HasKeyTable() const { return m_keyTable.has_value(); }
    const std::vector<KeyRecord>& KeyRecords() const { return m_keys; }
    MouseStateRecord StateMirror() const;
    // The last power record read (byte 3 = wireless flag); empty before the first read.
    const std::optional<std::array<std::uint8_t, 6>>& PowerRecord() const { return m_power; }

    // DPI stages, active stage and system values as last loaded or set. The setters
    // change the profile's device record only; SaveProfile and WriteStateRecord follow.
    const std::vector<DpiStage>& DpiStages() const { return m_stages; }
    void SetDpiStage(int stage, const DpiStage& value);  // stages 0..4; others ignored
    int GetActiveStage() { return m_profile.Sections().GetActiveStage(); }
    void SetActiveStage(int stage);  // below the stage count, else ignored
    const SystemValues& GetSystemValues() const { return m_system; }
    void SetSystemValues(const SystemValues& values);
    int GetReportRateIndex() const { return SystemValues::High(m_system.third); }
    void SetReportRateIndex(int index);  // 0..4, else ignored

    // Name lists for the lighting and key-assignment panels.
    const std::vector<std::string>& MacroNames() const { return m_macroNames; }
    const std::vector<std::string>& BuiltInModeNames() const { return m_builtInNames; }
    const std::vector<int>& BuiltInModeVisible() const { return m_builtInVisible; }
    const std::vector<std::string>& CustomModeNames() const { return m_customNames; }

protected:
    bool RenderLightMode(int mode) override;
    int CurrentLightMode() const override;
    int CurrentLightSpeed() const override;
    std::string_view LightThreadExitText() const override;

private:
    // False in wireless mode when the link is down.
    bool LinkUsable();
    // Re-reads the information block before a key table, macro or shoot write.
    bool RereadDeviceInfo();
    void ReadKeyTableAtOpen();
    void TakeDpiAndSystemValues();
    void StoreStateMirror(const MouseStateRecord& record);

    CMouseProfiledata m_profile;
    std::optional<KeyTableImage> m_keyTable;
    std::vector<std::uint8_t> m_slotMap;
    std::vector<KeyRecord> m_keys;
    std::vector<DpiStage> m_stages;
    CMouseDpiPanel m_dpiPanel;
    bool m_dpiPanelBound = false;

    PanelOutcome HandleDpiRoute(const PanelRoute& route, std::vector<DpiStage>& stages,
                                SystemValues& values);
    SystemValues m_system;
    mutable std::mutex m_mirrorLock;
    MouseStateRecord m_mirror{};
    std::atomic<int> m_mirrorMode{0};
    std::atomic<int> m_mirrorSpeed{0};
    std::optional<std::array<std::uint8_t, 6>> m_power;
    std::vector<std::string> m_macroNames;
    std::vector<std::string> m_builtInNames;
    std::vector<int> m_builtInVisible;
    std::vector<std::string> m_customNames;
    // Renderer state; light thread only.
    int m_flowPhase = 0;
    int m_ripplePosition = 0;
    std::array<std::uint8_t, kMouseRippleZones> m_rippleIntensity{};
};
