// Annotations through oleacc's annotation service (IAccPropServices), loaded at the first
// question of an accessibility client.
#include "frontend/win32/accessibility.h"

// clang-format off
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>
// clang-format on

#include <iterator>

#include "platform/win32/lazy_dll.h"
#include "platform/win32/win_text.h"

namespace tarvo::win {
namespace {

// The service's class and interface and the properties annotated, as oleacc.h names them;
// spelt out here so that no library brings oleacc into the import table.
constexpr GUID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kDescriptionProperty = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
constexpr GUID kRoleProperty = {
    0xcb905ff2, 0x7bd1, 0x4c05, {0xb3, 0xc8, 0xe6, 0xc2, 0x41, 0x36, 0x4d, 0x70}};
const MSAAPROPID kAnnotated[] = {kNameProperty, kDescriptionProperty, kRoleProperty};

}  // namespace

Annotations::~Annotations() {
    clear();
    if (services_) services_->Release();
}

void Annotations::set(HWND hwnd, const Annotation& annotation) {
    auto& wanted = wanted_[hwnd];
    if (wanted == annotation) return;
    wanted = annotation;
    if (services_) deliver(hwnd, annotation);
}

const Annotation* Annotations::find(HWND hwnd) const {
    auto it = wanted_.find(hwnd);
    return it == wanted_.end() ? nullptr : &it->second;
}

void Annotations::queried() {
    if (queried_) return;
    queried_ = true;
    static const LazyFunction<decltype(&::CoCreateInstance)> coCreateInstance{L"ole32.dll",
                                                                              "CoCreateInstance"};
    ensureOle();
    void* services = nullptr;
    if (!coCreateInstance ||
        FAILED(coCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                kAccPropServicesInterface, &services)))
        return;  // no annotation service: the system's own readings stand
    services_ = static_cast<IAccPropServices*>(services);
    for (const auto& [hwnd, annotation] : wanted_) deliver(hwnd, annotation);
}

void Annotations::deliver(HWND hwnd, const Annotation& a) {
    services_->ClearHwndProps(hwnd, OBJID_CLIENT, CHILDID_SELF, kAnnotated,
                              static_cast<int>(std::size(kAnnotated)));
    if (!a.name.empty())
        services_->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, kNameProperty,
                                  widen(a.name).c_str());
    if (!a.description.empty())
        services_->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, kDescriptionProperty,
                                  widen(a.description).c_str());
    if (a.role != 0) {
        VARIANT role{};  // zeroed: no oleaut32 call is needed for a number
        role.vt = VT_I4;
        role.lVal = a.role;
        services_->SetHwndProp(hwnd, OBJID_CLIENT, CHILDID_SELF, kRoleProperty, role);
    }
}

void Annotations::clear() {
    if (services_)
        for (const auto& [hwnd, annotation] : wanted_)
            if (IsWindow(hwnd))
                services_->ClearHwndProps(hwnd, OBJID_CLIENT, CHILDID_SELF, kAnnotated,
                                          static_cast<int>(std::size(kAnnotated)));
    wanted_.clear();
}

}  // namespace tarvo::win
