#include "device/hid/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>

namespace {

enum class ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

enum class MainTag : std::uint8_t {
    Input = 0x8,
    Output = 0x9,
    Collection = 0xA,
    Feature = 0xB,
    EndCollection = 0xC,
};

enum class GlobalTag : std::uint8_t {
    UsagePage = 0x0,
    LogicalMinimum = 0x1,
    LogicalMaximum = 0x2,
    PhysicalMinimum = 0x3,
    PhysicalMaximum = 0x4,
    UnitExponent = 0x5,
    Unit = 0x6,
    ReportSize = 0x7,
    ReportId = 0x8,
    ReportCount = 0x9,
    Push = 0xA,
    Pop = 0xB,
};

enum class LocalTag : std::uint8_t { Usage = 0x0, UsageMinimum = 0x1, UsageMaximum = 0x2 };

namespace Prefix {
inline constexpr std::uint8_t LongItem = 0xFE;
inline constexpr std::uint8_t SizeMask = 0x03, TypeShift = 2, TypeMask = 0x03, TagShift = 4;
}  // namespace Prefix

namespace MainFlag {
inline constexpr std::uint32_t Constant = 0x01, Variable = 0x02;
}

inline constexpr std::size_t kMaxGlobalStack = 32;
inline constexpr std::size_t kMaxCollectionDepth = 64;
inline constexpr std::size_t kMaxCollections = 255;  // "&colXX" has two digits
inline constexpr std::size_t kMaxLocalUsages = 4096;
inline constexpr std::uint64_t kMaxReportBits = (kMaxReportBytes - 1) * 8;

struct Item {
    ItemType type = ItemType::Main;
    std::uint8_t tag = 0;
    std::uint8_t size = 0;  // data bytes of a short item
    std::uint32_t data = 0;
    bool isLong = false;
};

std::int32_t SignedData(const Item& item) {
    switch (item.size) {
        case 1:
            return static_cast<std::int8_t>(item.data);
        case 2:
            return static_cast<std::int16_t>(item.data);
        default:
            return static_cast<std::int32_t>(item.data);
    }
}

// The item at `at`, which then moves past it; nullopt when it runs past the end.
std::optional<Item> ReadItem(std::span<const std::uint8_t> bytes, std::size_t& at) {
    const std::uint8_t prefix = bytes[at];
    if (prefix == Prefix::LongItem) {
        // Long items carry no data we use; only their length matters.
        if (bytes.size() - at < 3 || bytes.size() - at - 3 < bytes[at + 1]) return std::nullopt;
        at += 3 + bytes[at + 1];
        return Item{.isLong = true};
    }
    const std::uint8_t sizeCode = prefix & Prefix::SizeMask;
    Item item;
    item.size = sizeCode == 3 ? 4 : sizeCode;
    item.type = static_cast<ItemType>((prefix >> Prefix::TypeShift) & Prefix::TypeMask);
    item.tag = prefix >> Prefix::TagShift;
    if (bytes.size() - at - 1 < item.size) return std::nullopt;
    for (std::size_t n = 0; n < item.size; ++n)
        item.data |= static_cast<std::uint32_t>(bytes[at + 1 + n]) << (8 * n);
    at += 1 + item.size;
    return item;
}

struct GlobalState {
    std::uint16_t usagePage = 0;
    std::int32_t logicalMinimum = 0;
    Item logicalMaximum;  // its sign depends on the minimum, known only at the main item
    std::int32_t physicalMinimum = 0;
    std::int32_t physicalMaximum = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;

