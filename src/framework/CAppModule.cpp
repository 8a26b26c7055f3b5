#include "CAppModule.h"

#include <new>

CAppModule appModule;

bool CAppModule::Init(HINSTANCE instance)
{
    moduleInstance = instance;
    resourceInstance = instance;
    InitializeCriticalSection(&moduleLock);
    InitializeCriticalSection(&windowCreationLock);
    mainThreadId = ::GetCurrentThreadId();
    loops = new (std::nothrow) std::map<DWORD, CMessageLoop*>;
    initialised = true;
    return loops != nullptr;
}

void CAppModule::Term()
{
    if (!initialised)
        return;
    delete loops;
    loops = nullptr;
    while (createData != nullptr) {
        CreateData* entry = createData;
        createData = entry->next;
        delete entry;
    }
    DeleteCriticalSection(&windowCreationLock);
    DeleteCriticalSection(&moduleLock);
    initialised = false;
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop)
{
    if (loops == nullptr || loop == nullptr)
        return false;
    EnterCriticalSection(&moduleLock);
    bool added = false;
    try {
        added = loops->emplace(::GetCurrentThreadId(), loop).second;
    } catch (const std::bad_alloc&) {
    }
    LeaveCriticalSection(&moduleLock);
    return added;
}

bool CAppModule::RemoveMessageLoop()
{
    if (loops == nullptr)
        return false;
    EnterCriticalSection(&moduleLock);
    const bool removed = loops->erase(::GetCurrentThreadId()) > 0;
    LeaveCriticalSection(&moduleLock);
    return removed;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const
{
    if (loops == nullptr)
        return nullptr;
    EnterCriticalSection(&moduleLock);
    const auto found = loops->find(threadId);
    CMessageLoop* loop = found == loops->end() ? nullptr : found->second;
    LeaveCriticalSection(&moduleLock);
    return loop;
}

void CAppModule::AddCreateWndData(void* object)
{
    CreateData* entry = new (std::nothrow) CreateData{object, ::GetCurrentThreadId(), nullptr};
    if (entry == nullptr)
        return;
    EnterCriticalSection(&windowCreationLock);
    // Appended, so a thread takes its entries back in the order it made them.
    CreateData** tail = &createData;
    while (*tail != nullptr)
        tail = &(*tail)->next;
    *tail = entry;
    LeaveCriticalSection(&windowCreationLock);
}

void* CAppModule::ExtractCreateWndData()
{
    void* object = nullptr;
    const DWORD thread = ::GetCurrentThreadId();
    EnterCriticalSection(&windowCreationLock);
    for (CreateData** link = &createData; *link != nullptr; link = &(*link)->next) {
        if ((*link)->threadId == thread) {
            CreateData* entry = *link;
            object = entry->object;
            *link = entry->next;
            delete entry;
            break;
        }
    }
    LeaveCriticalSection(&windowCreationLock);
    return object;
}
