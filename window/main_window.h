// The window Form1: four rows (Custom, Hex, Ascii, Decimal) of a caption, a
// text box and a Convert button, the radix box and a credit line. It copies
// text in and out of the Convert commands, applies the focus rule and reports
// run-time errors; it computes nothing itself.
#ifndef ZOLM_WINDOW_MAIN_WINDOW_H_
#define ZOLM_WINDOW_MAIN_WINDOW_H_

#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "engine/text_box_rules.h"
#include "engine/value_rules.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zolm {

class FieldSet;

// Shows a run-time error to the user. The window calls it once per failed
// Convert, and goes on running afterwards.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void Report(QWidget* parent, const RuntimeError& error) = 0;
};

// The standard report: a modal message box titled "Zolm Converter" with an
// error icon, the report text of engine/error_text.h and an OK button.
class MessageBoxReporter final : public ErrorReporter {
 public:
  void Report(QWidget* parent, const RuntimeError& error) override;
};

class Form1 final : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // Replaces the error reporter (tests use one that records instead).
  void SetErrorReporter(std::unique_ptr<ErrorReporter> reporter);

  QLineEdit* TextBox(Field field) const;

 private:
  using Command = void (*)(FieldSet&);

  void RunCommand(Command command);
  void SelectErrorPlace(const ErrorPlace& place);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The control's tab index, or -1 for none of the window's.
  int ControlIndex(const QObject* control) const;
  std::optional<Field> FieldOf(const QObject* control) const;

  std::array<QWidget*, 14> controls_{};  // in tab order
  std::array<QLineEdit*, 5> text_boxes_{};
  std::unique_ptr<FieldSet> fields_;
  std::unique_ptr<ErrorReporter> reporter_;
  FocusRuleTiming focus_timing_;
  QPoint press_position_;  // of the last left-button press in a text box
};

}  // namespace zolm

#endif  // ZOLM_WINDOW_MAIN_WINDOW_H_
