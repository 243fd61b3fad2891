#include "cli/io.h"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "engine/utf8.h"
#else
#include <unistd.h>
#endif

namespace zolm::cli {

namespace {

#ifdef _WIN32
// True when `fd` is a console, which takes text through its UTF-16
// interface: bytes would be read in the console's code page.
bool IsConsole(int fd) {
  DWORD mode = 0;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Standard input from a console, read as typed (UTF-16, whatever the code
// page) and passed on as UTF-8. A Ctrl+Z ends the input, as Windows
// programs take it: a line of Ctrl+Z then Return.
long ReadConsoleText(char* into, std::size_t size) {
  static std::string pending;
  static Text carried;  // a high surrogate whose partner comes in the next read
  static bool ended = false;
  while (pending.empty() && !ended) {
    wchar_t units[4096];
    DWORD got = 0;
    if (!ReadConsoleW(reinterpret_cast<HANDLE>(_get_osfhandle(0)), units, 4096, &got, nullptr)) {
      errno = EIO;
      return -1;
    }
    Text text = carried;
    text.append(reinterpret_cast<const char16_t*>(units), got);
    carried.clear();
    if (const std::size_t end = text.find(u'\x1a'); end != Text::npos || got == 0) {
      text.resize(std::min(end, text.size()));
      ended = true;
    } else if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) {
      carried.push_back(text.back());
      text.pop_back();
    }
    utf8::Encode(text, pending);
  }
  const std::size_t n = std::min(size, pending.size());
  pending.copy(into, n);
  pending.erase(0, n);
  return static_cast<long>(n);
}

int WriteConsoleText(int fd, std::string_view bytes) {
  Text text;
  utf8::Decode(bytes, text);
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  const wchar_t* units = reinterpret_cast<const wchar_t*>(text.data());
  std::size_t left = text.size();
  while (left > 0) {
    const DWORD chunk = left > 8192 ? 8192 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteConsoleW(handle, units, chunk, &written, nullptr) || written == 0) return EIO;
    units += written;
    left -= written;
  }
  return 0;
}
#endif

// Writes all of `bytes` to `fd`; returns 0 or the errno value of the failure.
int WriteAll(int fd, std::string_view bytes) {
#ifdef _WIN32
  if (IsConsole(fd)) return WriteConsoleText(fd, bytes);
#endif
  while (!bytes.empty()) {
#ifdef _WIN32
    const unsigned chunk = bytes.size() > (1u << 30) ? (1u << 30) : unsigned(bytes.size());
    const int written = _write(fd, bytes.data(), chunk);
#else
    const ssize_t written = write(fd, bytes.data(), bytes.size());
#endif
    if (written < 0) {
      if (errno == EINTR) continue;
#ifdef _WIN32
      // A pipe whose reader went away fails with EINVAL or EPIPE, after
      // the system's ERROR_NO_DATA or ERROR_BROKEN_PIPE; under Wine, with a
      // Linux reader, ERROR_PIPE_NOT_CONNECTED.
      const DWORD system = GetLastError();
      if (system == ERROR_NO_DATA || system == ERROR_BROKEN_PIPE ||
          system == ERROR_PIPE_NOT_CONNECTED) {
        return EPIPE;
      }
#endif
      return errno;
    }
    if (written == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

}  // namespace

Arguments::Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; i < count; ++i) {
    utf8::Encode(TextView(reinterpret_cast<const char16_t*>(wide[i])), args_.emplace_back());
  }
  LocalFree(wide);
#else
  args_.assign(argv, argv + argc);
#endif
  for (std::string& arg : args_) pointers_.push_back(arg.data());
  pointers_.push_back(nullptr);
}

bool WriteError::reader_gone() const {
  return error_ == EPIPE;
}

void PrepareStandardStreams() {
#ifdef _WIN32
  _setmode(0, _O_BINARY);
  _setmode(1, _O_BINARY);
  _setmode(2, _O_BINARY);
#endif
}

long ReadInput(char* into, std::size_t size) {
#ifdef _WIN32
  static const bool console = IsConsole(0);
  if (console) return ReadConsoleText(into, size);
#endif
  for (;;) {
#ifdef _WIN32
    const int got = _read(0, into, size > (1u << 30) ? (1u << 30) : unsigned(size));
#else
    const ssize_t got = read(0, into, size);
#endif
    if (got < 0 && errno == EINTR) continue;
    return static_cast<long>(got);
  }
}

void Output::Flush() {
  if (buffer_.empty()) return;
  const int error = WriteAll(1, buffer_);
  buffer_.clear();
  if (error != 0) throw WriteError(error);
}

void WriteErrorLine(std::string_view line) {
  std::string text(line);
  text += '\n';
  WriteAll(2, text);
}

}  // namespace zolm::cli
