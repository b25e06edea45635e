#include "cutout/clipboard_win32.h"

#include <objidl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <optional>

#include "cutout/cutout_image.h"

namespace petariko {
namespace {

using Microsoft::WRL::ComPtr;

// Another program holding the clipboard usually lets go within a few milliseconds; the user
// waits at most about a third of a second before hearing that it did not.
constexpr int kOpenTries = 10;
constexpr DWORD kOpenPauseMs = 30;

class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL memory) : memory_(memory), data_(static_cast<std::uint8_t*>(GlobalLock(memory))) {}
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  ~ScopedGlobalLock() {
    if (data_) GlobalUnlock(memory_);
  }
  std::span<std::uint8_t> bytes() const { return {data_, data_ ? GlobalSize(memory_) : 0}; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  HGLOBAL memory_;
  std::uint8_t* data_;
};

// More than a PNG of these 32-bit pixels takes even when nothing compresses: the filtered rows
// and what deflate and the chunks add (well under 1 %), and the headers. A larger file still
// fits; the stream then grows.
std::uint64_t PngRoom(int width, int height) {
  const std::uint64_t rows = static_cast<std::uint64_t>(height) * (1 + 4 * static_cast<std::uint64_t>(width));
  return rows + rows / 64 + 4096;
}

// A pause that still answers what other threads send this one: the program holding the
// clipboard may be asking this owner to render its CF_BITMAP, or to forget its copy, and lets
// go only once answered. A plain Sleep would hold both until the tries ran out.
void PauseAnsweringSentMessages(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    if (MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_SENDMESSAGE, 0) == WAIT_OBJECT_0) {
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

bool OpenClipboardSoon(HWND owner) {
  if (InjectedFault("OpenClipboard")) return false;
  for (int attempt = 0; attempt < kOpenTries; ++attempt) {
    if (attempt > 0) PauseAnsweringSentMessages(kOpenPauseMs);
    if (OpenClipboard(owner)) return true;
  }
  return false;
}

// On success the clipboard owns the block.
bool Give(UINT format, UniqueGlobal& memory) {
  if (InjectedFault("SetClipboardData") || !SetClipboardData(format, memory.get())) return false;
  memory.release();
  return true;
}

UniqueGlobal Alloc(std::size_t size) {
  return InjectedFault("GlobalAlloc") ? UniqueGlobal() : UniqueGlobal(GlobalAlloc(GMEM_MOVEABLE, size));
}

// The memory of a stream that writes into memory of its own. The stream may move it to another
// handle as it grows (SetSize, Write), so the handle is asked for only when the memory is taken,
// or given back.
class StreamMemory {
 public:
  StreamMemory() {
    if (FAILED(CreateStreamOnHGlobal(nullptr, FALSE, &stream_))) stream_.Reset();
  }
  ~StreamMemory() { Take(); }
  StreamMemory(const StreamMemory&) = delete;
  StreamMemory& operator=(const StreamMemory&) = delete;

  IStream* get() const { return stream_.Get(); }
  // Ends the stream; what it wrote is the caller's.
  UniqueGlobal Take() {
    HGLOBAL memory = nullptr;
    if (stream_ && FAILED(GetHGlobalFromStream(stream_.Get(), &memory))) memory = nullptr;
    stream_.Reset();
    return UniqueGlobal(memory);
  }

 private:
  ComPtr<IStream> stream_;
};

}  // namespace

UniqueGlobal EncodePng(int width, int height, const std::function<const std::uint8_t*(int y)>& row) {
  ComPtr<IWICImagingFactory> factory;
  if (InjectedFault("CoCreateInstance") ||
      FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) {
    return {};
  }
  StreamMemory stream;  // before the encoder, which holds it until it goes
  if (!stream.get()) return {};
  // Room for the whole file from the start: a stream that grows with each write moves what it
  // holds into fresh memory again and again, which took longer than the encoding of a
  // full-screen photo itself. Only what is written is touched; the rest is given back below.
  ULARGE_INTEGER room;
  room.QuadPart = PngRoom(width, height);
  stream.get()->SetSize(room);  // without the room the stream still grows as it must

  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
      FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
      FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGRA) {
    return {};
  }
  const UINT stride = static_cast<UINT>(width) * 4;
  for (int y = 0; y < height; ++y) {
    if (FAILED(frame->WritePixels(1, stride, stride, const_cast<BYTE*>(row(y))))) return {};
  }
  if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) return {};
  frame.Reset();
  encoder.Reset();
  UniqueGlobal memory = stream.Take();
  if (!memory) return {};
  // A reader of the clipboard gets the block's whole size: it ends where the file does.
  std::optional<std::size_t> length;
  {
    ScopedGlobalLock bytes(memory.get());
    if (bytes) length = PngFileLength(bytes.bytes());
  }
  if (!length) return {};
  HGLOBAL exact = GlobalReAlloc(memory.get(), *length, GMEM_MOVEABLE);
  if (!exact) return {};
  memory.release();
  return UniqueGlobal(exact);
}

