#include <windows.h>
#include <shlobj.h>

#include "update/product_folder.h"

namespace {

std::wstring ProgramFilesFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE))
        return {};
    return folder;
}

} // namespace

std::wstring MakeProductFolder(const std::wstring& programFiles) {
    if (programFiles.empty())
        return {};
    // Existing folders are no failure; a folder that cannot be made shows when a file cannot be
    // created in it.
    const std::wstring maker = programFiles + L"\\Tervane";
    ::CreateDirectoryW(maker.c_str(), nullptr);
    std::wstring product = maker + L"\\ORIBEL";
    ::CreateDirectoryW(product.c_str(), nullptr);
    return product;
}

std::wstring GetProductFolder() {
    return MakeProductFolder(ProgramFilesFolder());
}