    std::int64_t LogicalMaximum() const {
        if (logicalMinimum < 0) return SignedData(logicalMaximum);
        return logicalMaximum.data;
    }
};

// A usage or usage range of the local state; the page is the global one unless the
// item gave its own (4-byte usages).
struct UsageSpan {
    std::uint32_t minimum = 0;  // page in the high half when extended
    std::uint32_t maximum = 0;
    bool extended = false;
};

struct ResolvedSpan {
    std::uint16_t page = 0;
    std::uint16_t minimum = 0;
    std::uint16_t maximum = 0;
    std::uint32_t Length() const { return static_cast<std::uint32_t>(maximum - minimum) + 1; }
};

struct LocalState {
    std::vector<UsageSpan> usages;
    std::optional<Item> usageMinimum;
};

enum class ReportType { Input, Output, Feature };
inline constexpr std::size_t kReportTypes = 3;

struct CollectionBuild {
    HidCollectionCaps caps;
    std::array<std::map<std::uint8_t, std::uint64_t>, kReportTypes> bits;  // per report id
};

std::int32_t SaturateToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::uint16_t ByteLength(const std::map<std::uint8_t, std::uint64_t>& bits) {
    std::uint64_t largest = 0;
    for (const auto& [id, count] : bits) largest = std::max(largest, count);
    if (bits.empty()) return 0;
    return static_cast<std::uint16_t>(1 + (largest + 7) / 8);
}

std::vector<std::uint8_t> ReportIds(const std::map<std::uint8_t, std::uint64_t>& bits) {
    std::vector<std::uint8_t> ids;
    for (const auto& [id, count] : bits) ids.push_back(id);
    return ids;
}

class CDescriptorParser {
public:
    std::optional<std::vector<HidCollectionCaps>> Parse(std::span<const std::uint8_t> bytes);

private:
    bool HandleItem(const Item& item);
    bool HandleMain(const Item& item);
    bool HandleGlobal(const Item& item);
    bool HandleLocal(const Item& item);
    bool BeginCollection();
    bool AddField(ReportType type, std::uint32_t flags);
    std::vector<ResolvedSpan> ResolveUsages() const;
    bool AddInputCaps(HidCollectionCaps& caps, std::uint64_t bitOffset, std::uint32_t flags);
    void AddArrayButtons(HidCollectionCaps& caps, std::uint32_t bitOffset,
                         const std::vector<ResolvedSpan>& spans);
    void AddBitButtons(HidCollectionCaps& caps, std::uint32_t bitOffset,
                       const std::vector<ResolvedSpan>& spans);
    void AddValues(HidCollectionCaps& caps, std::uint32_t bitOffset,
                   const std::vector<ResolvedSpan>& spans);
    HidButtonCap ButtonCap(std::uint32_t bitOffset, const ResolvedSpan& span) const;
    // Counts one more cap; false once past the limit.
    bool CountCap() { return ++m_capCount <= kMaxDescriptorCaps; }
    // Button caps give every element a usage slot in the decoded items.
    bool CountButtonCap(std::uint32_t elements) {
        m_buttonElements += elements;
        return CountCap() && m_buttonElements <= kMaxButtonElements;
    }
    std::vector<HidCollectionCaps> Finish();

    GlobalState m_global;
    std::vector<GlobalState> m_globalStack;
    LocalState m_local;
    std::size_t m_depth = 0;
    std::size_t m_capCount = 0;
    std::size_t m_buttonElements = 0;
    std::vector<CollectionBuild> m_collections;
};

std::optional<std::vector<HidCollectionCaps>> CDescriptorParser::Parse(
    std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::optional<Item> item = ReadItem(bytes, at);
        if (!item || !HandleItem(*item)) return std::nullopt;
    }
    if (m_depth != 0 || m_collections.empty()) return std::nullopt;
    return Finish();
}

bool CDescriptorParser::HandleItem(const Item& item) {
    if (item.isLong) return true;
    switch (item.type) {
        case ItemType::Main:
            return HandleMain(item);
        case ItemType::Global:
            return HandleGlobal(item);
        case ItemType::Local:
            return HandleLocal(item);
        case ItemType::Reserved:
            return true;
    }
    return false;
}

bool CDescriptorParser::HandleMain(const Item& item) {
    bool ok = true;
    switch (static_cast<MainTag>(item.tag)) {
        case MainTag::Input:
            ok = AddField(ReportType::Input, item.data);
            break;
        case MainTag::Output:
            ok = AddField(ReportType::Output, item.data);
            break;
        case MainTag::Feature:
            ok = AddField(ReportType::Feature, item.data);
            break;
        case MainTag::Collection:
            ok = BeginCollection();
            break;
        case MainTag::EndCollection:
            ok = m_depth > 0;
            if (ok) --m_depth;
            break;
    }
    m_local = {};  // local items last until the next main item
    return ok;
}

bool CDescriptorParser::HandleGlobal(const Item& item) {
    switch (static_cast<GlobalTag>(item.tag)) {
        case GlobalTag::UsagePage:
            m_global.usagePage = static_cast<std::uint16_t>(item.data);
            break;
        case GlobalTag::LogicalMinimum:
            m_global.logicalMinimum = SignedData(item);
            break;
        case GlobalTag::LogicalMaximum:
            m_global.logicalMaximum = item;
            break;
        case GlobalTag::PhysicalMinimum:
            m_global.physicalMinimum = SignedData(item);
            break;
        case GlobalTag::PhysicalMaximum:
            m_global.physicalMaximum = SignedData(item);
            break;
        case GlobalTag::UnitExponent:
        case GlobalTag::Unit:
            break;
        case GlobalTag::ReportSize:
            m_global.reportSize = item.data;
            break;
        case GlobalTag::ReportCount:
            m_global.reportCount = item.data;
            break;
        case GlobalTag::ReportId:
            if (item.data == 0 || item.data > 0xFF) return false;
            m_global.reportId = static_cast<std::uint8_t>(item.data);
            break;
        case GlobalTag::Push:
            if (m_globalStack.size() >= kMaxGlobalStack) return false;
            m_globalStack.push_back(m_global);
            break;
        case GlobalTag::Pop:
            if (m_globalStack.empty()) return false;
            m_global = m_globalStack.back();
            m_globalStack.pop_back();
            break;
    }
    return true;
}

