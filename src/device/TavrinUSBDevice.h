#pragma once
// CTavrinUSBDevice: the base of every device object. A device object is at
// once the device's page in the main window (a horizontal layout of the UI library) and
// the model of one physical device: its identity, its command and sync channels, its key
// and LED lists, its lighting state, and the operations the main window, the device
// selector and the panels call. The kinds derive from it.
//
// Threads. Every virtual operation runs on the UI thread, except the renderers, which the
// light thread runs. The light thread counts steps of CLightStepClock (15.625 ms) and
// sleeps until the next step or its stop event; it renders only while something shows
// its frames (see LightFramesWanted) and otherwise waits for a wake-up, so an idle device
// costs no CPU. The sync thread blocks in a read of the notification interface; stopping
// it closes that interface, which aborts the read. Worker threads never
// touch controls: they hand work to the UI thread with UiPost.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/LightRecord.h"
#include "device/channel/CommandChannel.h"
#include "device/tables/DeviceTables.h"
#include "platform/Events.h"
#include "platform/WindowMessages.h"
#include "ui/UIContainer.h"

class CDeviceKeyButtonUI;
struct KeyRecord;  // defined with the key records

// Entry timers of the selector entry that a device asks for.
inline constexpr unsigned kEntryTimerOpenDevice = 1001;
inline constexpr unsigned kEntryTimerReadDeviceState = 1002;
// The first usage of a sync report that asks for ReadDeviceState.
inline constexpr std::uint16_t kSyncUsageReadState = 0x0401;

// Ripple state sizes.
inline constexpr std::size_t kKeyLightCount = 126;
inline constexpr std::size_t kKeyLightQueueLength = 23;
inline constexpr std::size_t kKeyLightMarkEntries = 9;

class CTavrinUSBDevice : public CHorizontalLayoutUI {
public:
    CTavrinUSBDevice();  // channels on the standard HID backends
    // Channels on the given backends (tests, simulators).
    explicit CTavrinUSBDevice(const std::vector<std::shared_ptr<IHidBackend>>& backends);
    // Stops the light and sync threads and closes both channels. Every kind calls
    // StopThreads() in its own destructor, so no thread runs a virtual operation of the
    // kind while the kind's part is being destroyed.
    ~CTavrinUSBDevice() override;

    std::string_view GetClass() const override;  // "TavrinUSBDevice"

    // ---- Virtual operations, in slot order ----

    // Binds the page's key and LED buttons from its "SelectPanel" child.
    virtual void BindKeyLayout();
    // Applies the lighting after a change; none in the base (returns 0).
    virtual int ApplyLightInfo();
    // Base renderers: one frame into the LED colour buffer, for every LED.
    virtual void RenderBreathing();
    virtual void RenderFourColourCycle();
    virtual void RenderStatic();
    virtual void RenderSpectrumCycle();
    virtual void RenderBlink();
    virtual void RenderBlinkFourColours();
    virtual void RenderAllOff();
    // UI thread: shows the LED colour buffer on the LED buttons and sends it to the device
    // with command 0x12 (not in wireless mode, not while light control is 0). After a
    // failed send, frames are not sent for 200 ms (the UI thread is never put to sleep).
    virtual void PushLightFrame();
    // The 32-bit colour of LED `index` (byte 0 red, 1 green, 2 blue, 3 intensity); indexes
    // outside 0 .. LED count - 1 are ignored (get gives 0). Any thread.
    virtual void SetLedColour(int index, std::uint32_t colour);
    virtual std::uint32_t GetLedColour(int index) const;
    // Selector entry timers 1001 .. 1005; none in the base.
    virtual void OpenDevice();
    virtual void ReadDeviceState();
    virtual void OnEntryTimer1003();
    virtual void OnEntryTimer1004();
    virtual void ReadPowerStatus();
    // Profile and panels; none in the base (LoadProfile returns 0).
    virtual int LoadProfile();
    virtual void RefreshPanels();
    virtual void FixMacroKeys();
    virtual void LoadDefaultProfile();
    // Device writes; the base sends nothing and returns 0.
    virtual int WriteKeyTable(int profileSlot, const std::vector<KeyRecord>& keys);
    virtual int WriteCurrentKeyTable(int profileSlot);
    virtual int DownloadMacros();
    virtual int WriteStateRecord(int profileSlot, int byte0Value, int flag, int screenWidth,
                                 int screenHeight);
    virtual void LoadNameLists();
    // Replaces the key map whole.
    virtual void SetKeyMap(const std::map<int, int>& keyMap);
    // Key-light ripple state (Algorithms): decay of one key's intensity, marking the keys
    // of the first 9 queue entries, shifting the queue, clearing everything. The shift
    // moves the first `places` entries (at most 23); direction non-zero is forward.
    virtual void KeyLightDecay(int key, bool fine);
    virtual void KeyLightMark();
    virtual void KeyLightQueueShift(int direction, int places = kKeyLightQueueLength);
    virtual void KeyLightClear();
    // Selects the pages of "device_function_switch" and "device_key_function_switch".
    virtual void ShowFunctionPage(int pageType);
    virtual int GetFunctionPage() const;
    virtual void AssignProfileFiles();
    virtual std::string GetProfilePath() const;  // empty in the base
    virtual void SaveProfile();
    virtual void SetDeviceIndex(int index);
    virtual int GetDeviceIndex() const;
    // Stores the light record from its three packed words (LightRecord::FromWords).
    virtual void SetLightInfo(std::uint32_t first, std::uint32_t second, std::uint32_t third);
    virtual void SelectKey(int index);

