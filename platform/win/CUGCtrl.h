// A grid window of our own: a heading row, columns the user can widen or narrow by their headings,
// text cells, a current row, and notifications for clicks and keys after the grid's own handling.
#pragma once

#include "CWnd.h"

#include <string>
#include <vector>

class CUGCtrl : public CWnd {
public:
    CUGCtrl() = default;
    ~CUGCtrl() override;

    // Takes the place of a placeholder control of a dialog (its rectangle, id and tab position) with
    // the dialog's font for the cells and the same font 200 units heavier for the headings, then
    // runs OnSetup once.
    bool AttachGrid(HWND dialog, int placeholder_id);

    // 1: the current cell gets a focus rectangle; 2: it is highlighted.
    void SetCurrentCellMode(int mode) { cell_mode_ = mode; }
    int GetCurrentCellMode() const { return cell_mode_; }
    // The width of the side heading (the row-number column); 0 hides it.
    void SetSH_Width(int width) { side_width_ = width < 0 ? 0 : width; }
    int GetSH_Width() const { return side_width_; }
    void SetHighlightRow(bool on) { highlight_row_ = on; }
    bool GetHighlightRow() const { return highlight_row_; }
    void SetDoubleBufferMode(bool on) { double_buffer_ = on; }
    bool GetDoubleBufferMode() const { return double_buffer_; }

    void SetNumberCols(int count);
    int GetNumberCols() const { return static_cast<int>(widths_.size()); }
    // 0 leaves no current row; a positive count while there is none makes row 0 current; a current
    // row beyond the count moves to the last row.
    void SetNumberRows(long count);
    long GetNumberRows() const { return static_cast<long>(cells_.size()); }
    void SetColWidth(int col, int width);
    int GetColWidth(int col) const;

    // Row -1 is the heading row. Out-of-range cells are ignored (read as empty).
    void QuickSetText(int col, long row, std::u16string_view text);
    std::u16string QuickGetText(int col, long row) const;

    long GetCurrentRow() const { return current_; }
    void GotoRow(long row);
    void RedrawAll();

    int RowHeight() const { return row_height_; }
    int HeadingHeight() const { return heading_height_; }
    HFONT CellFont() const { return cell_font_; }
    HFONT HeadingFont() const { return heading_font_; }

    // Notifications, after the grid's own handling (a click has made its row current). updn: 1 on
    // pressing, 0 on releasing. row: -1 on the heading row; below the last row, the current row.
    virtual void OnSetup() {}
    virtual void OnLClicked(int /*col*/, long /*row*/, int /*updn*/, RECT* /*rect*/, POINT* /*point*/,
                            BOOL /*processed*/) {}
    virtual void OnRClicked(int /*col*/, long /*row*/, int /*updn*/, RECT* /*rect*/, POINT* /*point*/,
                            BOOL /*processed*/) {}
    virtual void OnDClicked(int /*col*/, long /*row*/, RECT* /*rect*/, POINT* /*point*/, BOOL /*processed*/) {}
    virtual void OnKeyDown(UINT* /*vcKey*/, BOOL /*processed*/) {}
    virtual void OnKeyUp(UINT* /*vcKey*/, BOOL /*processed*/) {}

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static LRESULT CALLBACK GridProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc);
    void Click(UINT msg, LPARAM lp);
    bool KeyMove(UINT key);
    // The cell under a point: column (-1 outside), row (-1 heading, -2 below the rows).
    void HitTest(POINT p, int& col, long& row) const;
    int BorderAt(POINT p) const;
    RECT CellRect(int col, long row) const;
    int VisibleRows() const;
    void UpdateScrollBars();
    void EnsureVisible(long row);

    std::vector<int> widths_;
    std::vector<std::u16string> headings_;
    std::vector<std::vector<std::u16string>> cells_;
    long current_ = -1;
    long top_ = 0;
    int scroll_x_ = 0;
    int cell_mode_ = 1;
    int side_width_ = 40;
    bool highlight_row_ = false;
    bool double_buffer_ = false;
    HFONT cell_font_ = nullptr;
    HFONT heading_font_ = nullptr;
    int row_height_ = 18;
    int heading_height_ = 20;
    int sizing_col_ = -1;
    int sizing_start_x_ = 0;
    int sizing_start_width_ = 0;
};
