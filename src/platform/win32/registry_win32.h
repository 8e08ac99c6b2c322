// The registry on Win32: default values and key deletion through the W registry functions.
#pragma once

#include "platform/registry.h"

namespace tarvo::win {

class Win32Registry : public Registry {
public:
    std::optional<std::string> readDefault(RegistryRoot root, const std::string& key) override;
    bool writeDefault(RegistryRoot root, const std::string& key, const std::string& value) override;
    bool deleteKey(RegistryRoot root, const std::string& key) override;
    std::optional<std::string> readUserValue(const std::string& key,
                                             const std::string& valueName) override;
};

}  // namespace tarvo::win
