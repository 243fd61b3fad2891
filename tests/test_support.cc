#include "tests/test_support.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "engine/utf8.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zolm::testing {

namespace fs = std::filesystem;

namespace {

// A folder of its own under the system's temporary folder, removed with all
// it holds when it goes.
class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = fs::temp_directory_path() / ("zolm_test_" + std::to_string(random()));
      std::error_code error;
      if (fs::create_directory(path_, error)) return;
    }
    path_.clear();
  }
  ~TempFolder() {
    std::error_code error;
    if (!path_.empty()) fs::remove_all(path_, error);
  }
  fs::path operator/(const char* name) const { return path_ / name; }

 private:
  fs::path path_;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

#ifdef _WIN32
std::wstring Wide(const std::string& utf8_text) {
  Text text;
  utf8::Decode(utf8_text, text);
  return std::wstring(text.begin(), text.end());
}

// One argument as the C runtime's command line parser reads it back.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::wstring line = QuoteArgument(Wide(program));
  for (const auto& arg : args) line += L" " + QuoteArgument(Wide(arg));
  return line;
}

HANDLE OpenInherited(const fs::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(path.wstring().c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts `program` with the three standard handles given; its process
// handle, or nullptr.
HANDLE Start(const std::string& program, const std::vector<std::string>& args, HANDLE in,
             HANDLE out, HANDLE err) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  std::wstring line = CommandLine(program, args);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

int WaitFor(HANDLE process) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
}
#endif

}  // namespace

