#include "app/setup_app.h"

#include <optional>

#include "app/common_controls.h"
#include "app/product_names.h"
#include "app/setup_dlg.h"
#include "wcl/com.h"
#include "wcl/handle.h"

HANDLE g_hSetupInfoMapping = nullptr;
void* g_pSetupInfo = nullptr;
HANDLE g_hSetupEvent = nullptr;

namespace {

// The registry key name the application is given. The setup stores no settings under it.
constexpr wchar_t kRegistryKey[] = L"로컬 응용 프로그램 마법사에서 생성된 응용 프로그램";
// Start-up's two failure messages, Korean whatever the system's language.
constexpr wchar_t kMappingFailedText[] = L"메모리맵핑 실패 - 1";
constexpr wchar_t kMapViewFailedText[] = L"메모리맵핑 실패 - 2";

void ShowStartUpFailure(const wchar_t* text) {
    ::MessageBoxW(nullptr, text, app::kSetupCaption, MB_OK | MB_ICONWARNING);
}

// The shared block, created here or, when another process made it first, opened as it is.
wcl::UniqueHandle CreateOrOpenSetupInfo() {
    wcl::UniqueHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                   kSetupInfoSize, kSetupInfoMappingName));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // The handle of the creating call is closed before the opened one replaces it.
        mapping.reset();
        mapping.reset(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kSetupInfoMappingName));
    }
    return mapping;
}

// Holds the shared block in g_hSetupInfoMapping and g_pSetupInfo while it lives, and releases
// them in the order the teardown needs: the view first, then the block.
class PublishedSetupInfo {
public:
    explicit PublishedSetupInfo(wcl::UniqueHandle mapping) noexcept {
        g_hSetupInfoMapping = mapping.release();
    }
    ~PublishedSetupInfo() {
        if (g_pSetupInfo) {
            ::UnmapViewOfFile(g_pSetupInfo);
            g_pSetupInfo = nullptr;
        }
        if (g_hSetupInfoMapping) {
            ::CloseHandle(g_hSetupInfoMapping);
            g_hSetupInfoMapping = nullptr;
        }
    }
    PublishedSetupInfo(const PublishedSetupInfo&) = delete;
    PublishedSetupInfo& operator=(const PublishedSetupInfo&) = delete;

    bool MapView() noexcept {
        g_pSetupInfo =
            ::MapViewOfFile(g_hSetupInfoMapping, FILE_MAP_ALL_ACCESS, 0, 0, kSetupInfoSize);
        return g_pSetupInfo != nullptr;
    }
};

} // namespace

bool CKestrelSetupApp::InitInstance() {
    // The window thread is a single-threaded apartment for the setup's life, before anything asks
    // the shell to start a program: the shell may hand the start to COM objects of its own.
    const wcl::ComApartment apartment;
    app::RegisterCommonControls();
    CWinApp::InitInstance();
    SetRegistryKey(kRegistryKey);

    // Declared in the reverse of the teardown's order: the view and the block go first, then the
    // single-instance event, and the frame object last.
    std::optional<CKestrelSetupDlg> frame;

    wcl::UniqueHandle instanceEvent(::CreateEventW(nullptr, TRUE, FALSE, kSetupInstanceEventName));
    if (::GetLastError() == ERROR_ALREADY_EXISTS)
        return false; // another copy runs: end silently

    wcl::UniqueHandle mapping = CreateOrOpenSetupInfo();
    if (!mapping) {
        ShowStartUpFailure(kMappingFailedText);
        return false;
    }
    PublishedSetupInfo setupInfo(std::move(mapping));
    if (!setupInfo.MapView()) {
        ShowStartUpFailure(kMapViewFailedText);
        return false;
    }

    // Published for other processes until the process ends; a failure here does not stop the
    // setup.
    g_hSetupEvent = ::CreateEventW(nullptr, FALSE, FALSE, kSetupEventName);

    frame.emplace();
    m_pMainWnd = &*frame;
    frame->DoModal(); // OK or cancel: the teardown is the same
    m_pMainWnd = nullptr;
    return false;
}
