// Test dialogs shared by the dialog tests: a frame whose OK, Cancel and Next are logged, and a
// frame with a page whose key filters log in the frame's log.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "test_resources.h"
#include "wcl/controls.h"
#include "wcl/dialog.h"
#include "window_test_support.h"

namespace wcl_test {

inline constexpr UINT kRunScript = WM_USER + 10;

// A frame whose OK and Cancel are logged, and whose test may hold Cancel back (as a question
// answered No does).
class Frame : public ScriptedDialog {
public:
    explicit Frame(wcl::CWnd* parent = nullptr) : ScriptedDialog(IDD_TEST_FRAME, parent) {}
    bool refuseCancel = false;
    std::function<void(Frame&)> onScript; // runs inside the modal loop, on kRunScript

    using CDialog::EndDialog;

protected:
    void OnOK() override {
        log.push_back("OnOK");
        CDialog::OnOK();
    }
    void OnCancel() override {
        log.push_back("OnCancel");
        if (!refuseCancel)
            CDialog::OnCancel();
    }
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<kRunScript, &Frame::OnRunScript>(),
            wcl::MapBnClicked<IDC_FRAME_NEXT, &Frame::OnNext>(),
        };
        static const wcl::MessageMap map(ScriptedDialog::GetMessageMap(), entries);
        return map;
    }

private:
    LRESULT OnRunScript(WPARAM, LPARAM) {
        if (onScript)
            onScript(*this);
        return 0;
    }
    void OnNext() {
        log.push_back("Next");
        EndDialog(IDC_FRAME_NEXT);
    }
};

// A control that logs the keys that reach it.
class KeyRecorder : public wcl::CButton {
public:
    std::vector<UINT> keys;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_KEYDOWN, &KeyRecorder::OnKeyDown>(),
        };
        static const wcl::MessageMap map(CButton::GetMessageMap(), entries);
        return map;
    }

private:
    void OnKeyDown(UINT key, UINT, UINT) {
        keys.push_back(key);
        Default();
    }
};

// A page with its own key filter: Space and Esc are swallowed, every other key goes on to the
// frame's filter. The filters log into the frame's log, to show their order.
class FilteringPage : public ScriptedDialog {
public:
    explicit FilteringPage(std::vector<std::string>& shared)
        : ScriptedDialog(IDD_TEST_PAGE), m_shared(shared) {}
    KeyRecorder m_button;

    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message != WM_KEYDOWN)
            return false;
        m_shared.push_back("page " + std::to_string(msg.wParam));
        return msg.wParam == VK_SPACE || msg.wParam == VK_ESCAPE;
    }

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override {
        wcl::DDX_Control(dx, IDC_PAGE_BUTTON, m_button);
    }

private:
    std::vector<std::string>& m_shared;
};

// A frame whose filter swallows F1 and leaves every other key to the dialog's own processing.
class FilteringFrame : public Frame {
public:
    std::unique_ptr<FilteringPage> m_page;
    KeyRecorder m_ok;

    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message == WM_KEYDOWN) {
            log.push_back("frame " + std::to_string(msg.wParam));
            if (msg.wParam == VK_F1)
                return true;
        }
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override { wcl::DDX_Control(dx, IDOK, m_ok); }
    bool OnInitDialog() override {
        m_page = std::make_unique<FilteringPage>(log);
        if (!m_page->Create(IDD_TEST_PAGE, this))
            return false;
        m_page->ShowWindow(SW_SHOW);
        return Frame::OnInitDialog();
    }
};

} // namespace wcl_test
