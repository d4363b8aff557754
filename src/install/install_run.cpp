#include "install/install_run.h"

#include "install/install_messages.h"
#include "update/product_folder.h"
#include "wcl/text.h"

int g_nToolCount = 1;
int g_nMainFileCount = 1;

namespace {

// A name the file system takes as one file inside the folder: no separator, no stream or drive
// colon, not the folder itself or its parent.
bool IsPlainFileName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

std::wstring LocalPathOf(const InstallRunSettings& settings, const std::wstring& url) {
    const std::wstring name = FileNameOfUrl(url);
    const std::wstring folder = InstallTargetFolder(settings);
    if (folder.empty() || !IsPlainFileName(name))
        return {};
    return folder + L"\\" + name;
}

} // namespace

std::wstring GetItemLabel(const std::wstring& fileName) {
    if (fileName.find(L".exe") != std::wstring::npos)
        return wcl::Format(L"- Installing Tool %02d", g_nToolCount++);
    if (fileName.find(L".dll") != std::wstring::npos)
        return wcl::Format(L"- Installing Main File %02d", g_nMainFileCount++);
    return L"- Installing Temp File";
}

std::wstring FileNameOfUrl(const std::wstring& url) {
    const size_t slash = url.rfind(L'/');
    return slash == std::wstring::npos ? url : url.substr(slash + 1);
}

std::wstring InstallTargetFolder(const InstallRunSettings& settings) {
    return settings.targetFolder.empty() ? GetProductFolder() : settings.targetFolder;
}

void ReportFailedInstall(InstallRunContext& run) {
    wcl::CWorkGate& gate = run.gate;
    if (!gate.WaitWhileHeld())
        return;
    ::MessageBoxW(run.frameWnd, kFailedInstallText, kFailedInstallCaption, MB_OK | MB_ICONERROR);
    const wcl::WorkStep step(&gate);
    if (step)
        ::SendMessageW(run.frameWnd, WM_COMMAND, IDCANCEL, 0);
}

DWORD InstallThreadProc(InstallThreadParam* param) {
    InstallRunContext& run = *param->run;
    wcl::CWorkGate& gate = run.gate;
    const int32_t index = param->index;
    bool ok = false;
    {
        CUpdateClient client(run.settings.client);
        client.notifyWnd = run.pageWnd;
        client.gate = &gate;
        const std::wstring localPath = LocalPathOf(run.settings, param->url);
        ok = !localPath.empty() &&
             client.DownloadUrlFile(param->url, localPath, run.settings.host, index);
    }
    if (!ok)
        ReportFailedInstall(run);
    // The last reports, unless the run has been stopped meanwhile (by this failure among
    // others). The page frees the parameter while it handles the done report: it is not read
    // after that.
    const wcl::WorkStep step(&gate);
    if (!step)
        return 1;
    ::SendMessageW(run.pageWnd, WM_INSTALL_PROGRESS, static_cast<WPARAM>(index), 100);
    ::SendMessageW(run.pageWnd, WM_INSTALL_FILE_DONE, reinterpret_cast<WPARAM>(param), ok ? 1 : 0);
    return 1;
}
