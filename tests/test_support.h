// Helpers shared by the engine and command tests.
#ifndef ZOLM_TESTS_TEST_SUPPORT_H_
#define ZOLM_TESTS_TEST_SUPPORT_H_

#include <memory>
#include <string>
#include <vector>

#include "engine/value_rules.h"

namespace zolm::testing {

// The run-time error number `f` raises, or 0 when it completes.
template <class F>
int ErrorOf(F&& f) {
  try {
    f();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

// `s` for messages: printable ASCII as is, anything else as \uXXXX.
std::string Show(TextView s);

// `count` copies of `unit`.
inline Text Repeat(TextView unit, int count) {
  Text out;
  for (int i = 0; i < count; ++i) out.append(unit);
  return out;
}

// A program built beside the tests: `path` itself where it is absolute,
// else that name in the folder of the running test program.
std::string BuiltProgram(const std::string& path);

// What a program run to its end gave.
struct ProgramResult {
  std::string out;
  std::string err;
  int status = -1;  // the exit status; -1 when it did not end by exiting
};

// Runs `program` with `args` (UTF-8; UTF-16 on Windows, as a console passes
// them), `input` on its standard input, its standard output and error to
// files of this call's own. No shell is involved.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input);

#ifdef _WIN32
// RunProgram with `input`, a handle the program inherits (a console's),
// for its standard input.
ProgramResult RunProgramWithInput(const std::string& program, const std::vector<std::string>& args,
                                  void* input);
#endif

// A program running with pipes to its standard input and output.
class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const;
  bool Write(const std::string& bytes);
  // What the program wrote, once something arrives within `seconds`; ""
  // when nothing did.
  std::string ReadSome(int seconds);
  // Closes the reading end of its standard output, as a reader that goes
  // away does.
  void CloseOutput();
  // Closes its standard input and waits for its exit status (-1 when it did
  // not end by exiting).
  int Finish();
  // What it wrote to standard error.
  std::string Errors() const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace zolm::testing

#endif  // ZOLM_TESTS_TEST_SUPPORT_H_
