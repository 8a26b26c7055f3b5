#ifndef LARKSPUR_TESTS_PROGRAMPROCESS_H
#define LARKSPUR_TESTS_PROGRAMPROCESS_H

#include <windows.h>

#include <string>

// The real Larkspur.exe of this build tree, run as a process of its own and
// watched from outside: its windows are found by class and caption, read with
// messages the system carries across processes, and, where a message needs a
// buffer, through memory allocated in the program's process.

// The build's Larkspur.exe, as a Windows path.
std::string BuiltProgramPath();

// A copy of the program in a new temporary folder of its own, so that the
// settings file beside it is the test's and the build tree's is never
// touched. The folder goes with the object.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::string& exeName = "Larkspur.exe");
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    bool IsReady() const { return ready; }
    const std::string& ExePath() const { return exePath; }

    // The settings file of an executable named baseName in the folder
    // ("Larkspur" gives Larkspur.ini), in the program's format: CP932, CRLF.
    bool WriteSettings(const std::string& baseName, const std::string& user, const std::string& password,
                       int interval) const;

private:
    std::string folder;
    std::string exePath;
    bool ready = false;
};

// One run of the program.
class ProgramProcess {
public:
    ProgramProcess() = default;
    ~ProgramProcess();   // ends a process still running
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Start(const std::string& exePath);

    HANDLE Handle() const { return info.hProcess; }
    bool IsRunning() const;

    // The visible top-level frame of this process ("Larkspur" caption, a
    // class of the program's framework), or null.
    HWND MainWindow() const;
    HWND WaitForMainWindow(int timeoutMs) const;

    // A visible dialog or box of this process with the caption, or null.
    HWND FindBox(const char* caption) const;
    HWND WaitForBox(const char* caption, int timeoutMs) const;
    // The open popup menu of this process, or null.
    HWND FindPopupMenu() const;

    // The window that has the keyboard focus on the program's main thread.
    HWND FocusWindow() const;

    // Waits for the process to end; its exit code, or -1 while it runs.
    int WaitForExit(int timeoutMs) const;
    void Terminate();

private:
    PROCESS_INFORMATION info = {};
};

// The panes, found under the frame.
HWND FindTimelineList(HWND frame);   // the list view: a framework class with a header child
HWND FindComposeEdit(HWND frame);    // the rich edit beside the send button
HWND FindDetailEdit(HWND frame);     // the rich edit beside the picture

// A caption (as the system keeps it), and the text a control holds (asked
// of its window procedure).
std::string WindowText(HWND window);
std::string EditText(HWND edit);
int ListItemCount(HWND list);
// The text of a list cell, read through a buffer in the owning process.
std::string ListItemText(HANDLE process, HWND list, int item, int subItem);
// A row's rectangle in screen coordinates.
bool ListItemScreenRect(HANDLE process, HWND list, int item, RECT& rect);

// The program runs in a process of its own, so there is nothing of ours to
// pump: checks condition every 20 ms until it holds; false at the deadline.
template <typename Condition>
bool PollUntil(Condition condition, int timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::Sleep(20);
    }
}

#endif
