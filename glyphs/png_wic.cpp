// PNG files through the Windows Imaging Component, written into a stream on
// global memory that is then copied out.

#include <objbase.h>
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "glyphs/preview.h"

namespace gbkhex::glyphs::detail {
namespace {

using Microsoft::WRL::ComPtr;

void Check(HRESULT result, const char* step) {
  if (FAILED(result)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    throw PreviewError(std::string("cannot make the preview's PNG: ") + step + " failed (" + code +
                       ")");
  }
}

// COM on this thread for as long as the encoder runs, unless the program
// already started it in a mode of its own, which serves as well.
class ComScope {
 public:
  ComScope() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComScope() {
    if (started_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_;
};

std::vector<std::uint8_t> StreamBytes(IStream& stream) {
  HGLOBAL memory = nullptr;
  Check(GetHGlobalFromStream(&stream, &memory), "GetHGlobalFromStream");
  STATSTG status{};
  Check(stream.Stat(&status, STATFLAG_NONAME), "IStream::Stat");
  const auto size = static_cast<std::size_t>(status.cbSize.QuadPart);
  std::vector<std::uint8_t> bytes(size);
  const void* data = GlobalLock(memory);
  if (!data) Check(HRESULT_FROM_WIN32(GetLastError()), "GlobalLock");
  std::memcpy(bytes.data(), data, size);
  GlobalUnlock(memory);
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const PreviewImage& image) {
  const ComScope com;
  ComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_PPV_ARGS(&factory)),
        "creating the imaging factory");
  ComPtr<IStream> stream;
  Check(CreateStreamOnHGlobal(nullptr, TRUE, &stream), "CreateStreamOnHGlobal");
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder), "CreateEncoder");
  Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache),
        "IWICBitmapEncoder::Initialize");
  ComPtr<IWICBitmapFrameEncode> frame;
  Check(encoder->CreateNewFrame(&frame, nullptr), "CreateNewFrame");
  Check(frame->Initialize(nullptr), "IWICBitmapFrameEncode::Initialize");
  Check(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height)), "SetSize");
  WICPixelFormatGUID format = GUID_WICPixelFormat8bppGray;
  Check(frame->SetPixelFormat(&format), "SetPixelFormat");
  if (format != GUID_WICPixelFormat8bppGray) {
    Check(E_NOTIMPL, "writing 8-bit grey");
  }
  const auto stride = static_cast<UINT>(image.width);
  Check(frame->WritePixels(static_cast<UINT>(image.height), stride,
                           static_cast<UINT>(image.grey.size()),
                           const_cast<BYTE*>(image.grey.data())),
        "WritePixels");
  Check(frame->Commit(), "committing the frame");
  Check(encoder->Commit(), "committing the file");
  return StreamBytes(*stream.Get());
}

}  // namespace gbkhex::glyphs::detail
