#pragma once
// Input usage decoding from a collection's caps: which buttons are down and what the
// values read, for one input report.
#include <cstdint>
#include <span>
#include <vector>

#include "device/hid/HidTypes.h"

// One item per input button cap, then one per value cap, each with room for its usages.
std::vector<HidDataItem> BuildInputItems(const HidCollectionCaps& caps);

// Fills the items whose report id is the report's first byte (the others lose their
// data-set flag). False for an empty report or a value past the report's end, which ends
// the walk.
bool DecodeInputItems(const HidCollectionCaps& caps, std::vector<HidDataItem>& items,
                      std::span<const std::uint8_t> report);
