#ifndef LARKSPUR_FRAMEWORK_CAPPMODULE_H
#define LARKSPUR_FRAMEWORK_CAPPMODULE_H

#include <windows.h>

#include <map>

class CMessageLoop;

// The process-wide module object: the instance the resources come from, the
// registry of message loops by thread, and the window-creation data that
// binds a window object to its handle on the first message the new window
// receives.
class CAppModule {
public:
    CAppModule() = default;
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;

    // Records the instance, makes the two critical sections and the empty
    // loop registry, and remembers the calling thread as the main thread.
    bool Init(HINSTANCE instance);
    // Frees the registry and deletes the critical sections.
    void Term();

    HINSTANCE GetModuleInstance() const { return moduleInstance; }
    HINSTANCE GetResourceInstance() const { return resourceInstance; }

    // The calling thread's loop; one per thread.
    bool AddMessageLoop(CMessageLoop* loop);
    bool RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

    // Window-creation data: the object about to create a window on the calling
    // thread. The framework's window procedure takes it back (the oldest entry
    // of the thread) when the new window receives its first message.
    void AddCreateWndData(void* object);
    void* ExtractCreateWndData();

private:
    struct CreateData {
        void* object;
        DWORD threadId;
        CreateData* next;
    };

    HINSTANCE moduleInstance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    DWORD mainThreadId = 0;
    bool initialised = false;
    mutable CRITICAL_SECTION moduleLock;
    CRITICAL_SECTION windowCreationLock;
    std::map<DWORD, CMessageLoop*>* loops = nullptr;
    CreateData* createData = nullptr;
};

extern CAppModule appModule;

#endif