bool CDescriptorParser::HandleLocal(const Item& item) {
    const bool extended = item.size == 4;
    switch (static_cast<LocalTag>(item.tag)) {
        case LocalTag::Usage:
            m_local.usages.push_back({item.data, item.data, extended});
            break;
        case LocalTag::UsageMinimum:
            m_local.usageMinimum = item;
            break;
        case LocalTag::UsageMaximum:
            if (m_local.usageMinimum) {
                const Item& minimum = *m_local.usageMinimum;
                const bool both = extended || minimum.size == 4;
                // A range with only one end extended takes its page from that end.
                const std::uint32_t page = (extended ? item.data : minimum.data) & 0xFFFF0000u;
                const std::uint32_t low = (minimum.data & 0xFFFF) | (both ? page : 0);
                const std::uint32_t high = (item.data & 0xFFFF) | (both ? page : 0);
                if (low <= high) m_local.usages.push_back({low, high, both});
                m_local.usageMinimum.reset();
            }
            break;
        default:
            break;  // designators, strings and delimiters do not change the caps
    }
    return m_local.usages.size() <= kMaxLocalUsages;
}

std::vector<ResolvedSpan> CDescriptorParser::ResolveUsages() const {
    std::vector<ResolvedSpan> spans;
    for (const UsageSpan& usage : m_local.usages) {
        const std::uint16_t page =
            usage.extended ? static_cast<std::uint16_t>(usage.minimum >> 16) : m_global.usagePage;
        spans.push_back({page, static_cast<std::uint16_t>(usage.minimum & 0xFFFF),
                         static_cast<std::uint16_t>(usage.maximum & 0xFFFF)});
    }
    return spans;
}

bool CDescriptorParser::BeginCollection() {
    if (m_depth >= kMaxCollectionDepth) return false;
    if (m_depth++ > 0) return true;
    if (m_collections.size() >= kMaxCollections) return false;
    CollectionBuild& build = m_collections.emplace_back();
    build.caps.number = static_cast<std::uint32_t>(m_collections.size());
    const std::vector<ResolvedSpan> spans = ResolveUsages();
    build.caps.usagePage = spans.empty() ? m_global.usagePage : spans.front().page;
    build.caps.usage = spans.empty() ? 0 : spans.front().minimum;
    return true;
}

bool CDescriptorParser::AddField(ReportType type, std::uint32_t flags) {
    if (m_global.reportSize > kMaxFieldBits || m_global.reportCount > kMaxReportBits) return false;
    // Fields outside every collection belong to no interface; they cost nothing.
    if (m_depth == 0) return true;
    CollectionBuild& build = m_collections.back();
    std::uint64_t& bits = build.bits[static_cast<std::size_t>(type)][m_global.reportId];
    const std::uint64_t offset = bits;
    bits += static_cast<std::uint64_t>(m_global.reportSize) * m_global.reportCount;
    if (bits > kMaxReportBits) return false;
    if (m_global.reportId != 0) build.caps.numberedReports = true;
    if (type != ReportType::Input || (flags & MainFlag::Constant)) return true;
    return AddInputCaps(build.caps, offset, flags);
}

bool CDescriptorParser::AddInputCaps(HidCollectionCaps& caps, std::uint64_t bitOffset,
                                     std::uint32_t flags) {
    if (m_global.reportSize == 0 || m_global.reportCount == 0) return true;
    const std::vector<ResolvedSpan> spans = ResolveUsages();
    const auto offset = static_cast<std::uint32_t>(bitOffset);
    if (!(flags & MainFlag::Variable))
        AddArrayButtons(caps, offset, spans);
    else if (m_global.reportSize == 1)
        AddBitButtons(caps, offset, spans);
    else
        AddValues(caps, offset, spans);
    return m_capCount <= kMaxDescriptorCaps && m_buttonElements <= kMaxButtonElements;
}

