// A file-type service for the core's tests: scripted commands per extension, and a count of
// the notices to the file manager.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_types.h"

namespace tarvo::test {

class FakeFileTypes : public FileTypes {
public:
    std::optional<std::string> defaultCommand(const std::string& filePath) override {
        queried.push_back(filePath);
        const auto dot = filePath.rfind('.');
        if (dot == std::string::npos) return std::nullopt;
        const auto it = commands.find(filePath.substr(dot));
        if (it == commands.end()) return std::nullopt;
        return it->second;
    }
    void associationsChanged() override {
        ++notices;
        if (onNotice) onNotice();
    }

    std::map<std::string, std::string> commands;  // by extension with its dot
    std::vector<std::string> queried;
    int notices = 0;
    std::function<void()> onNotice;
};

}  // namespace tarvo::test
