// Export macro and the few Win32 scalar types the portable headers use, so
// that the same headers compile for the Windows DLL and the native Linux build.
#pragma once

#ifdef _WIN32
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#  ifdef AHCOMMON_BUILD
#    define AHCOMMON_API __declspec(dllexport)
#  else
#    define AHCOMMON_API __declspec(dllimport)
#  endif
#  define AH_PRINTF_FORMAT(fmt, args) __attribute__((format(ms_printf, fmt, args)))
#else
#  include <cstdint>
#  define AHCOMMON_API
#  define AH_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
typedef std::uint32_t DWORD;
typedef unsigned int UINT;
typedef std::uintptr_t UINT_PTR;
#endif