    // ---- Virtual hooks of this implementation, after the Part's slots ----

    // The light thread's step: `steps` clock steps have passed since the last call. The
    // base counts them and, when the count reaches the threshold of the current speed,
    // runs RenderLightMode and starts counting again.
    virtual void RunLightSteps(std::uint64_t steps);
    // Runs the renderer of `mode`; false when the mode has none. The base table: 1
    // spectrum cycle, 2 breathing, 3 static, 4 blink, 8 all off (the kinds have their own).
    virtual bool RenderLightMode(int mode);
    // What the light thread renders from; the base reads the light record.
    virtual int CurrentLightMode() const;
    virtual int CurrentLightSpeed() const;
    // True while the light thread has frames to make: the window is active, the page is
    // shown and the sync-light flag is clear.
    virtual bool LightFramesWanted() const;
    // Diagnostic line of the light thread's end ("MS灯光线程设定退出").
    virtual std::string_view LightThreadExitText() const;
    // The sync thread saw a report whose first usage is `usage`; the base asks the UI
    // thread for timer 1002 on 0x0401 and ignores the others. Sync thread.
    virtual void OnSyncUsage(std::uint16_t usage);
    // Interval of entry timer 1002 (500 ms; the keyboard's is 100 ms).
    virtual unsigned SyncTimerIntervalMs() const;

    // ---- Non-virtual operations ----

    void SetKindCode(int kindCode) { m_kindCode = kindCode; }
    int GetKindCode() const { return m_kindCode; }
    void SetSubKind(int subKind) { m_subKind = subKind; }
    int GetSubKind() const { return m_subKind; }
    // Resizes the key-button list when the count changes.
    void SetKeyCount(int count);
    int GetKeyCount() const { return m_keyCount; }
    // Resizes the LED-button list, the LED colour buffer and the effect list when the
    // count changes, then zeroes every colour and every effect entry.
    void SetLedCount(int count);
    int GetLedCount() const { return m_ledCount; }
    // Copies the identity, then takes kind code and sub-kind from it.
    void SetIdentity(const DeviceIdentity& identity);
    const DeviceIdentity& GetIdentity() const { return m_identity; }
    void SetPageLayoutName(std::string_view name) { m_pageLayoutName = name; }
    const std::string& GetPageLayoutName() const { return m_pageLayoutName; }
    void SetProfileText(std::string_view text) { m_profileText = text; }
    const std::string& GetProfileText() const { return m_profileText; }
    void SetLightConfigStem(std::string_view stem) { m_lightConfigStem = stem; }
    const std::string& GetLightConfigStem() const { return m_lightConfigStem; }
    void SetKindName(std::string_view name) { m_kindName = name; }
    const std::string& GetKindName() const { return m_kindName; }
    // The kind's profile folder (created on the way), the default data folder and the
    // kind's default profile in it.
    std::string GetProfileFolder() const;
    std::string GetDefaultDataFolder() const;
    std::string GetDefaultProfilePath() const;
    void SetSpareValue(int value) { m_spareValue = value; }
    int GetSpareValue() const { return m_spareValue; }
    void SetMainWindow(WindowHandle window) { m_mainWindow = window; }
    WindowHandle GetMainWindow() const { return m_mainWindow; }
    // Flags the worker threads read (atomic). Setting one wakes an idle light thread.
    void SetLightControl(int value);
    int GetLightControl() const { return m_lightControl.load(); }
    void SetWindowActive(int value);
    int GetWindowActive() const { return m_windowActive.load(); }
    void SetSyncLight(int value);  // set while the synchronised effect drives the lighting
    int GetSyncLight() const { return m_syncLight.load(); }
    // Whether the device page with its LED previews is on screen (set by the selector);
    // initially 1.
    void SetPageShown(bool shown);
    bool IsPageShown() const { return m_pageShown.load(); }
    // Called on the UI thread whenever one of the setters above lets the light thread
    // make frames again, so whoever shows them can wake up then instead of polling.
    void SetFramesWantedListener(std::function<void()> listener) {
        m_framesWantedListener = std::move(listener);
    }
    // The device's CDeviceOptionUI.
    void SetSelectorEntry(CControlUI* entry) { m_selectorEntry = entry; }
    CControlUI* GetSelectorEntry() const { return m_selectorEntry; }
    // The device's CMpDevicePowerUI; setting it pushes the power state into it
    // (see IDevicePowerView).
    void SetPowerPanel(CControlUI* panel);
    CControlUI* GetPowerPanel() const { return m_powerPanel; }
    // Setting also forwards the state to the power panel when one is set.
    void SetPowerState(int state);
    int GetPowerState() const { return m_powerState; }

