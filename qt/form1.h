// The window Form1: four rows (Custom, Hex, Ascii, Decimal) of a caption, a
// text box and a Convert button, the radix box and a credit line. It copies
// text in and out, shows reports, focuses and selects for the shared
// FormController; it computes nothing itself.
#ifndef ZOLM_QT_FORM1_H_
#define ZOLM_QT_FORM1_H_

#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "engine/form.h"
#include "engine/form_controller.h"
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
  virtual void Report(QWidget* parent, const QString& report) = 0;
};

// The standard report: a modal message box titled "Zolm Converter" with an
// error icon, the report text and an OK button.
class MessageBoxReporter final : public ErrorReporter {
 public:
  void Report(QWidget* parent, const QString& report) override;
};

class Form1 final : public QWidget, public FormView {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // Replaces the error reporter (tests use one that records instead).
  void SetErrorReporter(std::unique_ptr<ErrorReporter> reporter);

  QLineEdit* TextBox(Field field) const;

 private:
  // Places the controls for the window's font (form::Place).
  void Layout();
  void changeEvent(QEvent* event) override;
  void ShowReport(TextView report) override;
  void FocusAndSelect(int control, int start, int length) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The control's tab index, or -1 for none of the window's.
  int ControlIndex(const QObject* control) const;
  // For the caret or selection of the text box with the focus: the code
  // line, and the same codes marked in the other rows; with the characters
  // that have no code marked in the Ascii row, while the rows are linked.
  void ShowLinks();

  std::array<QWidget*, form::kControls.size()> controls_{};  // in tab order
  std::array<QLineEdit*, kFieldCount> text_boxes_{};
  std::unique_ptr<FieldSet> fields_;
  std::unique_ptr<FormController> controller_;
  std::unique_ptr<ErrorReporter> reporter_;
  QPoint press_position_;  // of the last left-button press in a text box
  QLabel* code_line_ = nullptr;
};

}  // namespace zolm

#endif  // ZOLM_QT_FORM1_H_
