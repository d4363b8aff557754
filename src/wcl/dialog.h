// Dialogs from dialog templates of the program's resources: run modally (DoModal, with the
// library's own modal loop) or created as child pages of another window (Create).
//
//     class CPageDlg : public wcl::CDialog {
//     public:
//         CPageDlg() : CDialog(129) {}
//     protected:
//         void DoDataExchange(wcl::CDataExchange& dx) override {
//             wcl::DDX_Control(dx, 1006, m_stcHomePage); // it now answers 1006's messages
//         }
//         bool OnInitDialog() override {
//             CDialog::OnInitDialog(); // binds the controls
//             ...
//             return true;
//         }
//     };
//     auto page = std::make_unique<CPageDlg>();
//     page->Create(129, &frame); // hidden child of the frame until shown; reset() destroys it
#pragma once

#include <windows.h>

#include "wcl/window.h"

namespace wcl {

// The binding of a dialog's controls to member objects (and, in the other direction, nothing
// more: the setup keeps no data in controls).
class CDataExchange {
public:
    CDataExchange(CWnd& dialog, bool saveAndValidate) noexcept
        : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd& Dialog() const noexcept { return m_dialog; }
    bool SaveAndValidate() const noexcept { return m_bSaveAndValidate; }
    void Fail() noexcept { m_failed = true; }
    bool Failed() const noexcept { return m_failed; }

private:
    CWnd& m_dialog;
    bool m_bSaveAndValidate;
    bool m_failed = false;
};

// Attaches `control` to the dialog's control `id`, once: from then on the object handles that
// control's messages. A missing control fails the exchange.
void DDX_Control(CDataExchange& dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) noexcept
        : m_templateId(templateId), m_parent(parent) {}

    // Creates the dialog, runs it until EndDialog and destroys it. The result is EndDialog's
    // value; -1 when the dialog could not be created or its controls could not be bound.
    INT_PTR DoModal();
    // Creates the dialog as a modeless window (with a WS_CHILD template: a page of `parent`).
    // false when it could not be created or its controls could not be bound.
    bool Create(UINT templateId, CWnd* parent = nullptr);

    // Ends a modal run with `result`. A modeless dialog is hidden, as the system does.
    void EndDialog(INT_PTR result);
    // Runs DoDataExchange; false when a binding failed.
    bool UpdateData(bool saveAndValidate = true);

    // Input messages go to the system's dialog navigation (IsDialogMessage), which turns Enter
    // into the default button's command and Esc into IDCANCEL.
    bool PreTranslateMessage(MSG& msg) override;

protected:
    // Binds the controls (DoDataExchange). A failed binding ends the dialog with -1.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange& dx);
    // WM_COMMAND IDOK and IDCANCEL, from a button, from IsDialogMessage or sent by anyone.
    virtual void OnOK();
    virtual void OnCancel();

    const MessageMap& GetMessageMap() const override;

private:
    enum class Mode { None, Modal, Modeless };

    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept;
    HWND CreateFromTemplate(UINT templateId, HWND parent);
    HWND ModalOwner() const;
    void RunModalLoop();

    UINT m_templateId;
    CWnd* m_parent;
    Mode m_mode = Mode::None;
    bool m_continue = false; // cleared by EndDialog
    bool m_creating = false;
    INT_PTR m_result = -1;
};

} // namespace wcl
