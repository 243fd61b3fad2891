#include "qt/form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTextCharFormat>
#include <QTextLayout>
#include <limits>

#include "engine/convert_commands.h"
#include "engine/form.h"
#include "engine/text_box_rules.h"

// The font in this library's resources (Qt names the initializer after the
// file), which a static library has to register itself.
static void AddFontResource() {
  Q_INIT_RESOURCE(fonts);
}

namespace zolm {

namespace {

// Zolm Sans, for the control pictures most systems' fonts lack: made known
// to the application, so that drawing a picture no font of the system has
// falls back on it.
void AddPictureFont() {
  static const bool added = [] {
    AddFontResource();
    return QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/zolm-sans.ttf")) >= 0;
  }();
  (void)added;
}

// The form is the application's window: a screen reader is to know it as a
// frame (Qt's plain widget is a filler otherwise).
QAccessibleInterface* FormAccessible(const QString& key, QObject* object) {
  if (key == QLatin1String("zolm::Form1") && object->isWidgetType()) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  return nullptr;
}

QString Inserted(const QString& text) {
  return QString::fromStdU16String(InsertedShownText(text.toStdU16String()));
}

// A single-line text box whose every way of inserting text (Paste by key,
// by its context menu or by the middle button, a drop) turns line breaks
// into spaces as InsertedText does. No Q_OBJECT: it is a QLineEdit to Qt.
//
// Its undo and redo, with none of its own typing left that way, step
// through the form's Converts instead (FormController::StepConverts).
class RowEdit final : public QLineEdit {
 public:
  RowEdit(QWidget* parent, const std::unique_ptr<FormController>& controller)
      : QLineEdit(parent), controller_(controller) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    // No control has an access key, so an Alt chord types nothing (as in
    // the Windows window) and goes on to the window. Ctrl+Alt is AltGr on
    // some systems, and types its character.
    const Qt::KeyboardModifiers chord = event->modifiers();
    if ((chord & Qt::AltModifier) && !(chord & Qt::ControlModifier) && !event->text().isEmpty()) {
      event->ignore();
      return;
    }
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
      PasteFrom(QClipboard::Clipboard);
      event->accept();
      return;
    }
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool undo = event->matches(QKeySequence::Undo);
    const bool redo =
        event->matches(QKeySequence::Redo) ||
        (event->key() == Qt::Key_Y && modifiers == Qt::ControlModifier) ||
        (event->key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier));
    if (undo || redo) {
      Step(undo);
      event->accept();
      return;
    }
    // In one line, Ctrl+Home and Ctrl+End are Home and End (with Shift,
    // selecting), as in other toolkits' boxes.
    if ((event->key() == Qt::Key_Home || event->key() == Qt::Key_End) &&
        (modifiers == Qt::ControlModifier ||
         modifiers == (Qt::ControlModifier | Qt::ShiftModifier))) {
      const bool mark = (modifiers & Qt::ShiftModifier) != 0;
      if (event->key() == Qt::Key_Home) {
        home(mark);
      } else {
        end(mark);
      }
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection()) {
      deselect();
      PasteFrom(QClipboard::Selection);
      return;
    }
    QLineEdit::mouseReleaseEvent(event);
  }

  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu* menu = createStandardContextMenu();
    // The standard menu's Paste, Undo and Redo, known by the captions Qt
    // gave them.
    for (QAction* action : menu->actions()) {
      const QString caption = action->text();
      if (caption.startsWith(QLineEdit::tr("&Paste"))) {
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { PasteFrom(QClipboard::Clipboard); });
      }
      for (const bool back : {true, false}) {
        if (!caption.startsWith(back ? QLineEdit::tr("&Undo") : QLineEdit::tr("&Redo"))) continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this, back] { Step(back); });
        action->setEnabled(CanStep(back));
      }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
  }

 public:
  // Draws `marks` (units of the text, in their formats) over the text,
  // and scrolls a box without the focus so that `seen`, when given, is in
  // sight. The text, the caret and the selection stay as they are: the
  // marks go in as an input method's formats, and the place in sight as
  // its caret, which Qt's line edit scrolls to.
  void SetMarks(QList<QTextLayout::FormatRange> marks, std::optional<TextRange> seen) {
    if (marks_ == marks && seen_ == seen) return;
    marks_ = std::move(marks);
    seen_ = seen;
    SendMarks();
  }

 protected:
  void focusInEvent(QFocusEvent* event) override {
    // The caret is the box's own again.
    seen_.reset();
    SendMarks();
    QLineEdit::focusInEvent(event);
  }

  void dropEvent(QDropEvent* event) override {
    QMimeData inserted;
    inserted.setText(Inserted(event->mimeData()->text()));
    QDropEvent copy(event->position(), event->possibleActions(), &inserted, event->buttons(),
                    event->modifiers(), event->type());
    QLineEdit::dropEvent(&copy);
    event->setDropAction(copy.dropAction());
    event->setAccepted(copy.isAccepted());
  }

 private:
  bool Own(bool back) const { return back ? isUndoAvailable() : isRedoAvailable(); }
  bool CanStep(bool back) const {
    return !isReadOnly() && (Own(back) || controller_->CanStepConverts(back));
  }
  void Step(bool back) {
    if (isReadOnly()) return;
    if (!Own(back)) {
      controller_->StepConverts(back);
    } else if (back) {
      undo();
    } else {
      redo();
    }
  }

  void PasteFrom(QClipboard::Mode mode) {
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (!text.isEmpty() || hasSelectedText()) insert(Inserted(text));
  }

  void SendMarks() {
    const int caret = cursorPosition();
    QList<QInputMethodEvent::Attribute> attributes;
    for (const QTextLayout::FormatRange& mark : marks_) {
      attributes.append(
          {QInputMethodEvent::TextFormat, mark.start - caret, mark.length, mark.format});
    }
    if (seen_ && !hasFocus()) {
      // The code's end when it lies to the right of what is in sight, else
      // its start.
      const QFontMetrics font = fontMetrics();
      const auto x = [&](int at) { return font.horizontalAdvance(text().left(at)); };
      const int left = x(seen_->start) - x(caret + shown_offset_) + cursorRect().center().x();
      const int to =
          left > contentsRect().right() - font.averageCharWidth() ? seen_->end : seen_->start;
      shown_offset_ = to - caret;
      attributes.append({QInputMethodEvent::Cursor, shown_offset_, 0, {}});
    } else {
      shown_offset_ = 0;
    }
    QInputMethodEvent event(QString(), attributes);
    inputMethodEvent(&event);
  }

  const std::unique_ptr<FormController>& controller_;  // the form's, made after its boxes
  QList<QTextLayout::FormatRange> marks_;
  std::optional<TextRange> seen_;
  int shown_offset_ = 0;  // of the input method's caret from the box's own
};

