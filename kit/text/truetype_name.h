/// @file
/// The family name of a TrueType file, read from its name table with big-endian reads at a
/// tracked position. Read failures are logged through the registry's engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/tvk_export.h"

/// The first non-empty 8-bit family name (name ID 1) of a TrueType file with version 1.0;
/// empty when the file can't be opened, is not TrueType 1.0 (PostScript outlines), has no
/// name table or no such record, or ends early (logged as "#Error parsing font file : ...").
TVK_API std::string TrueType_GetFamilyName(const char* path);
/// TrueType_GetFamilyName on bytes already in memory.
TVK_API std::string TrueType_ParseFamilyName(const uint8_t* data, size_t size);
/// True when the file can be opened for reading.
TVK_API bool File_Exists(const char* path);
