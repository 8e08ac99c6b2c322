// An in-memory registry for the core's tests: keys with optional default values under the
// two roots, writes to the classes root that can be refused, and a log of every call.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace tarvo::test {

class FakeRegistry : public Registry {
public:
    std::optional<std::string> readDefault(RegistryRoot root, const std::string& key) override {
        auto it = isRelativeKeyName(key) ? keys_.find({root, fold(key)}) : keys_.end();
        std::optional<std::string> value;
        if (it != keys_.end()) value = it->second;
        if (value) value = value->substr(0, value->find('\0'));
        log.push_back("read " + rootName(root) + " " + key + (value ? "" : " failed"));
        return value;
    }

    bool writeDefault(RegistryRoot root, const std::string& key,
                      const std::string& value) override {
        const bool refused = (root == RegistryRoot::ClassesRoot && refuseClassesRootWrites) ||
                             (root == RegistryRoot::UserClasses && refuseUserClassesWrites) ||
                             !isRelativeKeyName(key);
        log.push_back("write " + rootName(root) + " " + key + " = " + value +
                      (refused ? " failed" : ""));
        if (refused) return false;
        set(root, key, value);
        return true;
    }

    bool deleteKey(RegistryRoot root, const std::string& key) override {
        const bool ok = isRelativeKeyName(key) && exists(root, key) && !hasSubkeys(root, key);
        if (ok) keys_.erase({root, fold(key)});
        log.push_back("delete " + rootName(root) + " " + key + (ok ? "" : " failed"));
        return ok;
    }

    // The values under HKEY_CURRENT_USER are set-up data: reads of them are not logged.
    std::optional<std::string> readUserValue(const std::string& key,
                                             const std::string& valueName) override {
        auto it = userValues.find({fold(key), fold(valueName)});
        if (it == userValues.end()) return std::nullopt;
        return it->second;
    }
    void setUserValue(const std::string& key, const std::string& valueName, std::string value) {
        userValues[{fold(key), fold(valueName)}] = std::move(value);
    }

    // Set-up and inspection; not logged. set() creates the missing keys above key.
    void set(RegistryRoot root, const std::string& key, std::optional<std::string> value) {
        for (std::size_t pos = key.find('\\'); pos != std::string::npos;
             pos = key.find('\\', pos + 1))
            keys_.try_emplace({root, fold(key.substr(0, pos))}, std::nullopt);
        keys_[{root, fold(key)}] = std::move(value);
    }
    void setClass(const std::string& key, const std::string& value) {
        set(RegistryRoot::ClassesRoot, key, value);
    }
    bool exists(RegistryRoot root, const std::string& key) const {
        return keys_.count({root, fold(key)}) != 0;
    }
    std::optional<std::string> value(RegistryRoot root, const std::string& key) const {
        auto it = keys_.find({root, fold(key)});
        return it == keys_.end() ? std::nullopt : it->second;
    }
    // The logged calls that changed or tried to change something.
    std::vector<std::string> changes() const {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.rfind("read ", 0) != 0) out.push_back(line);
        return out;
    }

    bool refuseClassesRootWrites = false;
    bool refuseUserClassesWrites = false;
    std::vector<std::string> log;

private:
    static std::string rootName(RegistryRoot root) {
        return root == RegistryRoot::ClassesRoot ? "HKCR" : "HKCU\\Software\\Classes";
    }
    static std::string fold(std::string key) {
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return key;
    }
    bool hasSubkeys(RegistryRoot root, const std::string& key) const {
        const std::string prefix = fold(key) + "\\";
        return std::any_of(keys_.begin(), keys_.end(), [&](const auto& entry) {
            return entry.first.first == root && entry.first.second.rfind(prefix, 0) == 0;
        });
    }

    std::map<std::pair<RegistryRoot, std::string>, std::optional<std::string>> keys_;
    std::map<std::pair<std::string, std::string>, std::string> userValues;
};

}  // namespace tarvo::test
