// The application object and the program's entry. The program defines exactly one object of a
// class derived from CWinApp, as a global; the entry (wWinMain of the wcl_winmain library, which
// calls AfxWinMain) runs its InitInstance. InitInstance returning false ends the process at once
// with no message loop; true runs the application's message loop until WM_QUIT.
#pragma once

#include <windows.h>

#include <string>

namespace wcl {

class CWnd;

class CWinApp {
public:
    // Registers the object as the application; there is one at a time.
    CWinApp() noexcept;
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up. The base does nothing and returns true.
    virtual bool InitInstance();
    // The message loop, after an InitInstance that returned true; returns ExitInstance's result.
    virtual int Run();
    // The process's exit code: the base returns the code WM_QUIT carried (0 without a loop).
    virtual int ExitInstance();

    // Records the registry key name under which the application would keep settings.
    void SetRegistryKey(const wchar_t* key);
    const std::wstring& RegistryKey() const noexcept { return m_registryKey; }

    HINSTANCE m_hInstance = nullptr;
    // The main window: owner of modal dialogs started without one, and the window whose
    // destruction nothing here waits for (the setup's frame is modal).
    CWnd* m_pMainWnd = nullptr;

protected:
    int m_exitCode = 0;

private:
    std::wstring m_registryKey;
};

CWinApp* AfxGetApp() noexcept;
CWnd* AfxGetMainWnd() noexcept;
// The module whose resources (dialog templates, bitmaps, icons) the library loads.
HINSTANCE AfxGetResourceHandle() noexcept;

// The body of the program's entry: InitInstance, then either ExitInstance or Run. Returns the
// process's exit code; -1 without an application object. No exception leaves it.
int AfxWinMain() noexcept;

} // namespace wcl
