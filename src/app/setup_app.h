// The setup's application object and the process-wide objects its start-up publishes.
//
// Start-up registers the common controls, makes sure with a named event that only one copy of the
// setup runs, publishes a named shared block and a named event for the product's other processes,
// runs the wizard frame modally and tears everything down again. It never runs a message loop of
// its own: InitInstance returns false on every path, so the process ends with the wizard.
#pragma once

#include <windows.h>

#include "wcl/app.h"

// The named objects. Their names carry no namespace prefix: the product's other processes open
// them by these names.
inline constexpr wchar_t kSetupInstanceEventName[] = L"Install ORIBEL";
inline constexpr wchar_t kSetupInfoMappingName[] = L"IPC_DESKWARD_SETUP_INFO_SHARED_MEMORY";
inline constexpr wchar_t kSetupEventName[] = L"IPC_DESKWARD_SETUP_EVENT";
// The shared block's size. Its layout belongs to the other processes; the setup neither reads
// nor writes a byte of it.
inline constexpr DWORD kSetupInfoSize = 2052;

// The shared block and its mapped view, held while the wizard runs; null while not held.
extern HANDLE g_hSetupInfoMapping;
extern void* g_pSetupInfo;
// The setup event, held until the process ends (its end closes it); null when not created.
extern HANDLE g_hSetupEvent;

class CKestrelSetupApp : public wcl::CWinApp {
public:
    // Start-up, the wizard's run and the teardown. false on every path.
    bool InitInstance() override;
};
