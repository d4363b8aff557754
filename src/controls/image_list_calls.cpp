#include "controls/image_list_calls.h"

namespace controls {
namespace {

// The entry of comctl32 (the edition the process's manifest selects), or null.
template <typename Function>
Function Entry(const char* name) {
    // Never freed: the controls' window classes live in it for the whole run.
    static const HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
    if (!comctl)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(comctl, name)));
}

} // namespace

bool ImageListGetImageInfo(HIMAGELIST images, int index, IMAGEINFO& info) {
    using Function = BOOL(WINAPI*)(HIMAGELIST, int, IMAGEINFO*);
    static const auto call = Entry<Function>("ImageList_GetImageInfo");
    return call && call(images, index, &info) != FALSE;
}

COLORREF ImageListSetBkColor(HIMAGELIST images, COLORREF colour) {
    using Function = COLORREF(WINAPI*)(HIMAGELIST, COLORREF);
    static const auto call = Entry<Function>("ImageList_SetBkColor");
    return call ? call(images, colour) : CLR_NONE;
}

bool ImageListDrawIndirect(IMAGELISTDRAWPARAMS& draw) {
    using Function = BOOL(WINAPI*)(IMAGELISTDRAWPARAMS*);
    static const auto call = Entry<Function>("ImageList_DrawIndirect");
    return call && call(&draw) != FALSE;
}

} // namespace controls
