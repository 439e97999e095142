#pragma once
// The program's own control classes, known to layouts by class name (the factory
// table) and by tag (the main window's create-control callback).
#include <memory>
#include <string_view>
#include <vector>

class CControlUI;
class CPaintManagerUI;

// Names of the factory table, in registration order.
const std::vector<std::string_view>& RegisteredControlClassNames();
// Registers every row of the factory table with the control factory.
void RegisterControlClasses();
// The control for a layout tag (case-insensitive): a new object of the tag's class, or
// the root of the tag's nested layout built with `manager` and no callback; null for
// a tag the table does not hold.
std::unique_ptr<CControlUI> CreateControlForTag(std::string_view tag, CPaintManagerUI& manager);
