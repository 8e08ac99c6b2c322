// The registry as the core sees it: the default values of keys named relative to a root, and
// deleting keys. The shell verb's entries are the only thing the program keeps there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

enum class RegistryRoot {
    ClassesRoot,  // HKEY_CLASSES_ROOT: the merged view the shell reads file types from
    UserClasses   // HKEY_CURRENT_USER\Software\Classes: the user's own, always writable branch
};

// A key name as the operations take it: not empty, no NUL (the system's functions end a name
// there), no backslash at the start or the end and never two in a row (an empty level).
inline bool isRelativeKeyName(std::string_view name) {
    if (name.empty() || name.front() == '\\' || name.back() == '\\') return false;
    return name.find('\0') == std::string_view::npos && name.find("\\\\") == std::string_view::npos;
}

// Key names are relative to the root, with backslashes between the levels and none at the
// start or end ("txtfile\shell\Tarvolin\command"). Letter case does not matter, as in the
// system registry. Each operation reports whether it did what was asked; callers decide
// which failures to pass over. A name that is no such path (see isRelativeKeyName) is refused
// by every operation: the system would read it as another key's name.
class Registry {
public:
    virtual ~Registry() = default;
    // The key's default value as text, up to its first NUL as the system's own readers take
    // it; nullopt when the key does not exist or has no string default value.
    virtual std::optional<std::string> readDefault(RegistryRoot root, const std::string& key) = 0;
    // Stores value as the key's default value (string type), creating the key and every
    // missing key above it. False when a key cannot be created or the value not written.
    virtual bool writeDefault(RegistryRoot root, const std::string& key,
                              const std::string& value) = 0;
    // Deletes the key. False when it does not exist, still has subkeys, or cannot be deleted.
    virtual bool deleteKey(RegistryRoot root, const std::string& key) = 0;
    // A named string value of a key under HKEY_CURRENT_USER (key relative to it, as
    // "Software\...\Uninstall\Tarvolin"), as written; nullopt when there is none. The system
    // keeps its per-user lists there, such as that of the programs installed for the user; a
    // registry without such lists has none.
    virtual std::optional<std::string> readUserValue(const std::string& key,
                                                     const std::string& valueName) {
        (void)key;
        (void)valueName;
        return std::nullopt;
    }
};

}  // namespace tarvo