// The field set over the window's five text boxes, which show codes 0, 10
// and 13 as their pictures. A box a command writes shows the start of its
// new text, as a native text box does.
class TextBoxFields final : public ShownTextBoxes {
 public:
  explicit TextBoxFields(const std::array<QLineEdit*, kFieldCount>& boxes) : boxes_(boxes) {}

  void SetSelStart(Field field, Long start) override { box(field)->setCursorPosition(start); }
  void SetSelLength(Field field, Long length) override {
    QLineEdit* edit = box(field);
    edit->setSelection(edit->cursorPosition(), length);
  }
  // Nothing handles a text change: while a command runs, only its own writes
  // change the boxes.
  bool TextsChangeOnlyByWrites() const override { return true; }

 private:
  void ReadShownText(Field field, Text& into) override {
    const QString text = box(field)->text();
    into.assign(reinterpret_cast<const char16_t*>(text.utf16()),
                static_cast<std::size_t>(text.size()));
  }
  void ShowText(Field field, const Text& shown) override {
    box(field)->setText(QString(reinterpret_cast<const QChar*>(shown.data()),
                                static_cast<qsizetype>(shown.size())));
    box(field)->setCursorPosition(0);
  }
  QLineEdit* box(Field field) const { return boxes_[static_cast<std::size_t>(field)]; }
  std::array<QLineEdit*, kFieldCount> boxes_;
};

}  // namespace

void MessageBoxReporter::Report(QWidget* parent, const QString& report) {
  QMessageBox box(QMessageBox::Critical, QString::fromLatin1(form::kTitle), report, QMessageBox::Ok,
                  parent);
  box.exec();
}

