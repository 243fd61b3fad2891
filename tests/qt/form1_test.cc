// The real window, driven as a user would: its controls, the start state, the
// Tab walk, mouse clicks, the Convert buttons and the error report.
#include "qt/form1.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "engine/convert_commands.h"
#include "engine/error_text.h"
#include "engine/text_box_rules.h"

namespace zolm {
namespace {

// Records reports instead of showing a modal message box.
class RecordingReporter final : public ErrorReporter {
 public:
  explicit RecordingReporter(std::vector<QString>* reports) : reports_(reports) {}
  void Report(QWidget*, const QString& report) override { reports_->push_back(report); }

 private:
  std::vector<QString>* reports_;
};

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    reports_.clear();
    form_ = std::make_unique<Form1>();
    form_->SetErrorReporter(std::make_unique<RecordingReporter>(&reports_));
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }
  void cleanup() { form_.reset(); }

  void controlTable_data() {
    QTest::addColumn<QString>("kind");
    // Pixels: twips / 15. The boxes and buttons move right where a caption
    // needs more room, a button grows to hold "Convert" in the style's
    // margins, and the radix box moves right with it and grows to hold a
    // radix such as "-16.5" (largerFontsFit).
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    // What a screen reader says for it ("" for a caption).
    QTest::addColumn<QString>("accessible");
    const struct {
      const char* name;
      const char* kind;
      QRect geometry;
      const char* text;
      const char* accessible;
    } rows[] = {
        {"tCus", "QLineEdit", {56, 8, 497, 19}, "48 65 6C 6C 6F 21", "Custom codes"},
        {"tBase", "QLineEdit", {616, 8, 33, 19}, "16", "Radix"},
        {"tHex", "QLineEdit", {56, 40, 497, 19}, "48 65 6C 6C 6F 21", "Hex codes"},
        {"tAsc", "QLineEdit", {56, 72, 497, 19}, "Hello!", "Ascii text"},
        {"tDec", "QLineEdit", {56, 104, 497, 19}, "72 101 108 108 111 33", "Decimal codes"},
        {"Label1", "QLabel", {8, 40, 81, 17}, "Hex", ""},
        {"hex", "QPushButton", {560, 40, 49, 25}, "Convert", "Convert hex codes"},
        {"Label3", "QLabel", {8, 72, 81, 17}, "Ascii", ""},
        {"Label4", "QLabel", {8, 128, 209, 17}, "Zolm Converter 1.00", ""},
        {"ascc", "QPushButton", {560, 72, 49, 25}, "Convert", "Convert Ascii text"},
        {"dec", "QPushButton", {560, 104, 49, 25}, "Convert", "Convert decimal codes"},
        {"Label2", "QLabel", {8, 104, 81, 17}, "Decimal", ""},
        {"cus", "QPushButton", {560, 8, 49, 25}, "Convert", "Convert custom codes"},
        {"Label5", "QLabel", {8, 8, 81, 17}, "Custom", ""},
    };
    for (const auto& row : rows) {
      QTest::newRow(row.name) << row.kind << row.geometry << row.text << row.accessible;
    }
  }

