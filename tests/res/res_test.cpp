// The resources linked into the setup: the dialog templates as bytes and as live windows, the
// pictures, the icon and the manifest, read back from this test program, which links the same
// resource object as the setup.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <ostream>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"
#include "wcl/gdi.h"
#include "wcl/unique.h"
#include "wcl/text.h"

namespace {

struct IconTraits {
    using pointer = HICON;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer icon) noexcept { ::DestroyIcon(icon); }
};
struct WindowTraits {
    using pointer = HWND;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer window) noexcept { ::DestroyWindow(window); }
};
using UniqueIcon = wcl::Unique<IconTraits>;
using UniqueWindow = wcl::Unique<WindowTraits>;

HINSTANCE Module() {
    return ::GetModuleHandleW(nullptr);
}

// A dialog procedure that handles nothing: the tests look at the windows, not at behaviour.
INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The bytes of one resource of this program; empty when it is missing.
std::span<const std::uint8_t> ResourceBytes(LPCWSTR type, int id) {
    HRSRC found = ::FindResourceW(Module(), MAKEINTRESOURCEW(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = ::LoadResource(Module(), found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return {static_cast<const std::uint8_t*>(data), ::SizeofResource(Module(), found)};
}

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    }
    return true;
}

// --- Dialog templates, read from their bytes (DLGTEMPLATE and DLGTEMPLATEEX).

// Reads little-endian fields of a template with bounds checks; any read past the end clears ok.
class TemplateReader {
public:
    explicit TemplateReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }

    std::uint32_t Read(size_t size) {
        if (!ok_ || bytes_.size() - at_ < size) {
            ok_ = false;
            return 0;
        }
        std::uint32_t value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= std::uint32_t{bytes_[at_ + i]} << (8 * i);
        at_ += size;
        return value;
    }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Read(2)); }
    std::uint32_t Dword() { return Read(4); }

    std::wstring String() {
        std::wstring text;
        for (std::uint16_t c = Word(); ok_ && c != 0; c = Word())
            text.push_back(static_cast<wchar_t>(c));
        return text;
    }

    // A name or an ordinal (menu, class, title): 0 for none, 0xFFFF and a number, or a string.
    // An ordinal becomes "#n", and the predefined control classes their names.
    std::wstring NameOrOrdinal() {
        std::uint16_t first = Word();
        if (first == 0)
            return {};
        if (first == 0xFFFF) {
            std::uint16_t ordinal = Word();
            static const wchar_t* const kClasses[] = {L"Button",  L"Edit",      L"Static",
                                                      L"ListBox", L"ScrollBar", L"ComboBox"};
            if (ordinal >= 0x80 && ordinal <= 0x85)
                return kClasses[ordinal - 0x80];
            return L"#" + std::to_wstring(ordinal);
        }
        std::wstring text(1, static_cast<wchar_t>(first));
        text += String();
        return text;
    }

    void AlignToDword() { at_ = (at_ + 3) & ~size_t{3}; }

private:
    std::span<const std::uint8_t> bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

struct ParsedControl {
    std::uint32_t id = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::wstring className;
    std::wstring text;
};

struct ParsedDialog {
    bool extended = false;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::wstring title;
    std::uint16_t pointSize = 0;
    std::wstring face;
    std::vector<ParsedControl> controls;
};

