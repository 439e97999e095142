// Placeholder; the tables come with the base renderers.
#include "device/LightTables.h"