Form1::Form1(QWidget* parent) : QWidget(parent), reporter_(std::make_unique<MessageBoxReporter>()) {
  static const bool accessible_as_window = (QAccessible::installFactory(FormAccessible), true);
  (void)accessible_as_window;
  AddPictureFont();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(form::kTitle));

  QWidget* previous = nullptr;
  for (int index = 0; index < form::kControlCount; ++index) {
    const form::Control& row = form::At(index);
    QWidget* control = nullptr;
    const QString text = QString::fromLatin1(row.caption);
    switch (row.kind) {
      case form::Kind::kTextBox: {
        auto* edit = new RowEdit(this, controller_);
        // The legacy text box had no length limit; QLineEdit cuts at 32767.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setText(QString::fromStdU16String(StartText(*row.field)));
        edit->installEventFilter(this);
        text_boxes_[static_cast<std::size_t>(*row.field)] = edit;
        control = edit;
        break;
      }
      case form::Kind::kLabel: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->lower();  // text boxes are drawn over the caption's box
        control = label;
        break;
      }
      case form::Kind::kButton: {
        auto* button = new QPushButton(text, this);
        // Not a default button in look or behaviour; Return and Enter on a
        // focused button are handled in eventFilter instead.
        button->setAutoDefault(false);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, index] {
          controller_->Click(index);
          ShowLinks();
        });
        control = button;
        break;
      }
    }
    control->setObjectName(QString::fromLatin1(row.name));
    if (row.accessible_name != nullptr) {
      control->setAccessibleName(QString::fromLatin1(row.accessible_name));
    }
    controls_[static_cast<std::size_t>(index)] = control;
    if (row.kind != form::Kind::kLabel) {
      if (previous != nullptr) setTabOrder(previous, control);
      previous = control;
    }
  }

  // Each row's caption labels its box for a screen reader.
  for (const form::RowEntry& row : form::kRows) {
    auto* caption =
        static_cast<QLabel*>(controls_[static_cast<std::size_t>(form::IndexOf(row.label))]);
    caption->setBuddy(TextBox(row.field));
  }

  Layout();
  fields_ = std::make_unique<TextBoxFields>(text_boxes_);
  controller_ = std::make_unique<FormController>(*fields_, *this);

  code_line_ = static_cast<QLabel*>(controls_[static_cast<std::size_t>(form::IndexOf("CodeLine"))]);
  for (const Field field : kAllFields) {
    QLineEdit* edit = TextBox(field);
    const auto show = [this] { ShowLinks(); };
    connect(edit, &QLineEdit::cursorPositionChanged, this, show);
    connect(edit, &QLineEdit::selectionChanged, this, show);
    connect(edit, &QLineEdit::textChanged, this, show);
  }

  TextBox(Field::tCus)->setFocus(Qt::OtherFocusReason);
}

Form1::~Form1() = default;

void Form1::Layout() {
  // At 96 dots per inch: Qt scales device-independent pixels itself.
  form::FontMetrics metrics;
  const QFontMetrics font = fontMetrics();
  metrics.line_height = font.height();
  metrics.box_frame = 4;  // QLineEdit's frame and its text margins
  // Its frame, its text's margin of 2 each side and the caret.
  metrics.box_frame_x = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2 * 2 + 1;
  metrics.radix_sample = font.horizontalAdvance(QString::fromLatin1(form::kRadixSample));
  // A button's caption keeps the style's own margin inside its frame.
  metrics.button_frame_x = style()->pixelMetric(QStyle::PM_ButtonMargin) +
                           2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  metrics.button_frame_y = 8;
  for (int i = 0; i < form::kControlCount; ++i) {
    if (const char* caption = form::At(i).caption) {
      // The room the text takes as a label draws it.
      metrics.caption_widths[static_cast<std::size_t>(i)] =
          font.horizontalAdvance(QString::fromLatin1(caption));
    }
  }
  const form::Placement placement = form::Place(metrics);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const form::Rect& r = placement.controls[i];
    controls_[i]->setGeometry(r.left, r.top, r.width, r.height);
  }
  setFixedSize(placement.client_width, placement.client_height);
}

void Form1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) Layout();
  QWidget::changeEvent(event);
}

void Form1::SetErrorReporter(std::unique_ptr<ErrorReporter> reporter) {
  reporter_ = std::move(reporter);
}

QLineEdit* Form1::TextBox(Field field) const {
  return text_boxes_[static_cast<std::size_t>(field)];
}

void Form1::ShowReport(TextView report) {
  reporter_->Report(this, QString::fromStdU16String(Text(report)));
}

