#include "common/bitmaps/transparent_bitmap.h"

#include <cstdint>

#include "common/bitmaps/transparent_core.h"

namespace {

// The ternary raster operation PSDPxax: where the source is black the
// brush is painted, where it is white the destination stays.
const DWORD kPaintBrushWhereBlack = 0x00B8074A;

int ScreenBitsPerPixel() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  int bits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return bits;
}

// A movable, zero-filled global block, locked; null when it cannot be had.
uint8_t* LockNewPixels(size_t size, HGLOBAL* memory) {
  *memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!*memory) return nullptr;
  void* bits = GlobalLock(*memory);
  if (!bits) {
    GlobalFree(*memory);
    *memory = nullptr;
  }
  return static_cast<uint8_t*>(bits);
}

void FreePixels(HGLOBAL memory) {
  if (!memory) return;
  GlobalUnlock(memory);
  GlobalFree(memory);
}

int BitsPerPixelOf(HBITMAP bitmap) {
  BITMAP bm = {};
  if (!GetObjectA(bitmap, sizeof bm, &bm)) return 0;
  return bm.bmBitsPixel * bm.bmPlanes;
}

HINSTANCE WindowInstance(HWND window) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  return instance ? instance : GetModuleHandleA(nullptr);
}

// A copy of the image in a new image of its format: what is drawn where
// pixels cannot be compared byte by byte (screens below 8 bits per pixel).
HBITMAP CopyOpaque(HDC memory, int w, int h) {
  HBITMAP copy = CreateCompatibleBitmap(memory, w, h);
  if (!copy) return nullptr;
  HDC target = CreateCompatibleDC(memory);
  if (!target) {
    DeleteObject(copy);
    return nullptr;
  }
  HGDIOBJ oldTarget = SelectObject(target, copy);
  BitBlt(target, 0, 0, w, h, memory, 0, 0, SRCCOPY);
  SelectObject(target, oldTarget);
  DeleteDC(target);
  return copy;
}

// A w x h image compatible with dc holding dc's pixels at (x, y).
HBITMAP CaptureBackground(HDC dc, int x, int y, int w, int h) {
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return nullptr;
  HBITMAP background = CreateCompatibleBitmap(dc, w, h);
  if (background) {
    HGDIOBJ old = SelectObject(memory, background);
    BitBlt(memory, 0, 0, w, h, dc, x, y, SRCCOPY);
    SelectObject(memory, old);
  }
  DeleteDC(memory);
  return background;
}

// Copies image, w x h, onto dc at (x, y), stretched to cw x ch when those
// are not negative.
void CopyImage(HDC dc, HBITMAP image, int x, int y, int w, int h, int cw, int ch) {
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory, image);
  if (cw < 0) {
    BitBlt(dc, x, y, w, h, memory, 0, 0, SRCCOPY);
  } else {
    StretchBlt(dc, x, y, cw, ch, memory, 0, 0, w, h, SRCCOPY);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
}

// Paints brushColour over the result selected in target wherever mask,
// selected in source, is 0.
void PaintThroughMask(HDC target, HDC source, HBITMAP mask, int w, int h, int colourIndex) {
  HGDIOBJ oldMask = SelectObject(source, mask);
  HBRUSH brush = CreateSolidBrush(GetSysColor(colourIndex));
  HGDIOBJ oldBrush = SelectObject(target, brush);
  BitBlt(target, 0, 0, w, h, source, 0, 0, kPaintBrushWhereBlack);
  SelectObject(target, oldBrush);
  DeleteObject(brush);
  SelectObject(source, oldMask);
}

}  // namespace

HBITMAP ComposeTransparent(HDC reference, HBITMAP image, HBITMAP background) {
  BITMAP bm = {};
  if (!image || !GetObjectA(image, sizeof bm, &bm)) return nullptr;
  const int w = bm.bmWidth, h = bm.bmHeight;
  const int screenBits = ScreenBitsPerPixel();
  const int b = PixelBytes(screenBits);
  // Pixels are compared byte by byte, so both images must be in the
  // screen's format with whole bytes per pixel; otherwise the picture is
  // drawn opaque.
  const bool comparable = b > 0 && BitsPerPixelOf(image) == screenBits &&
                          BitsPerPixelOf(background) == screenBits;
  const size_t size = PixelBufferSize(w, h, b);
  const LONG fetch = static_cast<LONG>(PixelRowBytes(w, b) * static_cast<size_t>(h));

  HGLOBAL imageMemory = nullptr;
  uint8_t* imageBits = nullptr;
  if (comparable) {
    imageBits = LockNewPixels(size, &imageMemory);
    if (!imageBits) return nullptr;
    GetBitmapBits(image, fetch, imageBits);
  }

  HDC memory = CreateCompatibleDC(reference);
  HGDIOBJ oldImage = memory ? SelectObject(memory, image) : nullptr;
  if (!oldImage) {
    if (memory) DeleteDC(memory);
    FreePixels(imageMemory);
    return nullptr;
  }

  HBITMAP result = nullptr;
  if (!comparable) {
    result = CopyOpaque(memory, w, h);
  } else {
    result = CreateCompatibleBitmap(memory, w, h);
    HGLOBAL backgroundMemory = nullptr;
    uint8_t* backgroundBits = result ? LockNewPixels(size, &backgroundMemory) : nullptr;
    if (backgroundBits) {
      GetBitmapBits(background, fetch, backgroundBits);
      ComposePixels(imageBits, backgroundBits, w, h, b);
      SetBitmapBits(result, static_cast<DWORD>(fetch), backgroundBits);
      FreePixels(backgroundMemory);
    } else if (result) {
      DeleteObject(result);
      result = nullptr;
    }
  }

  FreePixels(imageMemory);
  SelectObject(memory, oldImage);
  DeleteDC(memory);
  return result;
}

