// The grid of saved connections on the left of the logon dialog: one row per saved connection.
#pragma once

#include "CUGCtrl.h"

class CConnectionList;

class CConnectionLst : public CUGCtrl {
public:
    // Rebuilds the rows from the list; the first row is current then.
    void FillConnections(const CConnectionList& list);
    // Loads the saved connection of the current row into the dialog's descriptor and controls.
    void SelectCurrentConnection();

    void OnSetup() override;
    void OnLClicked(int col, long row, int updn, RECT* rect, POINT* point, BOOL processed) override;
    void OnRClicked(int col, long row, int updn, RECT* rect, POINT* point, BOOL processed) override;
    void OnDClicked(int col, long row, RECT* rect, POINT* point, BOOL processed) override;
    void OnKeyDown(UINT* vcKey, BOOL processed) override;
    void OnKeyUp(UINT* vcKey, BOOL processed) override;
};