bool CopyCutoutToClipboard(HWND owner, FrozenImage& source, const SaveRect& piece,
                           std::span<const Point> outline_in_piece, std::vector<std::uint8_t>* plain_kept) {
  const int width = piece.width();
  const int height = piece.height();
  if (!CopyBitmapsFit(width, height)) return false;
  const UINT png_format = RegisterClipboardFormatW(L"PNG");
  if (png_format == 0) return false;

  // Everything is made before the clipboard is opened, so that it is held only for the handing
  // over and a busy clipboard costs no work.
  UniqueGlobal dibv5 = Alloc(DibV5Size(width, height));
  UniqueGlobal dib = Alloc(DibSize(width, height));
  if (!dibv5 || !dib) return false;
  UniqueGlobal png;
  {
    ScopedGlobalLock v5_bytes(dibv5.get());
    ScopedGlobalLock dib_bytes(dib.get());
    if (!v5_bytes || !dib_bytes) return false;
    // GlobalSize may round up; the bitmaps take their exact sizes from the front.
    const std::span<std::uint8_t> v5 = v5_bytes.bytes().first(DibV5Size(width, height));
    WriteCopyBitmaps(
        width, height, outline_in_piece,
        [&](int y, std::uint8_t* bgr) { source.ReadRow(piece.left, piece.top + y, width, bgr); }, v5,
        dib_bytes.bytes().first(DibSize(width, height)));
    png = EncodePng(width, height, [&](int y) { return DibV5Row(v5, width, height, y); });
    if (plain_kept) {
      const std::span<const std::uint8_t> plain = dib_bytes.bytes().first(DibSize(width, height));
      try {
        plain_kept->assign(plain.begin(), plain.end());
      } catch (const std::bad_alloc&) {
        plain_kept->clear();  // the system's CF_BITMAP, then
      }
    }
  }
  if (!png) return false;

  if (!OpenClipboardSoon(owner)) return false;
  // The richest form first: programs take the first one they know.
  bool done = EmptyClipboard() && Give(png_format, png) && Give(CF_DIBV5, dibv5) && Give(CF_DIB, dib);
  // Made on request (WM_RENDERFORMAT); without it the system makes one itself.
  if (done && plain_kept && !plain_kept->empty()) SetClipboardData(CF_BITMAP, nullptr);
  if (!done) EmptyClipboard();
  done = CloseClipboard() && done;
  return done;
}

bool Win32CutoutClipboard::Copy(FrozenImage& source, const SaveRect& piece, std::span<const Point> outline_in_piece) {
  // Kept aside first: emptying the clipboard tells this owner to forget the copy it held.
  std::vector<std::uint8_t> plain;
  if (!CopyCutoutToClipboard(owner_, source, piece, outline_in_piece, &plain)) return false;
  plain_ = std::move(plain);
  return true;
}

void Win32CutoutClipboard::RenderBitmap() {
  if (plain_.size() < sizeof(BITMAPINFOHEADER)) return;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(plain_.data());
  HDC screen = GetDC(nullptr);
  if (!screen) return;
  UniqueBitmap bitmap(
      CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, plain_.data() + info->bmiHeader.biSize, info, DIB_RGB_COLORS));
  ReleaseDC(nullptr, screen);
  // The system owns the bitmap once it took it.
  if (bitmap && SetClipboardData(CF_BITMAP, bitmap.get())) bitmap.release();
}

void Win32CutoutClipboard::RenderBeforeLeaving() {
  if (plain_.empty() || !OpenClipboard(owner_)) return;
  if (GetClipboardOwner() == owner_) RenderBitmap();
  CloseClipboard();
}

void Win32CutoutClipboard::Forget() { std::vector<std::uint8_t>().swap(plain_); }

}  // namespace petariko
