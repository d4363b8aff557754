// The gallery: each control in the states worth seeing, one picture per scene. Each control has
// its own source file with a function that lists its scenes; gallery.cpp shows them one by one in
// a window of their own and writes what the screen shows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wcl/window.h"

struct Scene {
    // The picture's file name, without extension.
    std::wstring name;
    // Room for the control, in pixels.
    SIZE size;
    // Makes the control as a child of `host` at `place` and brings it into the state shown; the
    // returned object keeps it alive until the picture is taken.
    std::function<std::unique_ptr<wcl::CWnd>(wcl::CWnd& host, const RECT& place)> make;
    // Messages are handled this long before the picture is taken (for animations).
    int runMilliseconds = 0;
};

std::vector<Scene> BusyIndicatorScenes();
std::vector<Scene> ListScenes();
