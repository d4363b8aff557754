// The stand-in product: see stand_in_product.h for its switches and its record.
#include <windows.h>
#include <aclapi.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <string_view>

#include "stand_in_product/stand_in_product.h"
#include "wcl/handle.h"
#include "wcl/text.h"
#include "wcl/unique.h"

namespace {

struct Options {
    bool ignoreClose = false;
    bool hang = false;
    bool noWindow = false;
    bool protect = false;
    UINT closeDelayMs = 0;
    std::wstring recordPath;
};

struct LocalMemoryTraits {
    using pointer = wchar_t**;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer p) noexcept { ::LocalFree(p); }
};

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

Options ParseOptions() {
    Options options;
    int count = 0;
    wcl::Unique<LocalMemoryTraits> args(::CommandLineToArgvW(::GetCommandLineW(), &count));
    for (int i = 1; args && i < count; ++i) {
        const std::wstring_view arg = args.get()[i];
        if (arg == stand_in::kIgnoreClose)
            options.ignoreClose = true;
        else if (arg == stand_in::kHang)
            options.hang = true;
        else if (arg == stand_in::kNoWindow)
            options.noWindow = true;
        else if (arg == stand_in::kProtect)
            options.protect = true;
        else if (StartsWith(arg, stand_in::kCloseDelay))
            options.closeDelayMs = static_cast<UINT>(
                std::wcstoul(args.get()[i] + std::wcslen(stand_in::kCloseDelay), nullptr, 10));
        else if (StartsWith(arg, stand_in::kRecord))
            options.recordPath = arg.substr(std::wcslen(stand_in::kRecord));
    }
    if (options.recordPath.empty()) {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableW(stand_in::kRecordVariable, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            options.recordPath = path;
    }
    return options;
}

std::wstring CurrentFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, folder.data());
    folder.resize(length < MAX_PATH ? length : 0);
    return folder;
}

// Appends one line to the record. Appending keeps the lines of several starts whole and in order.
void Record(const std::wstring& path, const std::string& line) {
    if (path.empty())
        return;
    wcl::UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Lets other processes of the same account open this one only to wait for it, as if it ran under
// another account. Handles opened before (the starter's own) keep their rights.
void RefuseOpeningForEnd() {
    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
    PACL acl = nullptr;
    if (::SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS)
        return;
    ::SetSecurityInfo(::GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                      nullptr, acl, nullptr);
    ::LocalFree(acl);
}

struct Window {
    const Options* options = nullptr;
    UINT exitCode = 1; // a window destroyed other than on the close request
};

constexpr UINT_PTR kCloseTimer = 1;

void EndOnRequest(HWND window, Window& state) {
    state.exitCode = stand_in::kExitCodeClosedItself;
    ::DestroyWindow(window);
}

void OnCloseRequest(HWND window, Window& state, WPARAM wParam, LPARAM lParam) {
    Record(state.options->recordPath,
           stand_in::kMessageLine + std::to_string(wParam) + " " + std::to_string(lParam));
    if (state.options->hang)
        ::Sleep(INFINITE);
    if (state.options->ignoreClose)
        return;
    if (state.options->closeDelayMs > 0)
        ::SetTimer(window, kCloseTimer, state.options->closeDelayMs, nullptr);
    else
        EndOnRequest(window, state);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state != nullptr) {
        switch (message) {
        case stand_in::kCloseMessage:
            OnCloseRequest(window, *state, wParam, lParam);
            return 0;
        case WM_TIMER:
            if (wParam == kCloseTimer) {
                ::KillTimer(window, kCloseTimer);
                EndOnRequest(window, *state);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(static_cast<int>(state->exitCode));
            return 0;
        default:
            break;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int RunMainWindow(HINSTANCE instance, const Options& options) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"OribelStandInProduct";
    if (::RegisterClassExW(&windowClass) == 0)
        return 2;
    Window state;
    state.options = &options;
    // Hidden, like the product when it runs in the tray; FindWindowW finds hidden windows too.
    if (::CreateWindowExW(0, windowClass.lpszClassName, stand_in::kWindowTitle, WS_OVERLAPPEDWINDOW,
                          CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr, instance,
                          &state) == nullptr)
        return 3;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const Options options = ParseOptions();
    // One write for both lines, so a reader that sees the start sees the folder too.
    Record(options.recordPath, stand_in::kStartLine + wcl::Utf16ToUtf8(::GetCommandLineW()) + "\n" +
                                   stand_in::kFolderLine + wcl::Utf16ToUtf8(CurrentFolder()));
    if (options.protect)
        RefuseOpeningForEnd();
    if (options.noWindow) {
        ::Sleep(INFINITE);
        return 0;
    }
    return RunMainWindow(instance, options);
}
