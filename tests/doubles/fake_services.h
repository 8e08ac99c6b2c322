// Recording doubles of the shell, the pickers and the host for the core's tests.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/pickers.h"
#include "platform/shell.h"

namespace tarvo::test {

class FakeShell : public Shell {
public:
    ShellResult execute(const ShellRequest& request) override {
        requests.push_back(request);
        return result;
    }
    std::string startRefusal(const std::string&) override { return refusal; }
    std::vector<ShellRequest> requests;
    ShellResult result;   // started unless a test says otherwise
    std::string refusal;  // none unless a test says otherwise
};

class FakeFilePicker : public FilePicker {
public:
    std::optional<PickedFile> showOpen(const OpenFileRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<OpenFileRequest> requests;
    std::deque<std::optional<PickedFile>> answers;  // nullopt: the user cancelled
};

class FakeFolderPicker : public FolderPicker {
public:
    std::string browseForFolder(const std::string& prompt, unsigned options) override {
        prompts.push_back(prompt);
        lastOptions = options;
        if (answers.empty()) return {};
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<std::string> prompts;
    unsigned lastOptions = 0;
    std::deque<std::string> answers;  // empty: cancelled
};

struct ShownMessage {
    std::string text, title;
    MsgButtons buttons;
    MsgIcon icon;
};

class FakeHost : public Host {
public:
    std::string programFolder() const override { return folder; }
    std::string exeName() const override { return exe; }
    void endProgram() override { ++ended; }
    void unloadDialog() override { ++dialogUnloads; }
    void showSettings() override { ++settingsShown; }
    void unloadSettings() override { ++settingsUnloads; }
    MsgResult messageBox(const Window*, const std::string& text, const std::string& title,
                         MsgButtons buttons, MsgIcon icon) override {
        messages.push_back({text, title, buttons, icon});
        if (answers.empty()) return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::string inputBox(const Window*, const std::string& prompt, const std::string& title,
                         const std::string&) override {
        inputPrompts.push_back(prompt + "|" + title);
        if (inputs.empty()) return {};
        auto answer = inputs.front();
        inputs.pop_front();
        return answer;
    }

    std::string folder;
    std::string exe = "Tarvo";
    int ended = 0, dialogUnloads = 0, settingsShown = 0, settingsUnloads = 0;
    std::vector<ShownMessage> messages;
    std::deque<MsgResult> answers;
    std::vector<std::string> inputPrompts;
    std::deque<std::string> inputs;
};

}  // namespace tarvo::test
