#pragma once
// Owners of GDI objects: each is deleted once, when its owner goes.
#include <windows.h>

namespace zorv {

template <class Handle>
class TGdiObject {
public:
    explicit TGdiObject(Handle handle = nullptr) : FHandle(handle) {}
    ~TGdiObject() { Reset(); }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;

    void Reset(Handle handle = nullptr) {
        if (FHandle) DeleteObject(FHandle);
        FHandle = handle;
    }
    Handle Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }

private:
    Handle FHandle;
};

using TFont = TGdiObject<HFONT>;
using TBitmap = TGdiObject<HBITMAP>;
using TBrush = TGdiObject<HBRUSH>;

// Selects an object into a device context for the lifetime of this guard.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : FDc(dc), FOld(SelectObject(dc, object)) {}
    ~TSelectObject() { SelectObject(FDc, FOld); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDc;
    HGDIOBJ FOld;
};

// Painting through a memory bitmap of the area, copied to the target at the end: no flicker.
class TBufferedPaint {
public:
    TBufferedPaint(HDC target, int width, int height)
        : FTarget(target), FWidth(width), FHeight(height), FDc(CreateCompatibleDC(target)),
          FBitmap(CreateCompatibleBitmap(target, width, height)), FSelect(FDc, FBitmap.Get()) {}
    ~TBufferedPaint() {
        BitBlt(FTarget, 0, 0, FWidth, FHeight, FDc, 0, 0, SRCCOPY);
    }
    TBufferedPaint(const TBufferedPaint&) = delete;
    TBufferedPaint& operator=(const TBufferedPaint&) = delete;
    HDC Dc() const { return FDc; }

private:
    struct TDc {
        explicit TDc(HDC dc) : Handle(dc) {}
        ~TDc() { DeleteDC(Handle); }
        operator HDC() const { return Handle; }
        HDC Handle;
    };
    HDC FTarget;
    int FWidth;
    int FHeight;
    TDc FDc;
    TBitmap FBitmap;
    TSelectObject FSelect;
};

}  // namespace zorv
