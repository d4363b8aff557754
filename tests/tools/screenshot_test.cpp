#include "common/screenshot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kTop = RGB(200, 30, 40);
constexpr COLORREF kBottom = RGB(20, 60, 210);
// An odd width, so each BMP row needs padding, at an odd place away from the screen's corner.
constexpr RECT kPlace{37, 53, 37 + 101, 53 + 80};

// A captioned window whose client area is kTop in its upper half and kBottom below.
class TwoColourWindow : public wcl::CWnd {
public:
    TwoColourWindow() {
        CreateEx(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_CAPTION | WS_VISIBLE, kPlace, nullptr,
                 0);
        UpdateWindow();
    }

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_ERASEBKGND, &TwoColourWindow::OnEraseBkgnd>(),
            wcl::MapMessage<WM_PAINT, &TwoColourWindow::OnPaint>(),
        };
        static const wcl::MessageMap map(CWnd::GetMessageMap(), entries);
        return map;
    }

private:
    bool OnEraseBkgnd(wcl::CDC& dc) {
        RECT client = GetClientRect();
        const LONG middle = client.bottom / 2;
        dc.FillSolidRect(RECT{0, 0, client.right, middle}, kTop);
        dc.FillSolidRect(RECT{0, middle, client.right, client.bottom}, kBottom);
        return true;
    }
    void OnPaint() { const wcl::CPaintDC dc(*this); }
};

// A 24-bit BMP file read back, its rows in file order, with what was wrong in its headers.
struct Bmp {
    std::vector<char> bytes;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};

    explicit Bmp(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (bytes.size() >= sizeof(file) + sizeof(info)) {
            std::memcpy(&file, bytes.data(), sizeof(file));
            std::memcpy(&info, bytes.data() + sizeof(file), sizeof(info));
        }
    }
    size_t Stride() const { return (static_cast<size_t>(info.biWidth) * 3 + 3) & ~size_t{3}; }
    // Counted from the top of the picture; the file holds the bottom row first.
    COLORREF At(int x, int y) const {
        const size_t row = static_cast<size_t>(info.biHeight - 1 - y);
        const size_t at = file.bfOffBits + row * Stride() + static_cast<size_t>(x) * 3;
        const auto byte = [&](size_t i) { return static_cast<BYTE>(bytes[at + i]); };
        return RGB(byte(2), byte(1), byte(0));
    }
};

// Fatal when the pixels would not be where the headers say.
void ExpectWellFormed(const Bmp& bmp, LONG width, LONG height) {
    ASSERT_EQ(bmp.info.biWidth, width);
    ASSERT_EQ(bmp.info.biHeight, height); // positive: bottom row first
    ASSERT_EQ(bmp.info.biBitCount, 24);
    ASSERT_EQ(bmp.file.bfOffBits, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    ASSERT_EQ(bmp.bytes.size(), bmp.file.bfOffBits + bmp.Stride() * static_cast<size_t>(height));
    EXPECT_EQ(bmp.file.bfType, 0x4D42);
    EXPECT_EQ(bmp.file.bfSize, bmp.bytes.size());
    EXPECT_EQ(bmp.info.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(bmp.info.biPlanes, 1);
    EXPECT_EQ(bmp.info.biCompression, static_cast<DWORD>(BI_RGB));
}

class Screenshot : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("screenshot-test-" + std::to_string(::GetCurrentProcessId()));
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(window.GetSafeHwnd());
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    TwoColourWindow window;
};

TEST_F(Screenshot, ClientAreaHoldsExactlyTheClientPixels) {
    const auto path = folder / "client.bmp";
    ASSERT_TRUE(tools::WriteScreenshot(window, tools::ScreenArea::ClientArea, path.wstring()));

    const RECT client = window.GetClientRect();
    const Bmp bmp(path);
    ASSERT_NO_FATAL_FAILURE(ExpectWellFormed(bmp, client.right, client.bottom));
    int wrong = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x)
            wrong += bmp.At(x, y) != (y < client.bottom / 2 ? kTop : kBottom);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Screenshot, WholeWindowAddsItsFrameAndTitleBar) {
    const auto path = folder / "window.bmp";
    ASSERT_TRUE(tools::WriteScreenshot(window, tools::ScreenArea::WholeWindow, path.wstring()));

    const RECT frame = window.GetWindowRect();
    RECT client = window.GetClientRect();
    window.ClientToScreen(client);
    const int left = client.left - frame.left;
    const int top = client.top - frame.top;
    ASSERT_GT(top, 0) << "the window has no title bar to picture";
    const Bmp bmp(path);
    ASSERT_NO_FATAL_FAILURE(
        ExpectWellFormed(bmp, frame.right - frame.left, frame.bottom - frame.top));
    EXPECT_EQ(bmp.At(left, top), kTop);
    EXPECT_EQ(bmp.At(client.right - frame.left - 1, client.bottom - frame.top - 1), kBottom);
    const COLORREF titleBar = bmp.At((frame.right - frame.left) / 2, top / 2);
    EXPECT_NE(titleBar, kTop);
    EXPECT_NE(titleBar, kBottom);
}

TEST_F(Screenshot, ReportsWhatItCannotDo) {
    const auto unwritable = folder / "missing" / "client.bmp";
    EXPECT_FALSE(
        tools::WriteScreenshot(window, tools::ScreenArea::ClientArea, unwritable.wstring()));
    EXPECT_FALSE(std::filesystem::exists(unwritable));

    const auto path = folder / "gone.bmp";
    window.DestroyWindow();
    EXPECT_FALSE(tools::WriteScreenshot(window, tools::ScreenArea::WholeWindow, path.wstring()));
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
