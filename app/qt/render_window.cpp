// Renders the main window, with some input typed in, to a PNG file without a
// display: what `make run` shows on a machine that has none, and the source of
// the README's screenshot.
//
//   gbkhex-render OUTPUT.png

#include <QApplication>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextStream>
#include <cstdio>

#include "window/qt/main_window.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QApplication app(argc, argv);
  const QString path = QString::fromLocal8Bit(argv[1]);

  // Driven from outside, like any other user of the window: through the
  // controls' names. The C format shows its lines.
  gbkhex::Form1 form;
  form.show();
  form.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
  form.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
      ->setPlainText(QStringLiteral(u"十六进制转换 GBK\n液晶显示屏 LCD 12864\n欢迎使用"));
  QApplication::processEvents();

  if (!form.grab().save(path, "PNG")) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  QTextStream(stdout) << path << '\n';
  return 0;
}