std::string BuiltProgram(const std::string& path) {
  if (fs::path(path).is_absolute()) return path;
#ifdef _WIN32
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  const fs::path folder = fs::path(std::wstring(self, length)).parent_path();
  return (folder / path).string();
#else
  return path;
#endif
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
  TempFolder folder;
  std::ofstream(folder / "in", std::ios::binary) << input;
  ProgramResult result;
#ifdef _WIN32
  HANDLE in = OpenInherited(folder / "in", false);
  HANDLE out = OpenInherited(folder / "out", true);
  HANDLE err = OpenInherited(folder / "err", true);
  HANDLE process = Start(program, args, in, out, err);
  for (HANDLE h : {in, out, err}) CloseHandle(h);
  if (process != nullptr) result.status = WaitFor(process);
#else
  const pid_t child = fork();
  if (child == 0) {
    const std::string names[] = {(folder / "in").string(), (folder / "out").string(),
                                 (folder / "err").string()};
    const int in = open(names[0].c_str(), O_RDONLY);
    const int out = open(names[1].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(names[2].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  }
#endif
  result.out = Slurp(folder / "out");
  result.err = Slurp(folder / "err");
  return result;
}

#ifdef _WIN32
ProgramResult RunProgramWithInput(const std::string& program, const std::vector<std::string>& args,
                                  void* input) {
  TempFolder folder;
  ProgramResult result;
  HANDLE out = OpenInherited(folder / "out", true);
  HANDLE err = OpenInherited(folder / "err", true);
  HANDLE process = Start(program, args, static_cast<HANDLE>(input), out, err);
  CloseHandle(out);
  CloseHandle(err);
  if (process != nullptr) result.status = WaitFor(process);
  result.out = Slurp(folder / "out");
  result.err = Slurp(folder / "err");
  return result;
}

struct Child::Handles {
  HANDLE process = nullptr;
  HANDLE to_child = nullptr;
  HANDLE from_child = nullptr;
  TempFolder folder;  // its standard error
};

Child::Child(const std::string& program, const std::vector<std::string>& args)
    : handles_(std::make_unique<Handles>()) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE child_in = nullptr;
  HANDLE child_out = nullptr;
  if (!CreatePipe(&child_in, &handles_->to_child, &inherit, 0)) return;
  if (!CreatePipe(&handles_->from_child, &child_out, &inherit, 0)) return;
  SetHandleInformation(handles_->to_child, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(handles_->from_child, HANDLE_FLAG_INHERIT, 0);
  HANDLE child_err = OpenInherited(handles_->folder / "err", true);
  handles_->process = Start(program, args, child_in, child_out, child_err);
  CloseHandle(child_in);
  CloseHandle(child_out);
  CloseHandle(child_err);
}

Child::~Child() {
  if (handles_->to_child != nullptr) Finish();
  if (handles_->from_child != nullptr) CloseHandle(handles_->from_child);
}

bool Child::started() const {
  return handles_->process != nullptr;
}

bool Child::Write(const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(handles_->to_child, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size();
}

std::string Child::ReadSome(int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    DWORD available = 0;
    if (!PeekNamedPipe(handles_->from_child, nullptr, 0, nullptr, &available, nullptr)) break;
    if (available > 0) {
      std::string bytes(available, '\0');
      DWORD got = 0;
      ReadFile(handles_->from_child, bytes.data(), available, &got, nullptr);
      bytes.resize(got);
      return bytes;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

void Child::CloseOutput() {
  if (handles_->from_child != nullptr) CloseHandle(handles_->from_child);
  handles_->from_child = nullptr;
}

int Child::Finish() {
  if (handles_->to_child != nullptr) CloseHandle(handles_->to_child);
  handles_->to_child = nullptr;
  if (handles_->process == nullptr) return -1;
  const int status = WaitFor(handles_->process);
  handles_->process = nullptr;
  return status;
}
#else
struct Child::Handles {
  pid_t pid = -1;
  int to_child = -1;
  int from_child = -1;
  TempFolder folder;  // its standard error
};

Child::Child(const std::string& program, const std::vector<std::string>& args)
    : handles_(std::make_unique<Handles>()) {
  int to_child[2];
  int from_child[2];
  if (pipe(to_child) != 0) return;
  if (pipe(from_child) != 0) {
    close(to_child[0]);
    close(to_child[1]);
    return;
  }
  const std::string err = (handles_->folder / "err").string();
  handles_->pid = fork();
  if (handles_->pid == 0) {
    dup2(to_child[0], 0);
    dup2(from_child[1], 1);
    const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err_fd >= 0) dup2(err_fd, 2);
    for (const int fd : {to_child[0], to_child[1], from_child[0], from_child[1]}) close(fd);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  handles_->to_child = to_child[1];
  handles_->from_child = from_child[0];
}

Child::~Child() {
  if (handles_->to_child >= 0) Finish();
  if (handles_->from_child >= 0) close(handles_->from_child);
}

bool Child::started() const {
  return handles_->pid > 0;
}

bool Child::Write(const std::string& bytes) {
  return write(handles_->to_child, bytes.data(), bytes.size()) ==
         static_cast<ssize_t>(bytes.size());
}

std::string Child::ReadSome(int seconds) {
  pollfd ready{handles_->from_child, POLLIN, 0};
  if (poll(&ready, 1, seconds * 1000) != 1) return "";
  char bytes[256];
  const ssize_t got = read(handles_->from_child, bytes, sizeof bytes);
  return got > 0 ? std::string(bytes, static_cast<std::size_t>(got)) : "";
}

void Child::CloseOutput() {
  if (handles_->from_child >= 0) close(handles_->from_child);
  handles_->from_child = -1;
}

int Child::Finish() {
  if (handles_->to_child >= 0) close(handles_->to_child);
  handles_->to_child = -1;
  if (handles_->pid <= 0) return -1;
  int status = 0;
  const pid_t done = waitpid(handles_->pid, &status, 0);
  handles_->pid = -1;
  return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

std::string Child::Errors() const {
  return Slurp(handles_->folder / "err");
}

std::string Show(TextView s) {
  std::string out;
  for (const char16_t c : s) {
    if (c >= 0x20 && c <= 0x7E) {
      out.push_back(static_cast<char>(c));
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out;
}

}  // namespace zolm::testing
