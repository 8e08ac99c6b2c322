// Makes every atomic replace fail before the new file is put in place, as a read-only file
// or folder would, for as long as the object lives.
#pragma once

#include "platform/filesystem.h"

namespace tarvo::test {

struct RefusedWrites {
    RefusedWrites() {
        fs::setWriteStepHook(
            [](fs::WriteStep step) { return step != fs::WriteStep::BeforeReplace; });
    }
    ~RefusedWrites() { fs::setWriteStepHook(nullptr); }
    RefusedWrites(const RefusedWrites&) = delete;
    RefusedWrites& operator=(const RefusedWrites&) = delete;
};

}  // namespace tarvo::test
