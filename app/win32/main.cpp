// Start of the native Windows program: creates Form1, shows it and runs the
// message loop until the window is closed.

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>

#include "app/win32/resource.h"
#include "window/win32/main_form.h"

namespace {

// The shell may hand a web address to a COM handler, which needs the thread
// in a single-threaded apartment.
class ComApartment {
 public:
  ComApartment()
      : initialised_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }

 private:
  bool initialised_;
};

HICON LoadAppIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  // Shared icons belong to the system, which frees them with the process.
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_GBKHEX), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_SHARED));
}

int RunMessageLoop(const gbkhex::win32::Form1& form) {
  MSG message{};
  BOOL result = 0;
  while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (!form.PreTranslateMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return result < 0 ? 1 : static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  const ComApartment com;
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  gbkhex::win32::Form1 form;
  if (!form.Create(instance, {LoadAppIcon(instance, SM_CXICON, SM_CYICON),
                              LoadAppIcon(instance, SM_CXSMICON, SM_CYSMICON)})) {
    return 1;
  }
  form.Show(showCommand);
  return RunMessageLoop(form);
}