std::optional<ParsedDialog> ParseDialogTemplate(std::span<const std::uint8_t> bytes) {
    TemplateReader in(bytes);
    ParsedDialog dialog;
    std::uint16_t version = in.Word();
    std::uint16_t signature = in.Word();
    dialog.extended = version == 1 && signature == 0xFFFF;
    std::uint16_t count = 0;
    if (dialog.extended) {
        in.Dword(); // help id
        dialog.exStyle = in.Dword();
        dialog.style = in.Dword();
    } else {
        in = TemplateReader(bytes);
        dialog.style = in.Dword();
        dialog.exStyle = in.Dword();
    }
    count = in.Word();
    for (int i = 0; i < 4; ++i)
        in.Word();      // x, y, cx, cy: replaced at run time
    in.NameOrOrdinal(); // menu
    in.NameOrOrdinal(); // window class
    dialog.title = in.NameOrOrdinal();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Word();
        if (dialog.extended) {
            in.Word();  // weight
            in.Read(1); // italic
            in.Read(1); // character set
        }
        dialog.face = in.String();
    }
    for (std::uint16_t i = 0; i < count && in.ok(); ++i) {
        in.AlignToDword();
        ParsedControl control;
        if (dialog.extended) {
            in.Dword(); // help id
            control.exStyle = in.Dword();
            control.style = in.Dword();
        } else {
            control.style = in.Dword();
            control.exStyle = in.Dword();
        }
        for (int j = 0; j < 4; ++j)
            in.Word();
        control.id = dialog.extended ? in.Dword() : in.Word();
        control.className = in.NameOrOrdinal();
        control.text = in.NameOrOrdinal();
        std::uint16_t extra = in.Word();
        if (extra > 0) {
            in.AlignToDword(); // creation data, unused here
            in.Read(extra);
        }
        dialog.controls.push_back(std::move(control));
    }
    if (!in.ok())
        return std::nullopt;
    return dialog;
}

struct ExpectedControl {
    DWORD id;
    const wchar_t* className;
    DWORD style;
    const wchar_t* text; // nullptr: the code sets the text, the template's does not matter
};

struct ExpectedDialog {
    const char* name;
    int id;
    DWORD style;
    DWORD exStyle;
    const wchar_t* title;
    const wchar_t* face;
    WORD pointSize;
    std::vector<ExpectedControl> controls;
};

constexpr DWORD kPushButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kPage = WS_CHILD | DS_SETFONT;

const ExpectedDialog kDialogs[] = {
    {"Frame",
     IDD_SETUP_DIALOG,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
     WS_EX_APPWINDOW,
     L"Install ORIBEL",
     L"\uad74\ub9bc", // 굴림
     9,
     {{IDC_BACK, L"Button", kPushButton, nullptr},
      {IDC_NEXT, L"Button", kPushButton, nullptr},
      {IDC_CANCEL, L"Button", kPushButton, nullptr}}},
    {"Welcome",
     IDD_WELCOME,
     kPage,
     0,
     L"",
     L"MS Gothic",
     9,
     {{IDC_HOMEPAGE, L"Static", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, L"HomePage"}}},
    {"Complete", IDD_COMPLETE, kPage, 0, L"", L"MS Gothic", 9, {}},
    {"Install",
     IDD_INSTALL,
     kPage,
     0,
     L"",
     L"MS Gothic",
     9,
     {{IDC_PROGRESS, L"msctls_progress32", WS_CHILD | WS_VISIBLE | WS_BORDER, nullptr},
      {IDC_FILE_LIST, L"SysListView32",
       WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
           LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER,
       nullptr}}},
};

void PrintTo(const ExpectedDialog& dialog, std::ostream* out) {
    *out << dialog.name;
}

class DialogTemplate : public testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplate, HeaderAndControlsAreAsDesigned) {
    const ExpectedDialog& want = GetParam();
    auto bytes = ResourceBytes(RT_DIALOG, want.id);
    ASSERT_FALSE(bytes.empty()) << "no dialog template " << want.id;
    auto parsed = ParseDialogTemplate(bytes);
    ASSERT_TRUE(parsed) << "template " << want.id << " is cut short";

    EXPECT_EQ(parsed->style, want.style) << std::hex << "style 0x" << parsed->style;
    EXPECT_EQ(parsed->exStyle, want.exStyle) << std::hex << "extended style 0x" << parsed->exStyle;
    EXPECT_EQ(parsed->title, want.title);
    EXPECT_EQ(parsed->face, want.face);
    EXPECT_EQ(parsed->pointSize, want.pointSize);

    ASSERT_EQ(parsed->controls.size(), want.controls.size());
    for (size_t i = 0; i < want.controls.size(); ++i) {
        const ParsedControl& got = parsed->controls[i];
        const ExpectedControl& control = want.controls[i];
        SCOPED_TRACE(testing::Message() << "control " << control.id);
        EXPECT_EQ(got.id, control.id);
        // Window class names are case-insensitive, and windres stores them in capitals.
        EXPECT_TRUE(EqualIgnoringCase(got.className, control.className));
        EXPECT_EQ(got.style, control.style) << std::hex << "style 0x" << got.style;
        EXPECT_EQ(got.exStyle, 0u);
        if (control.text) {
            EXPECT_EQ(got.text, control.text);
        }
    }
}