  void controlTable() {
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, accessible);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    auto* control = form_->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    // What the captions moved the boxes by and the buttons grew by, or 0.
    const int shift = form_->TextBox(Field::tCus)->x() - 56;
    const int grown = form_->findChild<QPushButton*>(QStringLiteral("cus"))->width() - 49;
    QVERIFY(shift >= 0 && grown >= 0);
    if (kind != QStringLiteral("QLabel")) geometry.translate(shift, 0);
    if (kind == QStringLiteral("QPushButton")) {
      geometry.setWidth(geometry.width() + grown);
      // Its caption clear of the style's margin, and no wider than the
      // table or what the caption needs with the frame.
      auto* button = static_cast<QPushButton*>(control);
      const int text = button->fontMetrics().boundingRect(button->text()).width();
      const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin);
      const int frame = 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
      QVERIFY2(button->width() >= text + margin, qPrintable(QString::number(text + margin)));
      QVERIFY(button->width() <= std::max(49, text + margin + frame));
    } else if (name == QStringLiteral("tBase")) {
      geometry.translate(grown, 0);
      QVERIFY(control->width() >= geometry.width());
      geometry.setWidth(control->width());
    }
    QCOMPARE(control->geometry(), geometry);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      QCOMPARE(edit->text(), text);
      QCOMPARE(edit->accessibleName(), accessible);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
      QCOMPARE(label->text(), text);
      QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
      QCOMPARE(button->text(), text);
      QCOMPARE(button->accessibleName(), accessible);
    }
  }

  void windowFrame() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Zolm Converter"));
    // The table's 676 x 147, and as much wider as the last box, the radix,
    // lies further right and is wider.
    const QWidget* radix = form_->TextBox(Field::tBase);
    QCOMPARE(form_->size(), QSize(676 + radix->x() + radix->width() - 616 - 33, 147));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    QCOMPARE(form_->findChildren<QWidget*>().size(), form::kControlCount);
    // A text box is drawn over the caption label whose box reaches under it.
    const QList<QObject*> stack = form_->children();
    QVERIFY(stack.indexOf(form_->findChild<QLabel*>(QStringLiteral("Label5"))) <
            stack.indexOf(form_->TextBox(Field::tCus)));
  }

  // At the desktop's font size, 1.5 times it and 16 points, every caption,
  // button and box holds its whole text (the radix box a radix of "-16.5"),
  // a caption's text stays clear of its box, the window holds every
  // control, and none is over another's text.
  void largerFontsFit_data() {
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("points");
    QTest::newRow("usual size") << 1.0 << 0.0;
    QTest::newRow("150%") << 1.5 << 0.0;
    QTest::newRow("16 pt") << 0.0 << 16.0;
  }
  void largerFontsFit() {
    QFETCH(double, scale);
    QFETCH(double, points);
    const QFont normal = QApplication::font();
    QFont large = normal;
    large.setPointSizeF(points > 0 ? points : normal.pointSizeF() * scale);
    QApplication::setFont(large);
    Form1 form;
    QApplication::setFont(normal);
    form.show();
    const QFontMetrics font(large);
    const QRect window = form.rect();
    const QList<QWidget*> controls = form.findChildren<QWidget*>();
    // What covers text: a caption's text and the gap after it, any other
    // control whole.
    const auto covered = [&](QWidget* c) {
      auto* label = qobject_cast<QLabel*>(c);
      QRect r = c->geometry();
      if (label != nullptr) r.setWidth(font.horizontalAdvance(label->text()) + 2);
      return r;
    };
    for (QWidget* control : controls) {
      const QString name = control->objectName();
      QVERIFY2(window.contains(control->geometry()), qPrintable(name));
      QString text;
      if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
      if (auto* button = qobject_cast<QPushButton*>(control)) text = button->text();
      QVERIFY2(control->width() >= font.horizontalAdvance(text), qPrintable(name));
      const bool box = qobject_cast<QLineEdit*>(control) != nullptr;
      QVERIFY2(control->height() >= font.height() + (box ? 4 : 0), qPrintable(name));
      for (QWidget* other : controls) {
        if (other != control) {
          QVERIFY2(!covered(control).intersects(covered(other)),
                   qPrintable(name + " and " + other->objectName()));
        }
      }
    }
    // The radix box shows the whole radix, its sign too, with the caret at
    // the end: the place at its left edge is the text's start.
    QLineEdit* radix = form.TextBox(Field::tBase);
    radix->setText(QStringLiteral("-16.5"));
    radix->end(false);
    radix->grab();  // the box scrolls its text as it paints
    const QRect inside = radix->contentsRect();
    QCOMPARE(radix->cursorPositionAt(QPoint(inside.left() + 3, inside.center().y())), 0);
  }

  void startState() {
    QLineEdit* cus = form_->TextBox(Field::tCus);
    QTRY_COMPARE(QApplication::focusWidget(), cus);
    QTRY_COMPARE(cus->selectedText(), QStringLiteral("48 65 6C 6C 6F 21"));
    QCOMPARE(cus->selectionStart(), 0);
  }

  void tabWalk() {
    const char* order[] = {"tBase", "tHex", "tAsc", "tDec", "hex", "ascc", "dec", "cus", "tCus"};
    QTRY_COMPARE(QApplication::focusWidget(), form_->TextBox(Field::tCus));
    for (const char* name : order) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focused = QApplication::focusWidget();
      QVERIFY(focused != nullptr);
      QCOMPARE(focused->objectName(), QString::fromLatin1(name));
      if (auto* edit = qobject_cast<QLineEdit*>(focused)) {
        QTRY_COMPARE(edit->selectedText(), edit->text());
      }
    }
    // Shift+Tab walks back and selects too.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cus"));
  }

  void mouseClickSelectsWholeText() {
    QLineEdit* asc = form_->TextBox(Field::tAsc);
    QTest::mouseClick(asc, Qt::LeftButton, Qt::NoModifier, QPoint(20, asc->height() / 2));
    QTRY_COMPARE(QApplication::focusWidget(), asc);
    QTRY_COMPARE(asc->selectedText(), QStringLiteral("Hello!"));
  }

  // The focus coming back to the same text box (the window active again, its
  // context menu closed) keeps the caret and selection as they were.
  void focusBackKeepsTheCaret_data() {
    QTest::addColumn<bool>("viaContextMenu");
    QTest::newRow("window active again") << false;
    QTest::newRow("context menu paste") << true;
  }

  void focusBackKeepsTheCaret() {
    QFETCH(bool, viaContextMenu);
    QLineEdit* asc = form_->TextBox(Field::tAsc);
    QTest::mouseClick(asc, Qt::LeftButton, Qt::NoModifier, QPoint(20, asc->height() / 2));
    QTRY_COMPARE(asc->selectedText(), QStringLiteral("Hello!"));
    QTest::keyClick(asc, Qt::Key_End);
    QString expected = QStringLiteral("Hello!");
    if (viaContextMenu) {
      QApplication::clipboard()->setText(QStringLiteral("XY"));
      QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(20, 5),
                             asc->mapToGlobal(QPoint(20, 5)));
      QApplication::sendEvent(asc, &open);
      QMenu* menu = nullptr;
      QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
      QAction* paste = nullptr;
      for (QAction* action : menu->actions()) {
        if (action->text().remove(QLatin1Char('&')).startsWith(QStringLiteral("Paste"))) {
          paste = action;
        }
      }
      QVERIFY(paste != nullptr);
      paste->trigger();
      menu->close();
      expected += QStringLiteral("XY");
    } else {
      QWidget other;
      other.show();
      QApplication::setActiveWindow(&other);
      QTRY_VERIFY(!form_->isActiveWindow());
      QApplication::setActiveWindow(form_.get());
      QTRY_VERIFY(form_->isActiveWindow());
    }
    QTRY_COMPARE(QApplication::focusWidget(), asc);
    QCoreApplication::processEvents();  // whatever the focus change queued
    QTest::keyClicks(asc, QStringLiteral("!"));
    QCOMPARE(asc->text(), expected + QStringLiteral("!"));
  }

  // Return and keypad Enter press a focused Convert button as Space does;
  // Return in a text box converts nothing.
  void enterPressesFocusedButton_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("converts");
    QTest::newRow("Return on dec")
        << "dec" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::NoModifier) << true;
    QTest::newRow("keypad Enter on dec")
        << "dec" << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << true;
    QTest::newRow("Space on dec") << "dec" << int(Qt::Key_Space)
                                  << Qt::KeyboardModifiers(Qt::NoModifier) << true;
    QTest::newRow("Return in tDec")
        << "tDec" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::NoModifier) << false;
  }

  void enterPressesFocusedButton() {
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, converts);
    SetFields({"", "65 66", "", "", "16"});
    auto* widget = form_->findChild<QWidget*>(control);
    widget->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), widget);
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
    QCOMPARE(form_->TextBox(Field::tAsc)->text(), converts ? QStringLiteral("AB") : QString());
    if (auto* button = qobject_cast<QPushButton*>(widget)) QVERIFY(!button->isDefault());
  }

  void convertButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("before");  // tAsc tDec tHex tCus tBase
    QTest::addColumn<QStringList>("after");
    const QString hex = QStringLiteral("48 65 6C 6C 6F 21");
    const QString dec = QStringLiteral("72 101 108 108 111 33");
    QTest::newRow("ascc trims and rewrites the codes")
        << "ascc" << QStringList{"  Hi  ", "", "", "", "16"}
        << QStringList{"Hi", "72 105", "48 69", "48 69", "16"};
    QTest::newRow("dec rewrites the text")
        << "dec" << QStringList{"", dec, "", "", "2"}
        << QStringList{"Hello!", dec, hex, "1001000 1100101 1101100 1101100 1101111 100001", "2"};
    QTest::newRow("hex via the decimal row") << "hex" << QStringList{"", "", "41 42", "", "8"}
                                             << QStringList{"AB", "65 66", "41 42", "101 102", "8"};
    QTest::newRow("cus with radix 36") << "cus" << QStringList{"", "", "", "20 21", "36"}
                                       << QStringList{"HI", "72 73", "48 49", "20 21", "36"};
  }

  void convertButtons() {
    QFETCH(QString, button);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    SetFields(before);
    QTest::mouseClick(form_->findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(Fields(), after);
    QVERIFY(reports_.empty());
  }

  // The line right of the credit names the code at the caret while the rows
  // are as the Convert left them, and nothing once one is edited.
  void codeLineNamesTheCode() {
    auto* line = form_->findChild<QLabel*>(QStringLiteral("CodeLine"));
    const QWidget* credit = form_->findChild<QLabel*>(QStringLiteral("Label4"));
    const QWidget* box = form_->TextBox(Field::tDec);
    QVERIFY(line != nullptr && line->text().isEmpty());
    QCOMPARE(line->y(), credit->y());
    QVERIFY(line->x() >= credit->x() + credit->width());
    QCOMPARE(line->x() + line->width(), box->x() + box->width());
    QCOMPARE(line->accessibleName(), QStringLiteral("Code at the caret"));
    form_->TextBox(Field::tDec)->setText(QStringLiteral("72 105"));
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("dec")), Qt::LeftButton);
    QLineEdit* hex = form_->TextBox(Field::tHex);
    hex->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(line->text(), QStringLiteral("Codes 1-2 of 2"));
    QTest::keyClick(hex, Qt::Key_End);
    QCOMPARE(line->text(), QStringLiteral("Code 2 of 2: i 105 69 69 (radix 16) U+0069"));
    QCOMPARE(line->accessibleDescription(), line->text());
    QTest::keyClick(hex, Qt::Key_Home);
    QCOMPARE(line->text(), QStringLiteral("Code 1 of 2: H 72 48 48 (radix 16) U+0048"));
    QTest::keyClicks(hex, QStringLiteral("4"));
    QCOMPARE(line->text(), QString());
  }

  // The caret's code marked in the other rows, each scrolled to it, their
  // carets left alone; the character without a code underlined; nothing
  // once a row is edited.
  void marksTheLinkedCodes() {
    // The colour's pixels in the box, and the leftmost's x.
    const auto find = [](QWidget* box, QRgb colour) {
      const QImage image = box->grab().toImage();
      int found = 0;
      int left = image.width();
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          if ((image.pixel(x, y) & 0xFFFFFF) != colour) continue;
          ++found;
          left = std::min(left, x);
        }
      }
      return std::pair{found, left};
    };
    QLineEdit* ascii = form_->TextBox(Field::tAsc);
    QLineEdit* decimal = form_->TextBox(Field::tDec);
    QLineEdit* hex = form_->TextBox(Field::tHex);
    const MarkColours pair =
        MarkColoursFor(ascii->palette().color(QPalette::Base).rgb() & 0xFFFFFF,
                       ascii->palette().color(QPalette::Text).rgb() & 0xFFFFFF);
    ascii->setText(QStringLiteral("\u0101") + QString(80, QChar(u'B')) + QChar(0x0101));
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("ascc")), Qt::LeftButton);
    QCOMPARE(find(ascii, pair.back).first, 0);
    QVERIFY(find(ascii, pair.line).first > 0);  // the first character underlined
    hex->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(hex->hasSelectedText());  // the focus rule has run
    QTest::keyClick(hex, Qt::Key_End);
    QTRY_VERIFY(find(decimal, pair.back).first > 0);
    QVERIFY(find(decimal, pair.back).second > decimal->width() / 2);
    QVERIFY(find(ascii, pair.back).first > 0);
    QCOMPARE(find(hex, pair.back).first, 0);
    QCOMPARE(decimal->cursorPosition(), 0);
    QTest::keyClick(hex, Qt::Key_Home);
    QTRY_VERIFY(find(decimal, pair.back).second < decimal->width() / 4);
    QTest::keyClicks(hex, QStringLiteral("4"));
    QCOMPARE(find(decimal, pair.back).first, 0);
    QCOMPARE(find(ascii, pair.line).first, 0);
  }

  // Undo in a box with none of its own typing left restores every row as
  // it was before the Convert; redo gives the Convert's rows back. Steps:
  // text typed at the Ascii row's end, "<" or ">" by key, "menu<" or
  // "menu>" by the context menu; `ascii` is tAsc after them.
  void undoAConvert_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("ascii");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("undo") << QStringList{"<"} << "Hello!"
                          << "  65";
    QTest::newRow("undo, redo") << QStringList{"<", ">"} << "A"
                                << "65";
    QTest::newRow("own typing first") << QStringList{"x", "<"} << "A"
                                      << "65";
    QTest::newRow("then the Convert") << QStringList{"x", "<", "<"} << "Hello!"
                                      << "  65";
    QTest::newRow("the menu's Undo") << QStringList{"menu<"} << "Hello!"
                                     << "  65";
    QTest::newRow("the menu's Redo") << QStringList{"<", "menu>"} << "A"
                                     << "65";
  }
  void undoAConvert() {
    QFETCH(QStringList, steps);
    QLineEdit* asc = form_->TextBox(Field::tAsc);
    form_->TextBox(Field::tDec)->setText(QStringLiteral("  65"));
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("dec")), Qt::LeftButton);
    asc->setFocus(Qt::OtherFocusReason);
    asc->end(false);
    for (const QString& step : steps) {
      if (step == QStringLiteral("<")) {
        QTest::keyClick(asc, Qt::Key_Z, Qt::ControlModifier);
      } else if (step == QStringLiteral(">")) {
        QTest::keyClick(asc, Qt::Key_Y, Qt::ControlModifier);
      } else if (step.startsWith(QStringLiteral("menu"))) {
        QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5),
                               asc->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(asc, &open);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        QAction* action =
            MenuAction(menu, step.endsWith(QLatin1Char('<')) ? QStringLiteral("&Undo")
                                                             : QStringLiteral("&Redo"));
        QVERIFY(action != nullptr && action->isEnabled());
        action->trigger();
        menu->close();
      } else {
        QTest::keyClicks(asc, step);
      }
    }
    QTEST(asc->text(), "ascii");
    QTEST(form_->TextBox(Field::tDec)->text(), "decimal");
  }

  void errorReportKeepsTheWindowRunning() {
    SetFields({"Hello!", "72 101", "48 65", "48 65", "abc"});
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("dec")), Qt::LeftButton);
    QCOMPARE(reports_.size(), std::size_t{1});
    QVERIFY(reports_[0].startsWith(QStringLiteral("Run-time error '13':\n\nType mismatch")));
    // d2a and d2h ran before d2c failed; tCus keeps its text.
    QCOMPARE(Fields(), (QStringList{"He", "72 101", "48 65", "48 65", "abc"}));
    QVERIFY(form_->isVisible());

    // The next Convert works.
    form_->TextBox(Field::tBase)->setText(QStringLiteral("16"));
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("dec")), Qt::LeftButton);
    QCOMPARE(reports_.size(), std::size_t{1});
    QCOMPARE(Fields(), (QStringList{"He", "72 101", "48 65", "48 65", "16"}));
  }

  void errorReportNamesThePlace_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("selected");
    QTest::newRow("decimal code in the middle")
        << "dec" << QStringList{"", "72 101 4A 33", "", "", "16"}
        << "Run-time error '13':\n\nType mismatch\nDecimal row, code 3: \"4A\""
        << "tDec"
        << "4A";
    QTest::newRow("doubled space")
        << "dec" << QStringList{"", "72  101", "", "", "16"}
        << "Run-time error '13':\n\nType mismatch\nDecimal row, code 2: (empty)"
        << "tDec"
        << "";
    QTest::newRow("bad radix") << "ascc" << QStringList{"Hi", "", "", "", "abc"}
                               << "Run-time error '13':\n\nType mismatch\nRadix field: \"abc\""
                               << "tBase"
                               << "abc";
    QTest::newRow("radix 0 is named, not the code")
        << "ascc" << QStringList{"Hi", "", "", "", "0"}
        << "Run-time error '6':\n\nOverflow\nRadix field: \"0\""
        << "tBase"
        << "0";
    QTest::newRow("empty ascii row")
        << "ascc" << QStringList{"  ", "", "", "", "16"}
        << "Run-time error '5':\n\nInvalid procedure call or argument\nAscii row: nothing to "
           "convert"
        << "tAsc"
        << "";
    QTest::newRow("custom code too large")
        << "cus" << QStringList{"", "", "", "48 G1 ZZZZZZZZZZZZZZZZZZZZZZZZZZZZ", "16"}
        << "Run-time error '6':\n\nOverflow\nCustom row, code 3: "
           "\"ZZZZZZZZZZZZZZZZZZZZZZZ\u2026\""
        << "tCus"
        << "ZZZZZZZZZZZZZZZZZZZZZZZZZZZZ";
    QTest::newRow("hex code beyond 255 in the decimal row")
        << "hex" << QStringList{"", "", "41 100", "", "16"}
        << "Run-time error '5':\n\nInvalid procedure call or argument\nDecimal row, code 2: "
           "\"256\""
        << "tDec"
        << "256";
  }

  void errorReportNamesThePlace() {
    QFETCH(QString, button);
    QFETCH(QStringList, before);
    QFETCH(QString, report);
    QFETCH(QString, focused);
    QFETCH(QString, selected);
    SetFields(before);
    QTest::mouseClick(form_->findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(reports_.size(), std::size_t{1});
    QCOMPARE(reports_[0], report);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focused);
    auto* edit = form_->findChild<QLineEdit*>(focused);
    QTRY_COMPARE(edit->selectedText(), selected);
  }

  // Text pasted or dropped with line breaks: each CR LF, CR or LF is one
  // space, so the codes convert as they read.
  void insertedLineBreaksBecomeSpaces_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("Ctrl+V, CR LF") << "key"
                                   << "48 65\r\n"
                                   << "72 101";
    QTest::newRow("menu Paste, a column") << "menu"
                                          << "48\n65\r66\n"
                                          << "72 101 102";
    QTest::newRow("drop, LF") << "drop"
                              << "48\n65"
                              << "72 101";
  }

  void insertedLineBreaksBecomeSpaces() {
    QFETCH(QString, how);
    QFETCH(QString, inserted);
    QFETCH(QString, decimal);
    QLineEdit* hex = form_->TextBox(Field::tHex);
    hex->clear();
    hex->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), hex);
    if (how == QStringLiteral("drop")) {
      QMimeData data;
      data.setText(inserted);
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(hex, &enter);
      QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(hex, &drop);
    } else {
      QApplication::clipboard()->setText(inserted);
      if (how == QStringLiteral("key")) {
        QTest::keySequence(hex, QKeySequence::Paste);
      } else {
        QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5),
                               hex->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(hex, &open);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        QAction* paste = MenuAction(menu, QStringLiteral("&Paste"));
        QVERIFY(paste != nullptr);
        paste->trigger();
        menu->close();
      }
    }
    QVERIFY(!hex->text().contains(QLatin1Char('\n')) && !hex->text().contains(QLatin1Char('\r')));
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("hex")), Qt::LeftButton);
    QCOMPARE(form_->TextBox(Field::tDec)->text(), decimal);
    QVERIFY(reports_.empty());
  }

  // Codes 0, 10 and 13 show as their pictures on the Ascii row's one line;
  // copied and pasted back they convert to the same codes.
  void controlCodesShowAndCopy() {
    QLineEdit* dec = form_->TextBox(Field::tDec);
    QLineEdit* asc = form_->TextBox(Field::tAsc);
    dec->setText(QStringLiteral("65 0 9 10 13 66"));
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("dec")), Qt::LeftButton);
    QCOMPARE(asc->text(), QString::fromStdU16String(u"A\u2400\t\u240A\u240DB"));
    asc->setFocus(Qt::TabFocusReason);
    asc->selectAll();
    QTest::keySequence(asc, QKeySequence::Copy);
    asc->clear();
    dec->clear();
    QTest::keySequence(asc, QKeySequence::Paste);
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("ascc")), Qt::LeftButton);
    QCOMPARE(dec->text(), QStringLiteral("65 0 9 10 13 66"));
  }

  // The three pictures are drawn as three glyphs, none of them the box of a
  // character no font has (U+0378), with only the fonts the packages bring.
  void controlPicturesDrawApart() {
    QLineEdit* asc = form_->TextBox(Field::tAsc);
    asc->clearFocus();
    std::vector<QImage> drawn;
    for (const char16_t c : {u'\u2400', u'\u240A', u'\u240D', u'\u0378'}) {
      asc->setText(QString(QChar(c)));
      drawn.push_back(asc->grab().toImage());
    }
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      for (std::size_t j = i + 1; j < drawn.size(); ++j) {
        QVERIFY2(drawn[i] != drawn[j],
                 qPrintable(QStringLiteral("%1 and %2 look alike").arg(i).arg(j)));
      }
    }
  }

  // In one line, Ctrl+End and Ctrl+Home move as End and Home do.
  void ctrlEndAndHome() {
    QLineEdit* asc = form_->TextBox(Field::tAsc);
    asc->setFocus(Qt::TabFocusReason);
    asc->selectAll();
    QTest::keyClick(asc, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(asc, QStringLiteral("?"));
    QCOMPARE(asc->text(), QStringLiteral("Hello!?"));
    QTest::keyClick(asc, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(asc->selectedText(), QStringLiteral("Hello!?"));
    // An Alt chord types nothing: no control has an access key.
    QTest::keyClick(asc, Qt::Key_End);
    QTest::keyClick(asc, Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(asc, Qt::Key_1, Qt::AltModifier);
    QCOMPARE(asc->text(), QStringLiteral("Hello!?"));
  }

  // A screen reader finds a window, and each box labelled by its caption.
  void accessibleFrameAndLabels() {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form_.get());
    QVERIFY(window != nullptr);
    QCOMPARE(window->role(), QAccessible::Window);
    for (const form::RowEntry& row : form::kRows) {
      QAccessibleInterface* box = QAccessible::queryAccessibleInterface(form_->TextBox(row.field));
      QStringList labels;
      for (const auto& relation : box->relations(QAccessible::Label)) {
        labels << relation.first->text(QAccessible::Name);
      }
      QCOMPARE(labels,
               QStringList{QString::fromLatin1(form::At(form::IndexOf(row.label)).caption)});
    }
  }

  // Every box a Convert writes shows the start of its new text.
  void convertShowsTheStart() {
    SetFields({QStringLiteral("The quick brown fox jumps over the lazy dog, then naps."), "", "",
               "", "16"});
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("ascc")), Qt::LeftButton);
    for (const Field field : {Field::tAsc, Field::tDec, Field::tHex, Field::tCus}) {
      QLineEdit* edit = form_->TextBox(field);
      QCOMPARE(edit->cursorPosition(), 0);
      QVERIFY(!edit->hasSelectedText());
    }
  }

  // Into a box without the focus: a press and drag selects what it went
  // over; a right-click selects the whole text before the menu is built.
  void mouseIntoAnotherBox_data() {
    QTest::addColumn<bool>("rightClick");
    QTest::newRow("press and drag") << false;
    QTest::newRow("right-click") << true;
  }

  void mouseIntoAnotherBox() {
    QFETCH(bool, rightClick);
    QLineEdit* dec = form_->TextBox(Field::tDec);
    QLineEdit* hex = form_->TextBox(Field::tHex);
    dec->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), dec);
    const int middle = hex->height() / 2;
    if (!rightClick) {
      QTest::mousePress(hex, Qt::LeftButton, Qt::NoModifier, QPoint(40, middle));
      QTest::mouseMove(hex, QPoint(90, middle));
      QTest::mouseRelease(hex, Qt::LeftButton, Qt::NoModifier, QPoint(90, middle));
      QCoreApplication::processEvents();
      QVERIFY(hex->selectionStart() > 0);
      QVERIFY(hex->hasSelectedText());
      QVERIFY(hex->selectedText() != hex->text());
      return;
    }
    // The press brings the focus and, at once, the menu (as on X11): no event
    // is processed in between.
    QTest::mousePress(hex, Qt::RightButton, Qt::NoModifier, QPoint(40, middle));
    QCOMPARE(QApplication::focusWidget(), hex);
    if (QApplication::activePopupWidget() == nullptr) {
      QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(40, middle),
                             hex->mapToGlobal(QPoint(40, middle)));
      QApplication::sendEvent(hex, &open);
    }
    QMenu* menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
    QAction* copy = MenuAction(menu, QStringLiteral("&Copy"));
    QVERIFY(copy != nullptr);
    QVERIFY(copy->isEnabled());
    QCOMPARE(hex->selectedText(), hex->text());
    menu->close();
  }

  // The window's text boxes behave as the stand-alone field set: the same
  // texts and the same error after every command, over random field sets.
  void windowMatchesFieldModel() {
    std::mt19937 random(5);
    const std::u16string alphabet = u"0123456789ABCFaz -.\u20AC";
    const std::u16string radixes[] = {u"16", u"2", u" 10 ", u"36", u"abc", u"0", u"15.7"};
    std::uniform_int_distribution<int> length(0, 10);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    const struct {
      const char* button;
      void (*command)(FieldSet&);
    } commands[] = {{"ascc", ascc}, {"dec", dec}, {"hex", hex}, {"cus", cus}};
    for (int n = 0; n < 400; ++n) {
      FieldModel model;
      for (const Field field : kAllFields) {
        std::u16string text;
        for (int i = length(random); i > 0; --i) text.push_back(alphabet[pick(random)]);
        if (field == Field::tBase) text = radixes[static_cast<std::size_t>(n) % std::size(radixes)];
        model.WriteText(field, text);
        form_->TextBox(field)->setText(QString::fromStdU16String(text));
      }
      const auto& c = commands[n % 4];
      int expected_error = 0;
      try {
        c.command(model);
      } catch (const RuntimeError& error) {
        expected_error = error.number();
      }
      reports_.clear();
      QTest::mouseClick(form_->findChild<QPushButton*>(QString::fromLatin1(c.button)),
                        Qt::LeftButton);
      QCOMPARE(reports_.size(), std::size_t{expected_error != 0 ? 1u : 0u});
      if (expected_error != 0) {
        QVERIFY(reports_[0].startsWith(QStringLiteral("Run-time error '%1':").arg(expected_error)));
      }
      for (const Field field : kAllFields) {
        Text shown = model.text(field);
        ShowControlPictures(shown);
        QCOMPARE(form_->TextBox(field)->text(), QString::fromStdU16String(shown));
      }
    }
  }

  void longTextSurvives() {
    const QString text(100000, QLatin1Char('7'));
    QLineEdit* dec = form_->TextBox(Field::tDec);
    dec->setText(text);
    QCOMPARE(dec->text().size(), 100000);
    QCOMPARE(dec->text(), text);
    // And a command that fails on it reports instead of cutting it.
    QTest::mouseClick(form_->findChild<QPushButton*>(QStringLiteral("dec")), Qt::LeftButton);
    QCOMPARE(reports_.size(), std::size_t{1});
    QVERIFY(reports_[0].endsWith(QStringLiteral("Decimal row: longer than 32,765 characters")));
    QCOMPARE(dec->text(), text);
  }

 private:
  static QAction* MenuAction(QMenu* menu, const QString& caption) {
    for (QAction* action : menu->actions()) {
      if (action->text().startsWith(caption)) return action;
    }
    return nullptr;
  }
  void SetFields(const QStringList& texts) {
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
      form_->TextBox(kAllFields[i])->setText(texts[static_cast<int>(i)]);
    }
  }
  QStringList Fields() const {
    QStringList texts;
    for (const Field field : kAllFields) texts << form_->TextBox(field)->text();
    return texts;
  }

  std::unique_ptr<Form1> form_;
  std::vector<QString> reports_;
};

}  // namespace zolm

QTEST_MAIN(zolm::Form1Test)
#include "form1_test.moc"
