// Counts the calls this program makes into chosen system libraries, by patching its import table.
#include "ApiCallCounter.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace lvxbench {
#if defined(_WIN64)
namespace {

bool SameLibrary(const char* a, const std::string& b)
{
    return lstrcmpiA(a, b.c_str()) == 0;
}

// movabs r11, counter; lock inc qword [r11]; movabs r11, target; jmp r11
constexpr size_t ThunkSize = 32;
void WriteThunk(uint8_t* code, volatile uint64_t* counter, uintptr_t target)
{
    const auto counterAddress = reinterpret_cast<uintptr_t>(counter);
    size_t at = 0;
    code[at++] = 0x49;
    code[at++] = 0xBB;
    std::memcpy(code + at, &counterAddress, 8);
    at += 8;
    code[at++] = 0xF0;
    code[at++] = 0x49;
    code[at++] = 0xFF;
    code[at++] = 0x03;
    code[at++] = 0x49;
    code[at++] = 0xBB;
    std::memcpy(code + at, &target, 8);
    at += 8;
    code[at++] = 0x41;
    code[at++] = 0xFF;
    code[at++] = 0xE3;
    while (at < ThunkSize) code[at++] = 0xCC;
}

}  // namespace
#endif

bool ApiCallCounter::Install(const std::vector<std::string>& libraries)
{
#if defined(_WIN64)
    auto* base = reinterpret_cast<uint8_t*>(::GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return false;

    struct Slot {
        std::string Library;
        std::string Function;
        ULONGLONG* Address;
    };
    std::vector<Slot> slots;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name != 0;
         ++import) {
        const char* library = reinterpret_cast<const char*>(base + import->Name);
        if (std::none_of(libraries.begin(), libraries.end(), [&](const std::string& l) { return SameLibrary(library, l); }))
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (import->OriginalFirstThunk ? import->OriginalFirstThunk
                                                                                             : import->FirstThunk));
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            std::string function = "#ordinal";
            if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                function = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            slots.push_back({library, function, &addresses->u1.Function});
        }
    }
    if (slots.empty()) return false;

    counters_ = static_cast<uint64_t*>(
        ::VirtualAlloc(nullptr, slots.size() * sizeof(uint64_t), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    auto* code = static_cast<uint8_t*>(
        ::VirtualAlloc(nullptr, slots.size() * ThunkSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (counters_ == nullptr || code == nullptr) return false;
    for (size_t i = 0; i < slots.size(); ++i) {
        counters_[i] = 0;
        WriteThunk(code + i * ThunkSize, &counters_[i], static_cast<uintptr_t>(*slots[i].Address));
        DWORD oldProtection = 0;
        ::VirtualProtect(slots[i].Address, sizeof(ULONGLONG), PAGE_READWRITE, &oldProtection);
        *slots[i].Address = reinterpret_cast<ULONGLONG>(code + i * ThunkSize);
        ::VirtualProtect(slots[i].Address, sizeof(ULONGLONG), oldProtection, &oldProtection);
        hooks_.push_back({slots[i].Library, slots[i].Function, &counters_[i]});
    }
    ::FlushInstructionCache(::GetCurrentProcess(), code, slots.size() * ThunkSize);
    return true;
#else
    (void)libraries;
    return false;
#endif
}

void ApiCallCounter::Reset()
{
    for (Hook& hook : hooks_) *hook.Counter = 0;
}

uint64_t ApiCallCounter::Total() const
{
    uint64_t total = 0;
    for (const Hook& hook : hooks_) total += *hook.Counter;
    return total;
}

std::vector<ApiCallCounter::Entry> ApiCallCounter::Called() const
{
    std::vector<Entry> called;
    for (const Hook& hook : hooks_)
        if (*hook.Counter != 0) called.push_back({hook.Library, hook.Function, *hook.Counter});
    std::sort(called.begin(), called.end(), [](const Entry& a, const Entry& b) { return a.Calls > b.Calls; });
    return called;
}

}  // namespace lvxbench