// The templates also make real windows: the frame on its own, each page as the frame's child,
// with the controls of the classes named and the template's font.
TEST_P(DialogTemplate, CreatesItsWindowAndControls) {
    const ExpectedDialog& want = GetParam();
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&classes));
    UniqueWindow frame(::CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_SETUP_DIALOG), nullptr,
                                            QuietDialogProc, 0));
    ASSERT_TRUE(frame);
    UniqueWindow page;
    HWND window = frame.get();
    if (want.id != IDD_SETUP_DIALOG) {
        page.reset(::CreateDialogParamW(Module(), MAKEINTRESOURCEW(want.id), frame.get(),
                                        QuietDialogProc, 0));
        ASSERT_TRUE(page);
        window = page.get();
        EXPECT_EQ(::GetParent(window), frame.get());
    }
    auto style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
    EXPECT_EQ(style & want.style, want.style) << std::hex << "style 0x" << style;
    EXPECT_EQ(style & WS_VISIBLE, 0u) << "the frame and the pages show themselves";

    auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW logFont{};
    ASSERT_EQ(::GetObjectW(font, sizeof(logFont), &logFont), int{sizeof(logFont)});
    EXPECT_STREQ(logFont.lfFaceName, want.face);
    HDC screen = ::GetDC(nullptr);
    int pixelsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(logFont.lfHeight, -::MulDiv(want.pointSize, pixelsPerInch, 72));

    for (const ExpectedControl& control : want.controls) {
        SCOPED_TRACE(testing::Message() << "control " << control.id);
        HWND item = ::GetDlgItem(window, static_cast<int>(control.id));
        ASSERT_NE(item, nullptr);
        wchar_t className[64] = {};
        ::GetClassNameW(item, className, 64);
        EXPECT_STREQ(className, control.className);
        auto itemStyle = static_cast<DWORD>(::GetWindowLongW(item, GWL_STYLE));
        // WS_BORDER does not survive creation (the dialog manager and the controls turn it into
        // edges of their own); the template test above checks it.
        DWORD kept = control.style & ~DWORD{WS_BORDER};
        EXPECT_EQ(itemStyle & kept, kept) << std::hex << itemStyle;
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, DialogTemplate, testing::ValuesIn(kDialogs),
                         [](const auto& row) { return std::string(row.param.name); });

// --- Pictures.

struct ExpectedPicture {
    const char* name;
    int id;
    int width;
    int height;
};

const ExpectedPicture kPictures[] = {
    {"SideKorean", IDB_SIDE_KO, 177, 290},
    {"SideEnglish", IDB_SIDE_EN, 177, 290},
    {"Logo", IDB_LOGO, 150, 57},
};

// The pixels of a bitmap resource as loaded by the pages (LoadBitmapW), top row first, 0x00RRGGBB.
std::vector<std::uint32_t> LoadPixels(int id, int* width, int* height) {
    wcl::UniqueBitmap bitmap(::LoadBitmapW(Module(), MAKEINTRESOURCEW(id)));
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap.get(), sizeof(info), &info))
        return {};
    *width = info.bmWidth;
    *height = info.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = ::GetDC(nullptr);
    int rows = ::GetDIBits(screen, static_cast<HBITMAP>(bitmap.get()), 0, info.bmHeight,
                           pixels.data(), &format, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight)
        return {};
    for (auto& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

constexpr std::uint32_t kWhite = 0xFFFFFF;

void PrintTo(const ExpectedPicture& picture, std::ostream* out) {
    *out << picture.name;
}

class Picture : public testing::TestWithParam<ExpectedPicture> {};

TEST_P(Picture, IsA24BitBitmapOfItsSize) {
    const ExpectedPicture& want = GetParam();
    auto bytes = ResourceBytes(RT_BITMAP, want.id);
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, want.width);
    EXPECT_EQ(std::abs(header.biHeight), want.height);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, DWORD{BI_RGB});
    size_t stride = (static_cast<size_t>(want.width) * 3 + 3) & ~size_t{3};
    EXPECT_GE(bytes.size(), header.biSize + stride * want.height);

    wcl::UniqueBitmap bitmap(::LoadBitmapW(Module(), MAKEINTRESOURCEW(want.id)));
    ASSERT_TRUE(bitmap);
    BITMAP loaded{};
    ASSERT_TRUE(::GetObjectW(bitmap.get(), sizeof(loaded), &loaded));
    EXPECT_EQ(loaded.bmWidth, want.width);
    EXPECT_EQ(loaded.bmHeight, want.height);
}

