// Where the suite keeps its configuration in the registry.
#pragma once

#include "common/suite_registry.h"

using postern::SuiteGlobalKey;
using postern::SuiteRootKey;

// Texts of the Global key are read with buffers of this many bytes.
constexpr unsigned RegistryTextSize = 79;
