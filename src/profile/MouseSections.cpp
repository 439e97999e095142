#include "profile/MouseSections.h"

#include <algorithm>

#include "profile/JsonFile.h"
#include "profile/SectionFields.h"

namespace {

// A hand-edited file could hold any number of stages; the device has five and the
// stage cache only ever needs a handful, so reading stops well above that.
constexpr Json::ArrayIndex kMaxStages = 64;

DpiStage ReadStage(const Json::Value& element) {
    using namespace section;
    DpiStage s;
    s.active = Byte(element, MouseKey::StageActive);
    s.xy = Byte(element, MouseKey::StageXY);
    s.dpiX = Word16(element, MouseKey::StageDpiX);
    s.dpiY = Word16(element, MouseKey::StageDpiY);
    s.red = Byte(element, MouseKey::StageColorR);
    s.green = Byte(element, MouseKey::StageColorG);
    s.blue = Byte(element, MouseKey::StageColorB);
    return s;
}

}  // namespace

std::vector<DpiStage> CMouseSections::GetDpiStages(const Json::Value& record) {
    const Json::Value& section = section::Member(record, MouseKey::DpiStages);
    if (section.isNull()) return m_stages;
    // Kept non-negative: the device uses it as an index.
    m_activeStage = section::Byte(section, MouseKey::StageActive);
    const Json::Value& list = section::Member(section, MouseKey::StageDpis);
    if (list.isArray()) {
        const Json::ArrayIndex count = std::min(list.size(), kMaxStages);
        for (Json::ArrayIndex j = 0; j < count; ++j) {
            const DpiStage stage = ReadStage(list[j]);
            if (j < m_stages.size())
                m_stages[j] = stage;
            else
                m_stages.push_back(stage);
        }
    }
    return m_stages;
}

void CMouseSections::SetDpiStages(Json::Value& record, const std::vector<DpiStage>& stages) {
    using section::Number;
    m_stages = stages;
    Json::Value& list = section::ArrayMember(section::ObjectMember(record, MouseKey::DpiStages),
                                             MouseKey::StageDpis);
    for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
        const DpiStage& s = stages[i];
        Json::Value& element = section::ObjectElement(list, i);
        element[MouseKey::StageActive] = Number(s.active);
        element[MouseKey::StageColorB] = Number(s.blue);
        element[MouseKey::StageColorG] = Number(s.green);
        element[MouseKey::StageColorR] = Number(s.red);
        element[MouseKey::StageXY] = Number(s.xy);
        element[MouseKey::StageDpiX] = Number(s.dpiX);
        element[MouseKey::StageDpiY] = Number(s.dpiY);
    }
}

void CMouseSections::SetActiveStage(Json::Value& record, int index) {
    m_activeStage = index;
    section::ObjectMember(record, MouseKey::DpiStages)[MouseKey::StageActive] =
        section::Number(index);
}

SystemValues CMouseSections::GetSystemValues(const Json::Value& record) {
    using namespace section;
    SystemValues v;
    const Json::Value& system = Member(record, MouseKey::SystemStages);
    if (!system.isNull()) {
        const Json::Value& report = Member(record, MouseKey::ReportStages);
        v.first = SystemValues::Pack(Word16(system, MouseKey::DoubleClickTime),
                                     Word16(system, MouseKey::MouseSpeed));
        v.second = SystemValues::Pack(Word16(system, MouseKey::PointerPrecision),
                                      Word16(system, MouseKey::ScrollPage));
        v.third = SystemValues::Pack(Word16(system, MouseKey::WheelLines),
                                     Word16(report, MouseKey::StageActive));
    }
    m_system = v;
    return v;
}

void CMouseSections::SetSystemValues(Json::Value& record, const SystemValues& values) {
    using section::Number;
    m_system = values;
    Json::Value& system = section::ObjectMember(record, MouseKey::SystemStages);
    system[MouseKey::DoubleClickTime] = Number(SystemValues::Low(values.first));
    system[MouseKey::MouseSpeed] = Number(SystemValues::High(values.first));
    system[MouseKey::PointerPrecision] = Number(SystemValues::Low(values.second));
    system[MouseKey::ScrollPage] = Number(SystemValues::High(values.second));
    system[MouseKey::WheelLines] = Number(SystemValues::Low(values.third));
    section::ObjectMember(record, MouseKey::ReportStages)[MouseKey::StageActive] =
        Number(SystemValues::High(values.third));
}

std::vector<CorrectEntry> CMouseSections::GetCorrectInfo(const Json::Value& record) {
    using namespace section;
    const Json::Value& list = Member(record, MouseKey::CorrectInfo);
    if (list.isNull()) return m_corrections;
    std::vector<CorrectEntry> read;
    if (list.isArray()) {
        for (const Json::Value& element : list) {
            read.push_back({Byte(element, MouseKey::CorrectPixThresh),
                            Byte(element, MouseKey::CorrectMinSq),
                            Byte(element, MouseKey::CorrectSelect),
                            FromFileText(Text(element, MouseKey::CorrectName))});
        }
    }
    m_corrections = std::move(read);
    return m_corrections;
}
