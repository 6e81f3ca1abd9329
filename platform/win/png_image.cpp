#include "png_image.h"

// GDI+ wants min and max from the Windows headers' old macros.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>
#include <objidl.h>
#include <shlwapi.h>

namespace {

void start_gdiplus() {
    static ULONG_PTR token = [] {
        ULONG_PTR t = 0;
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&t, &input, nullptr);
        return t;
    }();
    (void)token;
}

} // namespace

png_image::~png_image() { delete bitmap_; }

bool png_image::load(UINT resource_id, HINSTANCE instance) {
    delete bitmap_;
    bitmap_ = nullptr;
    id_ = resource_id;
    if (!instance)
        instance = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(resource_id), L"PNG");
    if (!res)
        return false;
    HGLOBAL data = LoadResource(instance, res);
    DWORD size = SizeofResource(instance, res);
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes || !size)
        return false;
    start_gdiplus();
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), size);
    if (!stream)
        return false;
    auto* bitmap = Gdiplus::Bitmap::FromStream(stream);
    stream->Release();
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) {
        delete bitmap;
        return false;
    }
    bitmap_ = bitmap;
    return true;
}

int png_image::width() const { return bitmap_ ? static_cast<int>(bitmap_->GetWidth()) : 0; }
int png_image::height() const { return bitmap_ ? static_cast<int>(bitmap_->GetHeight()) : 0; }

void png_image::draw(HDC dc, int x, int y) const {
    if (!bitmap_)
        return;
    Gdiplus::Graphics g(dc);
    g.DrawImage(bitmap_, x, y, width(), height());
}
