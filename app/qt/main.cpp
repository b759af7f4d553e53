#include <QApplication>
#include <QString>

#include "gbkhex/product.h"
#include "window/model/form_layout.h"
#include "window/qt/main_window.h"

int main(int argc, char* argv[]) {
  using namespace gbkhex::layout;
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
