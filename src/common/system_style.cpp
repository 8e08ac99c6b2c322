// The desktop conventions the running program follows.
#include "common/system_style.h"

#include <atomic>

namespace tarvo {
namespace {
std::atomic<SystemStyle> gStyle{SystemStyle::Windows};
}

SystemStyle systemStyle() {
    return gStyle.load();
}
void setSystemStyle(SystemStyle style) {
    gStyle.store(style);
}
char pathSeparator() {
    return systemStyle() == SystemStyle::Linux ? '/' : '\\';
}

}  // namespace tarvo