// The pictures lie on white (the pages and the Install page's band are white): their border is
// white so no seam shows, and they are not blank.
TEST_P(Picture, HasAWhiteBorderAndADrawing) {
    const ExpectedPicture& want = GetParam();
    int width = 0, height = 0;
    auto pixels = LoadPixels(want.id, &width, &height);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(want.width) * want.height);
    for (int x = 0; x < width; ++x) {
        ASSERT_EQ(pixels[x], kWhite) << "top row, x " << x;
        ASSERT_EQ(pixels[(height - 1) * width + x], kWhite) << "bottom row, x " << x;
    }
    for (int y = 0; y < height; ++y) {
        ASSERT_EQ(pixels[y * width], kWhite) << "left column, y " << y;
        ASSERT_EQ(pixels[y * width + width - 1], kWhite) << "right column, y " << y;
    }
    size_t drawn = 0;
    for (auto pixel : pixels)
        drawn += pixel != kWhite;
    EXPECT_GT(drawn, pixels.size() / 10) << "the picture is nearly blank";
}

INSTANTIATE_TEST_SUITE_P(Resources, Picture, testing::ValuesIn(kPictures),
                         [](const auto& row) { return std::string(row.param.name); });

// The two side pictures share their illustration and differ in the tag line above it.
TEST(SidePicture, LanguageEditionsDifferOnlyAboveTheIllustration) {
    constexpr int kIllustrationTop = 100;
    int width = 0, height = 0;
    auto korean = LoadPixels(IDB_SIDE_KO, &width, &height);
    auto english = LoadPixels(IDB_SIDE_EN, &width, &height);
    ASSERT_EQ(korean.size(), size_t{177 * 290});
    ASSERT_EQ(english.size(), korean.size());
    size_t split = static_cast<size_t>(kIllustrationTop) * width;
    EXPECT_FALSE(std::equal(korean.begin(), korean.begin() + split, english.begin()))
        << "the Korean and English tag lines are the same";
    EXPECT_TRUE(std::equal(korean.begin() + split, korean.end(), english.begin() + split))
        << "the illustrations differ";
}

// --- Icon.

#pragma pack(push, 2)
struct IconDirectoryEntry { // one entry of an RT_GROUP_ICON resource
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Icon, HoldsEachSizeAsItsOwnImage) {
    auto bytes = ResourceBytes(RT_GROUP_ICON, IDR_MAINFRAME);
    ASSERT_GE(bytes.size(), size_t{6});
    WORD type = 0, count = 0;
    std::memcpy(&type, bytes.data() + 2, 2);
    std::memcpy(&count, bytes.data() + 4, 2);
    EXPECT_EQ(type, 1) << "not an icon directory";
    ASSERT_EQ(bytes.size(), 6 + count * sizeof(IconDirectoryEntry));
    std::multiset<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        IconDirectoryEntry entry;
        std::memcpy(&entry, bytes.data() + 6 + i * sizeof(entry), sizeof(entry));
        int size = entry.width == 0 ? 256 : entry.width; // 0 stands for 256
        EXPECT_EQ(entry.height == 0 ? 256 : entry.height, size);
        EXPECT_EQ(entry.bitCount, 32) << "icon " << size << " has no alpha channel";
        EXPECT_FALSE(ResourceBytes(RT_ICON, entry.id).empty()) << "icon image " << entry.id;
        sizes.insert(size);
    }
    EXPECT_EQ(sizes, (std::multiset<int>{16, 32, 48, 256}));
}

