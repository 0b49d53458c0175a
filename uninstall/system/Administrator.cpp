// Whether the uninstaller runs with the rights of the built-in Administrators group.
#include "Administrator.h"

#include "Handles.h"
#include "SystemSeam.h"

#include <cstdint>
#include <vector>

namespace lvu {
namespace {

// Well-known SIDs as one number: identifier authority in bits 0 to 7, first sub-authority in
// bits 8 to 15, second in bits 16 to 31 (none when 0).
constexpr uint32_t AdministratorsSid = 35659781;  // NT authority (5), 32, 544
static_assert((AdministratorsSid & 0xFF) == 5 && ((AdministratorsSid >> 8) & 0xFF) == 32 &&
              (AdministratorsSid >> 16) == 544);

using unique_sid = unique_handle<HandleTraits<PSID, ::FreeSid>>;

unique_sid WellKnownSid(uint32_t code)
{
    SID_IDENTIFIER_AUTHORITY authority{};
    authority.Value[5] = static_cast<BYTE>(code & 0xFF);
    const DWORD first = (code >> 8) & 0xFF;
    const DWORD second = code >> 16;
    PSID sid = nullptr;
    if (!::AllocateAndInitializeSid(&authority, second != 0 ? 2 : 1, first, second, 0, 0, 0, 0, 0, 0, &sid))
        return {};
    return unique_sid(sid);
}

}  // namespace

bool IsAdministrator()
{
    if (Seam().Win32Platform != PlatformNT) return true;
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_READ, &opened)) return false;
    const unique_kernel_handle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    // Held as 64-bit words so that the group array inside is suitably aligned.
    std::vector<uint64_t> buffer((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    if (!::GetTokenInformation(token.get(), TokenGroups, buffer.data(), size, &size)) return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    // Without the SID the question has no answer; "no" sends the program down its missing-rights path.
    const unique_sid administrators = WellKnownSid(AdministratorsSid);
    if (!administrators) return false;
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const SID_AND_ATTRIBUTES& group = groups->Groups[i];
        if ((group.Attributes & SE_GROUP_ENABLED) && !(group.Attributes & SE_GROUP_USE_FOR_DENY_ONLY) &&
            ::EqualSid(group.Sid, administrators.get()))
            return true;
    }
    return false;
}

}  // namespace lvu
