#pragma once
// Rows of the settings window's update list; their content comes with the update
// service.
#include "ui/UIList.h"

class CUpdateInfoListItemUI : public CListContainerElementUI {
public:
    std::string_view GetClass() const override { return "UpdateInfoListItemUI"; }
};

class CCloudShareListItemUI : public CListContainerElementUI {
public:
    std::string_view GetClass() const override { return "CloudShareListItemUI"; }
};
