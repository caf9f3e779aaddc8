// Publishes the mouse cursor's x in the drawing's client coordinates for the
// sequencer's judgement, which runs on the timer thread and must not ask the
// window system: updated by mouse moves over the drawing (mouse tracking on)
// and by the frame loop once per frame (the cursor may be outside the
// window). Publish on the main thread; ClientX from any thread. A magnified
// window maps its points back to play-field pixels first.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>

class QWidget;

class TCursorPublisher : public QObject {
 public:
  // client is the drawing; the publisher watches its mouse moves.
  explicit TCursorPublisher(QWidget* client);
  ~TCursorPublisher() override;

  // Reads the cursor's screen position, converts it to the client's
  // coordinates and publishes x.
  void PublishFromCursor();
  void Publish(int clientX);
  int ClientX() const { return m_clientX.load(std::memory_order_relaxed); }

  // Called with every published x as well (the application object passes it
  // on); main thread.
  void SetListener(std::function<void(int)> listener) { m_listener = std::move(listener); }
  // Turns an x of the client (fractions of a pixel included) into the x
  // published; whole pixels toward minus infinity when none is set.
  void SetToPlayField(std::function<int(double)> toPlayField) { m_toPlayField = std::move(toPlayField); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_client;
  std::atomic<int> m_clientX{0};
  std::function<void(int)> m_listener;
  std::function<int(double)> m_toPlayField;

  int ToPlayField(double clientX) const;
};
