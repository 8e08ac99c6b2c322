// The argument dialog as the settings window sees it, scripted and recording.
#pragma once

#include <string>

#include "settings/frm_settings.h"

namespace tarvo::test {

// The argument dialog as the settings window sees it. Run_Once answers with runOnceResult and,
// for a pick, sets CheckEx to pickedCheckEx as loading a target does.
class FakeDialogLink : public DialogLink {
public:
    std::string CheckEx() const override { return checkEx; }
    std::string FILEName() const override { return fileName; }
    void ClearMRU() override { ++mruClears; }
    int Run_Once() override {
        ++runOnceCalls;
        if (runOnceResult == 1) checkEx = pickedCheckEx;
        return runOnceResult;
    }
    void clearArgumentBox() override { ++argumentBoxClears; }
    void clearCheck() override { ++checkClears; }
    void show() override { ++shows; }

    std::string checkEx = "6";
    std::string fileName;
    int runOnceResult = 0;
    std::string pickedCheckEx = "5";
    int mruClears = 0, runOnceCalls = 0, argumentBoxClears = 0, checkClears = 0, shows = 0;
};

}  // namespace tarvo::test
