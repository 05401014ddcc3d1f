// Where the suite keeps its configuration in the registry.
#pragma once

inline constexpr const char* SuiteRootKey = "SOFTWARE\\Corvane\\Postern";
inline constexpr const char* SuiteGlobalKey = "SOFTWARE\\Corvane\\Postern\\Global";

// Texts of the Global key are read with buffers of this many bytes.
constexpr unsigned RegistryTextSize = 79;
