// Counts the heap allocations that chosen modules make, by redirecting the
// allocator entries of their import tables (malloc, calloc, realloc from
// msvcrt.dll; HeapAlloc, HeapReAlloc from kernel32). AhCommon.dll links its
// own copy of the C++ runtime, so a replaced operator new in a test program
// would not see the library's allocations; its import table does.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>

namespace alloccount {

inline std::atomic<long> g_count{0};
// Where the latest counted allocation was called from, to name the culprit.
inline std::atomic<void*> g_lastCaller{nullptr};

inline void*(__cdecl* g_malloc)(std::size_t) = nullptr;
inline void*(__cdecl* g_calloc)(std::size_t, std::size_t) = nullptr;
inline void*(__cdecl* g_realloc)(void*, std::size_t) = nullptr;
inline LPVOID(WINAPI* g_heapAlloc)(HANDLE, DWORD, SIZE_T) = nullptr;
inline LPVOID(WINAPI* g_heapReAlloc)(HANDLE, DWORD, LPVOID, SIZE_T) = nullptr;

inline void* __cdecl CountingMalloc(std::size_t size)
{
    ++g_count;
    g_lastCaller = __builtin_return_address(0);
    return g_malloc(size);
}

inline void* __cdecl CountingCalloc(std::size_t count, std::size_t size)
{
    ++g_count;
    g_lastCaller = __builtin_return_address(0);
    return g_calloc(count, size);
}

inline void* __cdecl CountingRealloc(void* block, std::size_t size)
{
    ++g_count;
    g_lastCaller = __builtin_return_address(0);
    return g_realloc(block, size);
}

inline LPVOID WINAPI CountingHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size)
{
    ++g_count;
    g_lastCaller = __builtin_return_address(0);
    return g_heapAlloc(heap, flags, size);
}

inline LPVOID WINAPI CountingHeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T size)
{
    ++g_count;
    g_lastCaller = __builtin_return_address(0);
    return g_heapReAlloc(heap, flags, block, size);
}

template <typename T>
void Resolve(T& target, const char* module, const char* name)
{
    target = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

// Redirects every import slot of `module` that holds one of the allocators;
// returns how many slots are redirected (now or by an earlier call).
inline int Hook(HMODULE module)
{
    if (g_malloc == nullptr) {
        Resolve(g_malloc, "msvcrt.dll", "malloc");
        Resolve(g_calloc, "msvcrt.dll", "calloc");
        Resolve(g_realloc, "msvcrt.dll", "realloc");
        Resolve(g_heapAlloc, "kernel32.dll", "HeapAlloc");
        Resolve(g_heapReAlloc, "kernel32.dll", "HeapReAlloc");
    }
    const struct {
        void* real;
        void* counting;
    } swaps[] = {
        {reinterpret_cast<void*>(g_malloc), reinterpret_cast<void*>(&CountingMalloc)},
        {reinterpret_cast<void*>(g_calloc), reinterpret_cast<void*>(&CountingCalloc)},
        {reinterpret_cast<void*>(g_realloc), reinterpret_cast<void*>(&CountingRealloc)},
        {reinterpret_cast<void*>(g_heapAlloc), reinterpret_cast<void*>(&CountingHeapAlloc)},
        {reinterpret_cast<void*>(g_heapReAlloc), reinterpret_cast<void*>(&CountingHeapReAlloc)},
    };

    BYTE* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return 0;
    int hooked = 0;
    for (auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        for (auto* slot = reinterpret_cast<void**>(base + descriptor->FirstThunk); *slot != nullptr; ++slot) {
            for (const auto& swap : swaps) {
                if (*slot == swap.counting) ++hooked;
                if (swap.real == nullptr || *slot != swap.real) continue;
                DWORD protection = 0;
                if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) continue;
                *slot = swap.counting;
                VirtualProtect(slot, sizeof *slot, protection, &protection);
                ++hooked;
            }
        }
    }
    return hooked;
}

inline long Count()
{
    return g_count.load();
}

// The file name of the module that made the latest counted allocation.
inline const char* LastCallerModule()
{
    static char name[MAX_PATH];
    HMODULE module = nullptr;
    name[0] = 0;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(g_lastCaller.load()), &module))
        GetModuleFileNameA(module, name, MAX_PATH);
    return name;
}

}  // namespace alloccount
