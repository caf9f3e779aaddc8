#include "game/pluvionaut1/cursor_publisher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/qt_test_app.h"

namespace {

void MoveMouse(QWidget* widget, QPointF local) {
  QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

TEST(CursorPublisherTest, MouseMovesOverTheDrawingArePublishedWithTracking) {
  TestApp();
  QWidget client;
  client.resize(640, 480);
  TCursorPublisher publisher(&client);
  EXPECT_TRUE(client.hasMouseTracking());
  std::vector<int> heard;
  publisher.SetListener([&](int x) { heard.push_back(x); });
  MoveMouse(&client, QPointF(302.0, 100.0));
  EXPECT_EQ(publisher.ClientX(), 302);
  // Fractions go toward minus infinity; left of the window is negative.
  MoveMouse(&client, QPointF(-0.5, 10.0));
  EXPECT_EQ(publisher.ClientX(), -1);
  EXPECT_EQ(heard, (std::vector<int>{302, -1}));
}

TEST(CursorPublisherTest, EachFrameReadsTheCursorInClientCoordinates) {
  TestApp();
  QWidget client;
  client.setGeometry(152, 160, 640, 480);
  TCursorPublisher publisher(&client);
  QCursor::setPos(client.mapToGlobal(QPoint(0, 0)) + QPoint(417, 20));
  publisher.PublishFromCursor();
  EXPECT_EQ(publisher.ClientX(), 417);
  QCursor::setPos(client.mapToGlobal(QPoint(0, 0)) + QPoint(900, 20));  // outside, to the right
  publisher.PublishFromCursor();
  EXPECT_EQ(publisher.ClientX(), 900);
}

TEST(CursorPublisherTest, AnotherThreadReadsWhatWasPublished) {
  TestApp();
  QWidget client;
  TCursorPublisher publisher(&client);
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!stop.load()) {
      const int x = publisher.ClientX();
      if (x != 0 && x != 123 && x != 456) bad.fetch_add(1);
    }
  });
  for (int i = 0; i < 1000; ++i) publisher.Publish(i % 2 == 0 ? 123 : 456);
  stop = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(publisher.ClientX(), 456);
}

}  // namespace
