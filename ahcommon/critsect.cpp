#include "critsect.h"

CAhCriticalSection::CAhCriticalSection()
{
    InitializeCriticalSection(&m_section);
}

CAhCriticalSection::CAhCriticalSection(const CAhCriticalSection&)
{
    InitializeCriticalSection(&m_section);
}

CAhCriticalSection& CAhCriticalSection::operator=(const CAhCriticalSection&)
{
    return *this;
}

CAhCriticalSection::~CAhCriticalSection()
{
    DeleteCriticalSection(&m_section);
}

int CAhCriticalSection::Lock()
{
    EnterCriticalSection(&m_section);
    return 1;
}

int CAhCriticalSection::Lock(DWORD)
{
    EnterCriticalSection(&m_section);
    return 1;
}

int CAhCriticalSection::Unlock()
{
    LeaveCriticalSection(&m_section);
    return 1;
}
