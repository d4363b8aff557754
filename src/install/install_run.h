// The install run's workers: one thread per program file, each downloading its file with a client
// of its own into the product folder and reporting to the Install page by window messages only
// (progress posted by the client, the final 100 and the done report sent).
//
// Every worker passes through the run's gate before each step that the page or the user could
// see (a read from the server, a report, the replacement of a file), so the page can hold all of
// them around the cancel question and stop them for good; a stopped worker says nothing more.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "oribel_config.h"
#include "update/update_client.h"
#include "wcl/thread.h"
#include "wcl/work_gate.h"

// Where and how a run fetches its files. The setup keeps the defaults; tests point a run at a
// server and a folder of their own and lower the client's bounds.
struct InstallRunSettings {
    // Host of the program files.
    std::wstring host = oribel::kUpdateHost;
    // Where the files go; empty for the product folder under Program Files.
    std::wstring targetFolder;
    UpdateClientSettings client;
    // Starts a worker's thread; tests put a refusal here. Empty: a thread at the lowest priority.
    std::function<bool(wcl::CThread& thread, wcl::CThread::Body body)> startWorker;
};

// What the workers of one run share. The Install page owns it and outlives every worker.
struct InstallRunContext {
    wcl::CWorkGate gate;
    // The page receives the reports; the frame owns the failure box and ends the wizard.
    HWND pageWnd = nullptr;
    HWND frameWnd = nullptr;
    InstallRunSettings settings;
};

// One worker's parameter: made by the install start, read by the worker, freed by the page when
// it has handled the worker's done report (or when the page goes).
struct InstallThreadParam {
    // The file's row in the list, the position of its path in the URL list.
    int32_t index = 0;
    // The file's request path, whole.
    std::wstring url;
    // The worker's thread object, set by the install start right after the start.
    wcl::CThread* thread = nullptr;
    InstallRunContext* run = nullptr;
};

// Row labels count tools and main files across the whole process, from 1.
extern int g_nToolCount;
extern int g_nMainFileCount;

// "- Installing Tool NN" for a name holding ".exe", "- Installing Main File NN" for one holding
// ".dll", "- Installing Temp File" otherwise; a numbered label uses up its counter's number.
std::wstring GetItemLabel(const std::wstring& fileName);

// The text after the last "/" of a request path; the whole path when it has none.
std::wstring FileNameOfUrl(const std::wstring& url);

// The folder of the program files: the run's own, or Program Files\Tervane\ORIBEL. Empty when
// Program Files cannot be had.
std::wstring InstallTargetFolder(const InstallRunSettings& settings);

// A worker's whole life: the download, the failure box and the end of the wizard on failure, or
// the final 100 and the done report. Returns 1.
DWORD InstallThreadProc(InstallThreadParam* param);

// The failure that ends the wizard: the box, owned by the frame, then IDCANCEL to the frame. Runs
// on a worker or on the window thread (for a worker that could not be started). Nothing happens
// once the run is stopped; a held run shows the box only when released.
void ReportFailedInstall(InstallRunContext& run);

// The failure box's text and caption.
inline constexpr wchar_t kFailedInstallText[] = L"Failed Installing - DownloadUrlFile";
inline constexpr wchar_t kFailedInstallCaption[] = L"ORIBEL Install";
