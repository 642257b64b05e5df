// Reader and writer of settings files in the profile (ini) format: "[section]" lines open a
// section, "key=value" lines follow. Section and key names compare without regard to case and
// surrounding white space is ignored; writing keeps every other line and comment as it was.
#pragma once

#include <optional>
#include <string>

namespace profile {

// The value of key in section, or nothing when the file, the section or the key is missing.
// Values in matching quotes lose the quotes. Only regular files are read: a FIFO, device or
// folder reads as a missing file, without blocking.
std::optional<std::string> ReadValue(const std::string& file, const std::string& section,
                                     const std::string& key);

// Sets key in section to value, creating the file, the section and the key as needed.
// A value stops at its first line break so it can never add lines to the file. Names that
// would break the format (line breaks, '[' or ']' in a section, '=' in a key, empty) are
// refused. The new text goes to a temporary file beside the file and is renamed over it, so the
// file is never half-written; a symbolic link is followed and its target replaced, the file
// keeps its permissions and its line ends (CR LF or LF). False, with nothing changed, when the
// file cannot be written or exists as anything but a readable regular file.
bool WriteValue(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value);

}  // namespace profile