TEST(Icon, LoadsAtEachSize) {
    UniqueIcon standard(::LoadIconW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    EXPECT_TRUE(standard);
    for (int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(testing::Message() << size << " pixels");
        UniqueIcon icon(static_cast<HICON>(
            ::LoadImageW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
        wcl::UniqueBitmap colour(info.hbmColor);
        wcl::UniqueBitmap mask(info.hbmMask);
        BITMAP bitmap{};
        ASSERT_TRUE(colour);
        ASSERT_TRUE(::GetObjectW(colour.get(), sizeof(bitmap), &bitmap));
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
    }
}

// --- Manifest.

// The start tags <name ...> in an XML text, each as the text between '<' and '>'.
std::vector<std::string_view> StartTags(std::string_view xml, std::string_view name) {
    std::vector<std::string_view> tags;
    std::string open = "<" + std::string(name);
    for (size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
        size_t after = at + open.size();
        if (after >= xml.size() || !std::isspace(static_cast<unsigned char>(xml[after])))
            continue;
        size_t end = xml.find('>', after);
        if (end == std::string_view::npos)
            break;
        tags.push_back(xml.substr(at, end - at));
    }
    return tags;
}

// The value of an attribute of a start tag, or nullopt.
std::optional<std::string_view> Attribute(std::string_view tag, std::string_view name) {
    std::string key = " " + std::string(name) + "=\"";
    for (char space : {' ', '\n', '\t', '\r'}) {
        key[0] = space;
        size_t at = tag.find(key);
        if (at == std::string_view::npos)
            continue;
        size_t begin = at + key.size();
        size_t end = tag.find('"', begin);
        if (end != std::string_view::npos)
            return tag.substr(begin, end - begin);
    }
    return std::nullopt;
}

std::string_view ManifestText() {
    auto bytes = ResourceBytes(RT_MANIFEST, 1) /* the one the loader reads at process start */;
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

BOOL CALLBACK CountResource(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(Manifest, IsTheOnlyOneAndAsksForAdministrator) {
    int manifests = 0;
    ::EnumResourceNamesW(Module(), RT_MANIFEST, CountResource,
                         reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);

    std::string_view xml = ManifestText();
    ASSERT_FALSE(xml.empty());
    auto levels = StartTags(xml, "requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(Attribute(levels[0], "level"), "requireAdministrator");
    EXPECT_EQ(Attribute(levels[0], "uiAccess"), "false");
}

TEST(Manifest, DependsOnCommonControls6) {
    std::string_view xml = ManifestText();
    int found = 0;
    for (std::string_view identity : StartTags(xml, "assemblyIdentity")) {
        if (Attribute(identity, "name") != "Microsoft.Windows.Common-Controls")
            continue;
        ++found;
        EXPECT_EQ(Attribute(identity, "version"), "6.0.0.0");
        EXPECT_EQ(Attribute(identity, "processorArchitecture"), "*");
        EXPECT_EQ(Attribute(identity, "publicKeyToken"), "6595b64144ccf1df");
        EXPECT_EQ(Attribute(identity, "type"), "win32");
    }
    EXPECT_EQ(found, 1);
    // In effect, not only written: the process's activation context, made from the manifest,
    // sends comctl32.dll to the version 6 assembly, and that copy is the one loaded. (Wine's copy
    // reports 5.x from DllGetVersion, so the version number cannot tell.) Without the manifest
    // the search fails and the system folder's comctl32.dll is loaded.
    ACTCTX_SECTION_KEYED_DATA redirect{};
    redirect.cbSize = sizeof(redirect);
    EXPECT_TRUE(::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                           L"comctl32.dll", &redirect));
    HMODULE controls = ::GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(controls, path, MAX_PATH), 0u);
    std::string loaded = wcl::Utf16ToUtf8(path);
    std::transform(loaded.begin(), loaded.end(), loaded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(loaded.find("\\winsxs\\"), std::string::npos) << loaded;
    EXPECT_NE(loaded.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
              std::string::npos)
        << loaded;
}

} // namespace
