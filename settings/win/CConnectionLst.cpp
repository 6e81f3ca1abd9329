#include "CConnectionLst.h"

#include "CConnectDlg.h"
#include "connection_list.h"

namespace {

CConnectDlg* dialog_of(const CWnd& grid) {
    return dynamic_cast<CConnectDlg*>(CWnd::FromHandle(grid.GetParent()));
}

} // namespace

void CConnectionLst::OnSetup() {
    SetCurrentCellMode(2);
    SetSH_Width(0);
    SetHighlightRow(true);
    SetDoubleBufferMode(true);
    SetNumberCols(3);
    QuickSetText(0, -1, u"User");
    QuickSetText(1, -1, u"Database");
    QuickSetText(2, -1, u"Connect As");
    for (int c = 0; c < 3; ++c)
        SetColWidth(c, 140);
    RedrawAll();
}

void CConnectionLst::FillConnections(const CConnectionList& list) {
    SetNumberRows(0);
    SetNumberRows(static_cast<long>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        long row = static_cast<long>(i);
        QuickSetText(0, row, list[i].User);
        QuickSetText(1, row, list[i].Database);
        QuickSetText(2, row, list[i].GetConnectAsName());
    }
}

void CConnectionLst::SelectCurrentConnection() {
    long row = GetCurrentRow();
    CConnectDlg* dlg = dialog_of(*this);
    if (!dlg)
        return;
    CConnectionList& list = dlg->Connections();
    if (list.empty() || row < 0 || static_cast<size_t>(row) >= list.size() || !dlg->m_pConnection)
        return;
    *dlg->m_pConnection = list[static_cast<size_t>(row)];
    dlg->UpdateControls();
}

void CConnectionLst::OnLClicked(int, long, int, RECT*, POINT*, BOOL) { SelectCurrentConnection(); }

void CConnectionLst::OnRClicked(int, long, int, RECT*, POINT*, BOOL) { SelectCurrentConnection(); }

void CConnectionLst::OnDClicked(int, long, RECT*, POINT*, BOOL) {
    if (CConnectDlg* dlg = dialog_of(*this))
        dlg->OnOkClicked();
}

void CConnectionLst::OnKeyUp(UINT*, BOOL) { SelectCurrentConnection(); }

void CConnectionLst::OnKeyDown(UINT* vcKey, BOOL) {
    if (*vcKey == VK_RETURN) {
        if (CConnectDlg* dlg = dialog_of(*this))
            dlg->OnOkClicked();
    } else if (*vcKey == VK_DELETE) {
        CConnectDlg* dlg = dialog_of(*this);
        if (!dlg || !dlg->m_pConnection)
            return;
        dlg->RemoveConnection(*dlg->m_pConnection);
        FillConnections(dlg->Connections());
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}
