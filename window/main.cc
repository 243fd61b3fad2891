// Zolm Converter: opens the window and runs until it is closed.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "window/main_window.h"

namespace {

// True when some windowing system is named in the environment. Without one
// Qt aborts with a long message; this says what to do instead.
bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "zolm-converter: no display to open the window on (DISPLAY is not set); "
                 "without a screen, run it as: xvfb-run ./run\n");
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zolm Converter"));
  QApplication::setApplicationVersion(QStringLiteral("1.00"));
  QApplication::setDesktopFileName(QStringLiteral("zolm-converter"));
  QIcon icon;
  for (const char* file :
       {":/icons/zolm-16.png", ":/icons/zolm-32.png", ":/icons/zolm-32-mono.png"}) {
    icon.addFile(QString::fromLatin1(file));
  }
  QApplication::setWindowIcon(icon);

  zolm::Form1 window;
  window.show();
  return QApplication::exec();
}
