// The main window's message list, as the session and its presenters use it: five operations.
#pragma once

#include <cstdint>
#include <string_view>

using colorref = uint32_t; // 0x00BBGGRR

inline constexpr colorref colour_red = 0x0000FF;
inline constexpr colorref colour_blue = 0xFF0000;
inline constexpr colorref colour_green = 0x008000;
inline constexpr colorref colour_teal = 0x808000;

class CMessageList {
public:
    virtual ~CMessageList() = default;
    // Deletes every item, then every column.
    virtual void Clear() = 0;
    // The colour of all item text.
    virtual void SetTextColor(colorref colour) = 0;
    // A left-aligned column at a position, with a header and a width in pixels.
    virtual void AddColumn(int position, std::u16string_view header, int width) = 0;
    // An item at a row index, with the text of its first column.
    virtual void AddItem(int row, std::u16string_view text) = 0;
    // The text of one column of an existing row.
    virtual void SetCell(int row, int column, std::u16string_view text) = 0;
};

// Clear; the colour; one "Info" column 500 wide; one line with the text.
void ShowMessage(CMessageList& list, std::u16string_view text, colorref colour);