HidButtonCap CDescriptorParser::ButtonCap(std::uint32_t bitOffset, const ResolvedSpan& span) const {
    HidButtonCap cap;
    cap.reportId = m_global.reportId;
    cap.usagePage = span.page;
    cap.usageMin = span.minimum;
    cap.usageMax = span.maximum;
    cap.bitOffset = bitOffset;
    cap.bitSize = m_global.reportSize;
    cap.count = m_global.reportCount;
    cap.logicalMin = m_global.logicalMinimum;
    cap.logicalMax = SaturateToInt32(m_global.LogicalMaximum());
    return cap;
}

// An array field carries indexes into its usage list. A single span keeps the declared
// logical range; with several, each span becomes one cap whose logical range is its share
// of the indexes.
void CDescriptorParser::AddArrayButtons(HidCollectionCaps& caps, std::uint32_t bitOffset,
                                        const std::vector<ResolvedSpan>& spans) {
    std::int64_t firstIndex = m_global.logicalMinimum;
    for (const ResolvedSpan& span : spans) {
        if (!CountButtonCap(m_global.reportCount)) return;
        HidButtonCap cap = ButtonCap(bitOffset, span);
        cap.isArray = true;
        if (spans.size() > 1) {
            cap.logicalMin = SaturateToInt32(firstIndex);
            cap.logicalMax = SaturateToInt32(firstIndex + span.Length() - 1);
        }
        caps.inputButtons.push_back(cap);
        firstIndex += span.Length();
    }
}

// One bit per usage, in list order; bits past the usage list have no usage.
void CDescriptorParser::AddBitButtons(HidCollectionCaps& caps, std::uint32_t bitOffset,
                                      const std::vector<ResolvedSpan>& spans) {
    std::uint32_t element = 0;
    for (const ResolvedSpan& span : spans) {
        if (element >= m_global.reportCount) break;
        const std::uint32_t count = std::min(span.Length(), m_global.reportCount - element);
        HidButtonCap cap = ButtonCap(bitOffset + element, span);
        cap.usageMax = static_cast<std::uint16_t>(span.minimum + count - 1);
        cap.count = count;
        if (!CountButtonCap(count)) return;
        caps.inputButtons.push_back(cap);
        element += count;
    }
}

// One cap per usage; when the elements outnumber the usages, the last usage covers the
// rest as a value array.
void CDescriptorParser::AddValues(HidCollectionCaps& caps, std::uint32_t bitOffset,
                                  const std::vector<ResolvedSpan>& spans) {
    std::uint32_t element = 0;
    for (const ResolvedSpan& span : spans) {
        for (std::uint32_t n = 0; n < span.Length() && element < m_global.reportCount; ++n) {
            if (!CountCap()) return;
            HidValueCap cap;
            cap.reportId = m_global.reportId;
            cap.usagePage = span.page;
            cap.usage = static_cast<std::uint16_t>(span.minimum + n);
            cap.bitOffset = bitOffset + element * m_global.reportSize;
            cap.bitSize = m_global.reportSize;
            cap.logicalMin = m_global.logicalMinimum;
            cap.logicalMax = SaturateToInt32(m_global.LogicalMaximum());
            cap.physicalMin = m_global.physicalMinimum;
            cap.physicalMax = m_global.physicalMaximum;
            caps.inputValues.push_back(cap);
            ++element;
        }
    }
    if (!caps.inputValues.empty() && !spans.empty())
        caps.inputValues.back().count += m_global.reportCount - element;
}

std::vector<HidCollectionCaps> CDescriptorParser::Finish() {
    std::vector<HidCollectionCaps> result;
    for (CollectionBuild& build : m_collections) {
        HidCollectionCaps& caps = build.caps;
        const auto& bits = build.bits;
        caps.inputReportIds = ReportIds(bits[static_cast<std::size_t>(ReportType::Input)]);
        caps.outputReportIds = ReportIds(bits[static_cast<std::size_t>(ReportType::Output)]);
        caps.featureReportIds = ReportIds(bits[static_cast<std::size_t>(ReportType::Feature)]);
        caps.inputReportLength = ByteLength(bits[static_cast<std::size_t>(ReportType::Input)]);
        caps.outputReportLength = ByteLength(bits[static_cast<std::size_t>(ReportType::Output)]);
        caps.featureReportLength = ByteLength(bits[static_cast<std::size_t>(ReportType::Feature)]);
        result.push_back(std::move(caps));
    }
    return result;
}

}  // namespace

std::optional<std::vector<HidCollectionCaps>> ParseReportDescriptor(
    std::span<const std::uint8_t> descriptor) {
    return CDescriptorParser().Parse(descriptor);
}
