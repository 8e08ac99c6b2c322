// The registry as the core sees it: the default values of keys named relative to a root, and
// deleting keys. The shell verb's entries are the only thing the program keeps there.
#pragma once

#include <optional>
#include <string>

namespace tarvo {

enum class RegistryRoot {
    ClassesRoot,  // HKEY_CLASSES_ROOT: the merged view the shell reads file types from
    UserClasses   // HKEY_CURRENT_USER\Software\Classes: the user's own, always writable branch
};

// Key names are relative to the root, with backslashes between the levels and none at the
// start or end ("txtfile\shell\Tarvolin\command"). Letter case does not matter, as in the
// system registry. Each operation reports whether it did what was asked; callers decide
// which failures to pass over.
class Registry {
public:
    virtual ~Registry() = default;
    // The key's default value as text; nullopt when the key does not exist or has no string
    // default value.
    virtual std::optional<std::string> readDefault(RegistryRoot root, const std::string& key) = 0;
    // Stores value as the key's default value (string type), creating the key and every
    // missing key above it. False when a key cannot be created or the value not written.
    virtual bool writeDefault(RegistryRoot root, const std::string& key,
                              const std::string& value) = 0;
    // Deletes the key. False when it does not exist, still has subkeys, or cannot be deleted.
    virtual bool deleteKey(RegistryRoot root, const std::string& key) = 0;
};

}  // namespace tarvo
