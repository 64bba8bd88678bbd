#include "tests/support/GdiCount.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace
{
std::atomic<long> gObjects{0};
std::atomic<long> gContexts{0};

// A counting stand-in for one imported function; Id tells them apart.
template <int Id, typename Signature> struct Counted;
template <int Id, typename Result, typename... Arguments>
struct Counted<Id, Result(WINAPI*)(Arguments...)>
{
    static inline Result(WINAPI* real)(Arguments...) = nullptr;
    static inline std::atomic<long>* counter = nullptr;
    static Result WINAPI call(Arguments... arguments) { return ++*counter, real(arguments...); }
};

struct Replacement
{
    const char* name;
    void* standIn;
};

// clang-format off
#define ZW_COUNTED(function, total) [] {                                         \
        using Hook = Counted<__COUNTER__, decltype(&function)>;                  \
        Hook::real = &function, Hook::counter = &total;                          \
        return Replacement{#function, reinterpret_cast<void*>(&Hook::call)}; }()
// clang-format on

void install()
{
    const Replacement replacements[] = {ZW_COUNTED(CreateCompatibleDC, gObjects),
                                        ZW_COUNTED(CreateCompatibleBitmap, gObjects),
                                        ZW_COUNTED(CreateBitmap, gObjects),
                                        ZW_COUNTED(CreateDIBSection, gObjects),
                                        ZW_COUNTED(CreatePenIndirect, gObjects),
                                        ZW_COUNTED(CreateBrushIndirect, gObjects),
                                        ZW_COUNTED(CreateSolidBrush, gObjects),
                                        ZW_COUNTED(CreateFontIndirectA, gObjects),
                                        ZW_COUNTED(GetDC, gContexts),
                                        ZW_COUNTED(GetDCEx, gContexts),
                                        ZW_COUNTED(GetWindowDC, gContexts)};
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; module->Name; ++module)
    {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++entries)
        {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* name =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Replacement& replacement : replacements)
            {
                if (std::strcmp(reinterpret_cast<const char*>(name->Name), replacement.name) != 0)
                    continue;
                DWORD protection = 0;
                VirtualProtect(&entries->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
                entries->u1.Function = reinterpret_cast<ULONG_PTR>(replacement.standIn);
                VirtualProtect(&entries->u1.Function, sizeof(void*), protection, &protection);
            }
        }
    }
}
} // namespace

GdiCount gdiCount()
{
    static const bool installed = (install(), true);
    static_cast<void>(installed);
    return {gObjects.load(), gContexts.load()};
}
