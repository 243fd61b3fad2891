// Zolm Converter: opens the window and runs until it is closed.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "qt/form1.h"

namespace {

constexpr const char* kNoScreen =
    "run it on a virtual screen with: xvfb-run zolm-converter; or convert without a screen "
    "with zolm (see zolm --help)";

// True when some windowing system is named in the environment.
bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Writes `text` to standard output; 0, or 1 when it could not be written.
int Print(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

// While the application starts: what Qt says is kept, and a fatal failure
// (no display it can connect to) ends the program in its own words instead
// of Qt's abort.
std::string start_messages;
void StartMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    start_messages += message.toStdString() + '\n';
    return;
  }
  const char* display = std::getenv("DISPLAY");
  std::fprintf(stderr, "zolm-converter: cannot open the window%s%s%s: %s%s\n",
               display != nullptr ? " on display \"" : "", display != nullptr ? display : "",
               display != nullptr ? "\"" : "", start_messages.c_str(), kNoScreen);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      return Print(
          "Usage: zolm-converter [-h|--help] [-v|--version]\n"
          "Opens the Zolm Converter window: one text as its characters and as its decimal,\n"
          "hexadecimal and custom-radix codes. zolm converts the same way in a terminal.\n");
    }
    if (arg == "-v" || arg == "--version") return Print("zolm-converter " ZOLM_VERSION "\n");
  }
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "zolm-converter: no display to open the window on (DISPLAY is not set); %s\n",
                 kNoScreen);
    return 1;
  }
  const QtMessageHandler previous = qInstallMessageHandler(StartMessage);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  std::fputs(start_messages.c_str(), stderr);
  QApplication::setApplicationName(QStringLiteral("Zolm Converter"));
  QApplication::setApplicationVersion(QStringLiteral(ZOLM_VERSION));
  // The application id: the desktop entry's name, so that the desktop
  // matches the running window to its entry and icon.
  QApplication::setDesktopFileName(QStringLiteral("org.zolm.converter"));
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
  }
  QApplication::setWindowIcon(icon);

  // The form at its size, unless that does not fit the screen (a large
  // scale on a small screen): then within the screen, scrolled.
  auto* form = new zolm::Form1;
  std::unique_ptr<QWidget> window(form);
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  // What the window manager adds around the client area, at most.
  const QSize frame(16, 48);
  if (form->width() + frame.width() > available.width() ||
      form->height() + frame.height() > available.height()) {
    auto* area = new QScrollArea;
    area->setWindowTitle(form->windowTitle());
    area->setWidget(window.release());
    window.reset(area);
    const QSize whole = form->size() + QSize(area->frameWidth() * 2, area->frameWidth() * 2) +
                        QSize(area->verticalScrollBar()->sizeHint().width(),
                              area->horizontalScrollBar()->sizeHint().height());
    area->resize(whole.boundedTo(available.size() - frame));
    area->move(available.topLeft());
  }
  window->show();
  return QApplication::exec();
}
