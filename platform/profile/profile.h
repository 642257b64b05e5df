// Reader and writer of settings files in the profile (ini) format: "[section]" lines open a
// section, "key=value" lines follow. Section and key names compare without regard to case and
// surrounding white space is ignored; writing keeps every other line and comment as it was.
#pragma once

#include <optional>
#include <string>

namespace profile {

// The value of key in section, or nothing when the file, the section or the key is missing.
// Values in matching quotes lose the quotes.
std::optional<std::string> ReadValue(const std::string& file, const std::string& section,
                                     const std::string& key);

// Sets key in section to value, creating the file, the section and the key as needed.
// A value stops at its first line break so it can never add lines to the file. Names that
// would break the format (line breaks, '[' or ']' in a section, '=' in a key, empty) are
// refused. False when the file cannot be written.
bool WriteValue(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value);

}  // namespace profile