    // Channels: the command channel on the vendor interface (sub-kind 0) and the sync
    // channel on the notification interface (sub-kind 255), read only by the sync thread.
    CCommandChannel& CommandChannel() { return m_commandChannel; }
    CCommandChannel& SyncChannel() { return m_syncChannel; }
    DeviceInfoBlock& DeviceInfo() { return m_deviceInfo; }
    const DeviceInfoBlock& DeviceInfo() const { return m_deviceInfo; }

    // Opens the sync channel on the notification interface `path` (a running sync thread
    // is stopped and the old interface closed first) and starts the sync thread. False
    // when the interface cannot be opened. Open the sync channel only through this: the
    // sync thread reads the interface while it runs.
    bool OpenSyncChannel(const std::string& path);
    // Stops the sync thread and closes the sync channel.
    void CloseSyncChannel();
    // The threads. Starting the light thread stops a running one first; starting the
    // sync thread leaves a running one alone. Stopping sets the stop event (for the sync
    // thread also closing the sync channel, which aborts its read), waits at most 1000 ms
    // and, when a thread ran, writes the outcome line ("线程退出：：对象处于激发状态\n"...).
    // A thread that does not end in time is left to end on its own (Linux cannot
    // terminate a thread safely).
    bool StartLightThread();
    ThreadWaitResult StopLightThread();
    bool IsLightThreadRunning() const { return m_lightThread.IsRunning(); }
    bool StartSyncThread();
    ThreadWaitResult StopSyncThread();
    bool IsSyncThreadRunning() const { return m_syncThread.IsRunning(); }
    // The light thread, then the sync thread (the kinds' destruction order).
    void StopThreads();

    // Page controls bound by BindKeyLayout and the kinds.
    CControlUI* GetKeyLayoutPanel() const { return m_keyLayoutPanel; }
    CControlUI* GetLightPanel() const { return m_lightPanel; }
    CControlUI* GetKeyPanel() const { return m_keyPanel; }
    CDeviceKeyButtonUI* GetKeyButton(int index) const;  // null outside the list or unbound
    CDeviceKeyButtonUI* GetLedButton(int index) const;
    int GetSelectedIndex() const { return m_selectedIndex; }
    const std::map<int, int>& GetKeyMap() const { return m_keyMap; }

    // Lighting state.
    LightRecord GetLightRecord() const;
    std::vector<std::uint32_t> GetLedColours() const;  // a copy of the LED colour buffer
    std::vector<LedEntry> GetEffectList() const;
    int GetEffectCount() const;
    // Ripple state.
    std::uint8_t GetKeyLightIntensity(int key) const;  // 0 outside 0..125
    void SetKeyLightIntensity(int key, std::uint8_t value);
    std::uint8_t GetKeyLightQueue(int entry) const;  // entry 23 is the spare byte
    void SetKeyLightQueue(int entry, std::uint8_t key);

    // Renderer state, for the kinds and tests.
    struct RendererState {
        std::uint8_t step = 0;
        std::uint8_t colourPosition = 0;
        std::uint8_t blinkPhase = 0;
        std::uint32_t lastToggle = 0;
    };
    RendererState GetRendererState() const;
    void SetRendererState(const RendererState& state);

