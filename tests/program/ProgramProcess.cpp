#include "ProgramProcess.h"

#include "TempFolder.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool HasPrefix(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

struct Search {
    DWORD processId;
    const char* className;    // exact, or a prefix when prefix is set
    bool prefix;
    const char* caption;      // null: any
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter)
{
    Search& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window))
        return TRUE;
    const std::string name = ClassOf(window);
    const bool classMatches = search.prefix ? HasPrefix(name.c_str(), search.className) : name == search.className;
    if (!classMatches || (search.caption != nullptr && WindowText(window) != search.caption))
        return TRUE;
    search.found = window;
    return FALSE;
}

HWND FindTopLevel(DWORD processId, const char* className, bool prefix, const char* caption)
{
    Search search = {processId, className, prefix, caption, nullptr};
    ::EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent)
{
    std::vector<HWND> windows;
    ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A rich edit whose dialog also holds a control with siblingId.
HWND FindPaneEdit(HWND frame, int siblingId)
{
    for (HWND window : Descendants(frame)) {
        if (ClassOf(window) == "RichEdit20A" && ::GetDlgItem(::GetParent(window), siblingId) != nullptr)
            return window;
    }
    return nullptr;
}

// Memory in another process for messages that carry a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : process(process),
          address(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
    }
    ~RemoteBuffer()
    {
        if (address != nullptr)
            ::VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* Address() const { return static_cast<char*>(address); }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        return address != nullptr && ::WriteProcessMemory(process, Address() + offset, data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        return address != nullptr && ::ReadProcessMemory(process, Address() + offset, data, size, nullptr);
    }

private:
    HANDLE process;
    void* address;
};


// The list view's items are read through an LVITEM written into the
// program's memory, laid out as the reader's compiler lays it out: right only
// when both processes have the same pointer width (both 32-bit under WOW64,
// or both 64-bit).
bool SameWidthAsThisProcess(HANDLE process)
{
    BOOL ours = FALSE;
    BOOL theirs = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &ours) && ::IsWow64Process(process, &theirs) && ours == theirs;
}

} // namespace


std::string BuiltProgramPath()
{
    return WindowsPath(LARKSPUR_EXE);
}

ProgramCopy::ProgramCopy(const std::string& exeName)
{
    static int copies = 0;
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    char name[64];
    std::snprintf(name, sizeof name, "larkspur-program-%lu-%d\\", ::GetCurrentProcessId(), ++copies);
    folder = std::string(temp) + name;
    exePath = folder + exeName;
    ready = ::CreateDirectoryA(folder.c_str(), nullptr)
            && ::CopyFileA(BuiltProgramPath().c_str(), exePath.c_str(), TRUE);
}

ProgramCopy::~ProgramCopy()
{
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileA((folder + found.cFileName).c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

bool ProgramCopy::WriteSettings(const std::string& baseName, const std::string& user, const std::string& password,
                                int interval) const
{
    const std::string text = "[TWITTER]\r\nRELOAD_TIMELINE=" + std::to_string(interval) + "\r\n[ACCOUNT]\r\nUSER="
                             + user + "\r\nPASS=" + password + "\r\n";
    FILE* file = std::fopen((folder + baseName + ".ini").c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

ProgramProcess::~ProgramProcess()
{
    Terminate();
}

bool ProgramProcess::Start(const std::string& exePath)
{
    std::string commandLine = "\"" + exePath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return false;
    if (!SameWidthAsThisProcess(info.hProcess)) {
        std::fprintf(stderr, "%s is not of this test's architecture: its list items cannot be read from here\n",
                     exePath.c_str());
        Terminate();
        return false;
    }
    return true;
}

bool ProgramProcess::IsRunning() const
{
    return info.hProcess != nullptr && ::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

HWND ProgramProcess::MainWindow() const
{
    return FindTopLevel(info.dwProcessId, "Wfx:", true, "Larkspur");
}

HWND ProgramProcess::WaitForMainWindow(int timeoutMs) const
{
    HWND window = nullptr;
    PollUntil([&] { return (window = MainWindow()) != nullptr || !IsRunning(); }, timeoutMs);
    return window;
}

HWND ProgramProcess::FindBox(const char* caption) const
{
    return FindTopLevel(info.dwProcessId, "#32770", false, caption);
}

HWND ProgramProcess::WaitForBox(const char* caption, int timeoutMs) const
{
    HWND box = nullptr;
    PollUntil([&] { return (box = FindBox(caption)) != nullptr || !IsRunning(); }, timeoutMs);
    return box;
}

HWND ProgramProcess::FindPopupMenu() const
{
    return FindTopLevel(info.dwProcessId, "#32768", false, nullptr);
}

HWND ProgramProcess::FocusWindow() const
{
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    return ::GetGUIThreadInfo(info.dwThreadId, &thread) ? thread.hwndFocus : nullptr;
}

int ProgramProcess::WaitForExit(int timeoutMs) const
{
    DWORD code = 0;
    if (info.hProcess == nullptr || ::WaitForSingleObject(info.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0
        || !::GetExitCodeProcess(info.hProcess, &code))
        return -1;
    return static_cast<int>(code);
}

void ProgramProcess::Terminate()
{
    if (info.hProcess == nullptr)
        return;
    if (IsRunning()) {
        ::TerminateProcess(info.hProcess, 99);
        ::WaitForSingleObject(info.hProcess, 5000);
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    info = {};
}

HWND FindTimelineList(HWND frame)
{
    for (HWND window : Descendants(frame)) {
        if (HasPrefix(ClassOf(window).c_str(), "Wfx:") && ::FindWindowExA(window, nullptr, "SysHeader32", nullptr))
            return window;
    }
    return nullptr;
}

HWND FindComposeEdit(HWND frame)
{
    return FindPaneEdit(frame, 1004);
}

HWND FindDetailEdit(HWND frame)
{
    return FindPaneEdit(frame, 1001);
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string EditText(HWND edit)
{
    char text[2048] = "";
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                          &copied);
    return text;
}

int ListItemCount(HWND list)
{
    return list == nullptr ? -1 : static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListItemText(HANDLE process, HWND list, int item, int subItem)
{
    const size_t textSize = 1024;
    RemoteBuffer remote(process, sizeof(LVITEMA) + textSize);
    LVITEMA request = {};
    request.iSubItem = subItem;
    request.pszText = remote.Address() + sizeof(LVITEMA);
    request.cchTextMax = textSize;
    if (!remote.Write(0, &request, sizeof request))
        return std::string();
    const LRESULT length =
        ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote.Address()));
    char text[textSize] = "";
    if (length <= 0 || !remote.Read(sizeof(LVITEMA), text, textSize))
        return std::string();
    text[textSize - 1] = 0;
    return text;
}

bool ListItemScreenRect(HANDLE process, HWND list, int item, RECT& rect)
{
    RemoteBuffer remote(process, sizeof rect);
    RECT request = {LVIR_BOUNDS, 0, 0, 0};
    if (!remote.Write(0, &request, sizeof request)
        || !::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item),
                           reinterpret_cast<LPARAM>(remote.Address()))
        || !remote.Read(0, &rect, sizeof rect))
        return false;
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return true;
}
