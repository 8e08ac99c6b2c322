// Windows has no XDG base directories: the data files follow the program folder rule.
#include "platform/user_folders.h"

namespace tarvo::fs {

std::string userStateFolder() {
    return {};
}
std::string userConfigFolder() {
    return {};
}

}  // namespace tarvo::fs
