// Runs one test in the Linux style with its data folders in a temporary folder, and puts the
// Windows style back afterwards.
#pragma once

#include "common/system_style.h"
#include "doubles/scoped_env.h"

namespace tarvo::test {

class ScopedLinuxStyle {
public:
    explicit ScopedLinuxStyle(const std::string& home)
        : state_("XDG_STATE_HOME", home + "/state"), config_("XDG_CONFIG_HOME", home + "/config") {
        setSystemStyle(SystemStyle::Linux);
    }
    ~ScopedLinuxStyle() { setSystemStyle(SystemStyle::Windows); }
    ScopedLinuxStyle(const ScopedLinuxStyle&) = delete;
    ScopedLinuxStyle& operator=(const ScopedLinuxStyle&) = delete;

private:
    ScopedEnv state_;
    ScopedEnv config_;
};

}  // namespace tarvo::test
