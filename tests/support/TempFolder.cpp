#include "TempFolder.h"

#include <windows.h>

#include <algorithm>

std::string TempFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof path, path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// wine_get_dos_file_name hands back a string on the process heap.
typedef WCHAR*(CDECL* DosFileNameFunction)(const char*);

} // namespace

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    const auto convert = reinterpret_cast<DosFileNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (convert == nullptr)
        return path;
    WCHAR* wide = convert(path.c_str());
    if (wide == nullptr)
        return path;
    char converted[MAX_PATH * 2] = "";
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, converted, sizeof converted, nullptr, nullptr);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return converted;
}
