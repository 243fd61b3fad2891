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
  // The application id: the desktop entry's name, so that the desktop
  // matches the running window to its entry and icon.
  QApplication::setDesktopFileName(QStringLiteral("org.zolm.converter"));
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
  }
  QApplication::setWindowIcon(icon);

  zolm::Form1 window;
  window.show();
  return QApplication::exec();
}
