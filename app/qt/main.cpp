#include <QApplication>
#include <QString>
#include <QtGlobal>
#include <iostream>
#include <string_view>

#include "gbkhex/product.h"
#include "window/model/form_layout.h"
#include "window/qt/main_window.h"

// Qt aborts, with a hint to reinstall, when it finds no display to open the
// window on; a platform asked for by name (-platform, QT_QPA_PLATFORM) is the
// user's to choose.
bool HasDisplay(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "-platform") return true;
  }
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
         !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int main(int argc, char* argv[]) {
  using namespace gbkhex::layout;
  if (!HasDisplay(argc, argv)) {
    std::cerr << kProductName
              << ": no display to open the window on (DISPLAY and WAYLAND_DISPLAY "
                 "are unset)\n";
    return 1;
  }
  const QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kProductName.data(), kProductName.size()));
  QApplication::setApplicationVersion(QString::fromUtf8(kVersion.data(), kVersion.size()));
  QApplication::setOrganizationName(QString::fromUtf8(kCompanyName.data(), kCompanyName.size()));
  // Lets desktops match the running window with the installed entry and icon.
  QApplication::setDesktopFileName(
      QString::fromUtf8(gbkhex::product::kAppId.data(), gbkhex::product::kAppId.size()));

  gbkhex::Form1 form;
  form.show();
  return QApplication::exec();
}