    // Clocks; set before the threads start. The tick source gives milliseconds (blink);
    // the light clock source drives the light thread's steps.
    void SetTickSource(std::function<std::uint32_t()> source);
    void SetLightClockSource(CLightStepClock::TimeSource source);

protected:
    // Sets the renderer colour of every LED (under the LED lock).
    void FillLeds(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t intensity);
    // Runs `write` on the LED colour buffer under its lock; for the kinds' renderers.
    void WithLedColours(const std::function<void(std::span<std::uint32_t>)>& write);
    void WithEffectList(const std::function<void(std::vector<LedEntry>&, int& count)>& use);
    // UI thread: gives every visible LED button its colour from the buffer.
    void ShowLedPreviews();
    // Light thread: asks the UI thread to show the buffer on the LED previews (one
    // request at a time).
    void PostLedPreviews();
    // Sync thread: asks the UI thread to start the selector entry's timer 1002.
    void PostReadStateTimer();
    // Binds one "key_N" / "light_N" button as BindKeyLayout does.
    void BindKeyButton(CControlUI* control);
    std::uint32_t Now() const;

    void SetLightPanel(CControlUI* panel) { m_lightPanel = panel; }
    void SetKeyPanel(CControlUI* panel) { m_keyPanel = panel; }
    void SetKeyLayoutPanel(CControlUI* panel) { m_keyLayoutPanel = panel; }

    // Guard the kinds' light lists: "LightList" entries and effect list.
    mutable std::recursive_mutex m_lightListLock;
    mutable std::recursive_mutex m_effectListLock;

private:
    void LightThreadBody(const CManualResetEvent& stop);
    void SyncThreadBody(const CManualResetEvent& stop);
    void WakeLightThread();

    CCommandChannel m_commandChannel;
    CCommandChannel m_syncChannel;
    DeviceInfoBlock m_deviceInfo{};
    CControlUI* m_lightPanel = nullptr;
    CControlUI* m_keyPanel = nullptr;
    CControlUI* m_keyLayoutPanel = nullptr;
    CControlUI* m_selectorEntry = nullptr;
    CControlUI* m_powerPanel = nullptr;
    CControlUI* m_functionSwitch = nullptr;     // "device_function_switch"
    CControlUI* m_keyFunctionSwitch = nullptr;  // "device_key_function_switch"
    std::string m_pageLayoutName;
    WindowHandle m_mainWindow = kNoWindow;
    std::string m_profileText;
    std::string m_lightConfigStem;
    std::string m_kindName;
    int m_kindCode = 0;
    int m_subKind = 0;
    int m_keyCount = 0;
    int m_ledCount = 0;
    int m_selectedIndex = -1;
    int m_functionPage = 1;
    int m_spareValue = -1;
    std::vector<CDeviceKeyButtonUI*> m_keyButtons;
    std::vector<CDeviceKeyButtonUI*> m_ledButtons;
    std::map<int, int> m_keyMap;

    mutable std::mutex m_ledLock;  // the LED colour buffer
    std::vector<std::uint32_t> m_ledColours;
    mutable std::mutex m_lightRecordLock;
    LightRecord m_lightRecord;
    std::vector<LedEntry> m_effectList;  // under m_effectListLock
    int m_effectCount = 0;

    std::atomic<std::int32_t> m_lightControl{1};
    std::atomic<std::int32_t> m_windowActive{1};
    std::atomic<std::int32_t> m_syncLight{0};
    std::atomic<bool> m_pageShown{true};

    mutable std::mutex m_rendererLock;
    RendererState m_renderer;
    int m_lightStepCount = 0;  // light thread only

    std::array<std::atomic<std::uint8_t>, kKeyLightCount> m_keyLightIntensity{};
    std::array<std::atomic<std::uint8_t>, kKeyLightQueueLength + 1> m_keyLightQueue{};

    int m_powerState = 0;
    DeviceIdentity m_identity;
    int m_deviceIndex = 0;

    std::function<std::uint32_t()> m_tickSource;
    CLightStepClock::TimeSource m_lightClockSource;
    std::uint32_t m_frameBackOffStart = 0;  // UI thread: a frame failed at this tick
    bool m_frameBackOff = false;

    // Lives as long as the object; posted UI calls hold it weakly so that a call queued
    // by a worker never reaches a deleted device.
    std::shared_ptr<CTavrinUSBDevice*> m_alive;
    const std::weak_ptr<CTavrinUSBDevice*> m_aliveToken;  // set once, read by the workers
    std::atomic<bool> m_previewPosted{false};
    CManualResetEvent m_lightWake;
    std::function<void()> m_framesWantedListener;
    std::mutex m_syncOpenLock;  // the sync lock: opening and closing the sync channel
    CWorkerThread m_lightThread;
    CWorkerThread m_syncThread;
};

// What the device needs of its power panel. The power panel class implements
// it; the device reaches the panel through it so the device library does not depend on
// the panels.
class IDevicePowerView {
public:
    virtual ~IDevicePowerView() = default;
    virtual void ShowPowerLayout(int flag) = 0;
    virtual void ShowPowerStatus(std::span<const std::uint8_t> record) = 0;
};