void DrawTransparentBitmap(HWND window, int x, int y, LPCSTR resource, int centre) {
  HBITMAP image = LoadBitmapA(WindowInstance(window), resource);
  if (!image) return;
  BITMAP bm = {};
  GetObjectA(image, sizeof bm, &bm);
  const int w = bm.bmWidth, h = bm.bmHeight;
  RECT client = {};
  GetClientRect(window, &client);
  short left = static_cast<short>(x), top = static_cast<short>(y);
  if (centre == 1) {
    left = static_cast<short>((client.right - client.left - w) / 2);
    top = 0;
  }

  HDC dc = GetDC(window);
  if (dc) {
    HBITMAP background = CaptureBackground(dc, left, top, w, h);
    HBITMAP composite = background ? ComposeTransparent(dc, image, background) : nullptr;
    if (background) DeleteObject(background);
    if (composite) {
      CopyImage(dc, composite, left, top, w, h, -1, -1);
      DeleteObject(composite);
    }
    ReleaseDC(window, dc);
  }
  DeleteObject(image);
}

void StretchTransparentBitmap(HWND window, int x, int y, LPCSTR resource, int transparent) {
  RECT client = {};
  GetClientRect(window, &client);
  const int cw = client.right - client.left, ch = client.bottom - client.top;
  HDC dc = GetDC(window);
  if (!dc) return;
  HBITMAP image = LoadBitmapA(WindowInstance(window), resource);
  if (image) {
    BITMAP bm = {};
    GetObjectA(image, sizeof bm, &bm);
    const int w = bm.bmWidth, h = bm.bmHeight;
    HBITMAP composite = nullptr;
    if (transparent == 1) {
      HBITMAP background = CaptureBackground(dc, x, y, w, h);
      if (background) {
        composite = ComposeTransparent(dc, image, background);
        DeleteObject(background);
      }
    }
    HBITMAP source = transparent == 1 ? composite : image;
    if (source) CopyImage(dc, source, x, y, w, h, cw, ch);
    if (composite) DeleteObject(composite);
    DeleteObject(image);
  }
  ReleaseDC(window, dc);
}

HBITMAP MakeDisabledBitmap(HBITMAP image) {
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HDC a = CreateCompatibleDC(screen);
  HDC b = CreateCompatibleDC(screen);
  BITMAP bm = {};
  if (!a || !b || !image || !GetObjectA(image, sizeof bm, &bm)) {
    if (a) DeleteDC(a);
    if (b) DeleteDC(b);
    ReleaseDC(nullptr, screen);
    return nullptr;
  }
  const int w = bm.bmWidth, h = bm.bmHeight;
  HBITMAP m1 = CreateBitmap(w, h, 1, 1, nullptr);
  HBITMAP m2 = CreateBitmap(w, h, 1, 1, nullptr);
  HBITMAP result = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ oldB = nullptr;
  if (m1 && m2 && result) oldB = SelectObject(b, image);
  if (!oldB) {
    // The images could not be made, or the image is selected elsewhere.
    if (m1) DeleteObject(m1);
    if (m2) DeleteObject(m2);
    if (result) DeleteObject(result);
    ReleaseDC(nullptr, screen);
    DeleteDC(a);
    DeleteDC(b);
    return nullptr;
  }

  // In a copy to monochrome, pixels of B's background colour become 1.
  SetBkColor(b, GetPixel(b, 0, 0));

  // M1 = shifted OR NOT unshifted: 0 where a background pixel has a shape
  // pixel at its lower right.
  HGDIOBJ oldA = SelectObject(a, m1);
  PatBlt(a, 0, 0, w, h, WHITENESS);
  BitBlt(a, 0, 0, w - 1, h - 1, b, 1, 1, SRCCOPY);
  BitBlt(a, 0, 0, w, h, b, 0, 0, MERGEPAINT);

  // M2 = unshifted OR NOT shifted: 0 where a shape pixel has background at
  // its lower right or lies in the last column or row.
  SelectObject(a, m2);
  BitBlt(a, 0, 0, w, h, b, 0, 0, SRCCOPY);
  BitBlt(a, 0, 0, w - 1, h - 1, b, 1, 1, MERGEPAINT);

  SelectObject(b, result);
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  HGDIOBJ oldBrush = SelectObject(b, face);
  PatBlt(b, 0, 0, w, h, PATCOPY);
  SelectObject(b, oldBrush);
  DeleteObject(face);

  // Mask bits 1 copy as white (keep the result), 0 as black (paint).
  SetBkColor(b, RGB(255, 255, 255));
  SetTextColor(b, RGB(0, 0, 0));
  SelectObject(a, oldA);
  PaintThroughMask(b, a, m2, w, h, COLOR_BTNHIGHLIGHT);
  PaintThroughMask(b, a, m1, w, h, COLOR_BTNSHADOW);

  SelectObject(b, oldB);
  DeleteObject(m1);
  DeleteObject(m2);
  ReleaseDC(nullptr, screen);
  DeleteDC(a);
  DeleteDC(b);
  return result;
}