void Form1::FocusAndSelect(int control, int start, int length) {
  auto* edit = static_cast<QLineEdit*>(controls_[static_cast<std::size_t>(control)]);
  edit->setFocus(Qt::OtherFocusReason);
  edit->setSelection(start, length);
}

int Form1::ControlIndex(const QObject* control) const {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == control) return static_cast<int>(i);
  }
  return -1;
}

void Form1::ShowLinks() {
  int index = -1;
  int start = 0;
  int end = 0;
  for (const Field field : kAllFields) {
    const QLineEdit* edit = TextBox(field);
    if (!edit->hasFocus()) continue;
    index = form::IndexOf(field);
    start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    end = edit->hasSelectedText() ? edit->selectionEnd() : start;
    const QString line = QString::fromStdU16String(controller_->CodeLineAt(index, start, end));
    if (line != code_line_->text()) {
      code_line_->setText(line);
      // Its name says what it is; a screen reader reads the line itself here.
      code_line_->setAccessibleDescription(line);
    }
  }
  const FormController::Marks marks = controller_->MarksAt(index, start, end);
  const QPalette& colours = TextBox(Field::tAsc)->palette();
  const MarkColours pair = MarkColoursFor(colours.color(QPalette::Base).rgb() & 0xFFFFFF,
                                          colours.color(QPalette::Text).rgb() & 0xFFFFFF);
  QTextCharFormat no_code;
  no_code.setUnderlineStyle(QTextCharFormat::SingleUnderline);
  no_code.setUnderlineColor(QColor::fromRgb(pair.line));
  QTextCharFormat linked = no_code;
  linked.setBackground(QColor::fromRgb(pair.back));
  for (const Field field : kAllFields) {
    if (field == Field::tBase) continue;
    QList<QTextLayout::FormatRange> formats;
    if (field == Field::tAsc) {
      for (const TextRange& run : marks.no_code)
        formats.append({run.start, run.end - run.start, no_code});
    }
    const std::optional<TextRange>& mark = marks.linked[static_cast<std::size_t>(field)];
    if (mark) formats.append({mark->start, mark->end - mark->start, linked});
    static_cast<RowEdit*>(TextBox(field))->SetMarks(std::move(formats), mark);
  }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  const int index = ControlIndex(watched);
  const bool text_box = qobject_cast<QLineEdit*>(watched) != nullptr;
  switch (event->type()) {
    case QEvent::FocusIn: {
      // Marks follow the box with the focus; none while a button has it.
      QMetaObject::invokeMethod(this, &Form1::ShowLinks, Qt::QueuedConnection);
      const bool by_mouse = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
      if (controller_->FocusArrived(index, by_mouse ? FocusRuleTiming::Arrival::kMousePress
                                                    : FocusRuleTiming::Arrival::kOther)) {
        // Run once the focus change is over.
        QMetaObject::invokeMethod(
            this, [this, index] { controller_->RunFocusRule(index); }, Qt::QueuedConnection);
      }
      break;
    }
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (text_box && mouse->button() == Qt::LeftButton) {
        press_position_ = mouse->position().toPoint();
      }
      break;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (!text_box || mouse->button() != Qt::LeftButton) break;
      const bool dragged = (mouse->position().toPoint() - press_position_).manhattanLength() >=
                           QApplication::startDragDistance();
      // Once the box has had the release: on X11 it copies what is selected
      // then to the PRIMARY selection, which the rule's select-all must
      // leave to the program the user selected in.
      QMetaObject::invokeMethod(
          this, [this, index, dragged] { controller_->ButtonReleased(index, dragged); },
          Qt::QueuedConnection);
      break;
    }
    case QEvent::MouseButtonDblClick:
      // Qt selects the word under the pointer itself.
      if (text_box) controller_->DoubleClicked(index);
      break;
    case QEvent::ContextMenu:
      if (text_box) controller_->ContextMenuOpening(index);
      break;
    case QEvent::KeyPress: {
      // A focused Convert button takes Return and keypad Enter as Space: its
      // Click, nothing else.
      auto* button = qobject_cast<QPushButton*>(watched);
      const auto* key = static_cast<QKeyEvent*>(event);
      const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
      const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
      if (button != nullptr && enter && modifiers == Qt::NoModifier) {
        if (!key->isAutoRepeat()) button->click();
        return true;
      }
      break;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace zolm
