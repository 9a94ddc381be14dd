#pragma once

#include <cstdlib>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace tusko::gui::test {

// The named child; a missing one fails the test at once.
template <typename Widget>
Widget& Child(const QWidget& parent, const char* name) {
  auto* widget = parent.findChild<Widget*>(name);
  if (widget == nullptr) {
    ADD_FAILURE() << "no child named " << name;
    std::abort();
  }
  return *widget;
}

// Near the left edge: a radio button stretched over a form row takes clicks
// only on its indicator and text.
inline void Click(const QWidget& parent, const char* name) {
  auto& button = Child<QAbstractButton>(parent, name);
  const int middle = button.height() / 2;
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(middle, middle));
}

// Types each character as a key; one without a key of its own (an umlaut) as its text alone.
inline void Retype(const QWidget& parent, const char* edit, const QString& text) {
  auto& field = Child<QLineEdit>(parent, edit);
  field.clear();
  for (const QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(&field, c.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Click, &field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

}  // namespace tusko::gui::test
