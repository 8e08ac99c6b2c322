// The registry on Win32: default values and key deletion through the W registry functions,
// every opened key owned by a UniqueKey. advapi32 is loaded at the first registry call (the
// settings window's), not at start.
#include "platform/win32/registry_win32.h"

#include <utility>

#include "platform/win32/lazy_dll.h"
#include "platform/win32/win_handles.h"
#include "platform/win32/win_text.h"

namespace tarvo::win {
namespace {

const LazyFunction<decltype(&::RegOpenKeyExW)> regOpenKeyEx{L"advapi32.dll", "RegOpenKeyExW"};
const LazyFunction<decltype(&::RegQueryValueExW)> regQueryValueEx{L"advapi32.dll",
                                                                  "RegQueryValueExW"};
const LazyFunction<decltype(&::RegCreateKeyExW)> regCreateKeyEx{L"advapi32.dll", "RegCreateKeyExW"};
const LazyFunction<decltype(&::RegSetValueExW)> regSetValueEx{L"advapi32.dll", "RegSetValueExW"};
const LazyFunction<decltype(&::RegDeleteKeyW)> regDeleteKey{L"advapi32.dll", "RegDeleteKeyW"};

// Every function of the file, or none: a system without one of them has no registry to use.
bool registryLoaded() {
    return regOpenKeyEx && regQueryValueEx && regCreateKeyEx && regSetValueEx && regDeleteKey;
}

// The predefined key and the path below it. The user's classes branch is reached through
// HKEY_CURRENT_USER rather than a handle of its own, so nothing stays open between calls.
std::pair<HKEY, std::wstring> locate(RegistryRoot root, const std::string& key) {
    if (root == RegistryRoot::UserClasses)
        return {HKEY_CURRENT_USER, L"Software\\Classes\\" + widen(key)};
    return {HKEY_CLASSES_ROOT, widen(key)};
}

// An expandable value as a reader of the classes root sees it: environment references
// replaced (a reference to an unset variable stays as written).
std::wstring expanded(const std::wstring& text) {
    std::wstring out(text.size() + 1, L'\0');
    for (;;) {
        const DWORD n = ExpandEnvironmentStringsW(text.c_str(), out.data(),
                                                  static_cast<DWORD>(out.size()));
        if (n == 0) return text;
        if (n <= out.size()) {
            out.resize(n - 1);  // without the terminating zero
            return out;
        }
        out.assign(n, L'\0');
    }
}

// A string value of a key (nullptr: its default value), up to its first NUL as every reader
// of the system takes it ("type\0junk" is "type"); an expandable one as a reader sees it.
std::optional<std::string> readString(HKEY base, const std::wstring& path, const wchar_t* name) {
    HKEY opened = nullptr;
    if (regOpenKeyEx(base, path.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueKey owned(opened);

    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = regQueryValueEx(opened, name, nullptr, &type, nullptr, &size);
    std::wstring data;
    // The value may grow between the two calls; ask again with the size reported then.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        status = regQueryValueEx(opened, name, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_SUCCESS) {
            data.resize(bytes / sizeof(wchar_t));
            if (const auto nul = data.find(L'\0'); nul != std::wstring::npos) data.resize(nul);
            if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
            if (type == REG_EXPAND_SZ) data = expanded(data);
            return narrow(data);
        }
        size = bytes;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Win32Registry::readDefault(RegistryRoot root, const std::string& key) {
    if (!isRelativeKeyName(key) || !registryLoaded()) return std::nullopt;
    const auto [base, path] = locate(root, key);
    return readString(base, path, nullptr);
}

std::optional<std::string> Win32Registry::readUserValue(const std::string& key,
                                                        const std::string& valueName) {
    if (!isRelativeKeyName(key) || !registryLoaded()) return std::nullopt;
    return readString(HKEY_CURRENT_USER, widen(key), widen(valueName).c_str());
}

bool Win32Registry::writeDefault(RegistryRoot root, const std::string& key,
                                 const std::string& value) {
    if (!isRelativeKeyName(key) || !registryLoaded()) return false;
    const auto [base, path] = locate(root, key);
    HKEY created = nullptr;
    // RegCreateKeyExW creates every missing key on the way down.
    if (regCreateKeyEx(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                       nullptr, &created, nullptr) != ERROR_SUCCESS)
        return false;
    const UniqueKey owned(created);
    const std::wstring text = widen(value);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return regSetValueEx(created, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         bytes) == ERROR_SUCCESS;
}

// RegDeleteKeyW refuses a key that still has subkeys, which is what the callers rely on.
bool Win32Registry::deleteKey(RegistryRoot root, const std::string& key) {
    if (!isRelativeKeyName(key) || !registryLoaded()) return false;  // never the root, never another key
    const auto [base, path] = locate(root, key);
    return regDeleteKey(base, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace tarvo::win
