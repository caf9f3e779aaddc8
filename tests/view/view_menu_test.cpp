// The View menu on a real window: the items and their hints, x2 doubling the
// window with the cursor mapped back, sizes that do not fit, full screen
// with F11 and black bars, crisp or smooth magnification, the settings.
#include "game/view/view_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QStyleOption>
#include <QTest>

#include <cstdint>

#include "game/view/draw_area.h"
#include "game/view/menu_item_style.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/view/view_geometry.h"
#include "game/view/window_view.h"
#include "platform/ui/owner_window.h"
#include "window_fixture.h"

namespace {

using ViewMenuTest = WindowTest;

// A 640 x 480 frame of vertical stripes one pixel wide, red and blue.
std::vector<uint32_t> StripeFrame() {
  std::vector<uint32_t> pixels(640 * 480);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) pixels[static_cast<size_t>(y) * 640 + x] = x % 2 == 0 ? 0xFFFF0000u : 0xFF0000FFu;
  }
  return pixels;
}

int PublishedXAt(TForm1& form, double areaX) {
  QMouseEvent move(QEvent::MouseMove, QPointF(areaX, 30), QPointF(areaX, 30), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(form.DrawArea(), &move);
  return Application().CursorClientX();
}

TEST_F(ViewMenuTest, TheMenuOffersTheSizesFullScreenAndSmoothingWithHintsAndStartsAsDesigned) {
  Create();
  QMenu* view = form->MainMenu1().ViewMenu();
  ASSERT_TRUE(view->menuAction()->isVisible());
  QStringList captions;
  for (QAction* a : view->actions()) {
    if (a->isSeparator()) continue;
    captions << a->text();
    EXPECT_FALSE(a->statusTip().isEmpty()) << a->text().toStdString();
  }
  // The window items come first; the language submenu follows them.
  EXPECT_EQ(captions, (QStringList{"ウィンドウ ×1", "ウィンドウ ×2", "ウィンドウ ×3", "画面に合わせる", "フルスクリーン",
                                   "なめらかに拡大", "言語 / Language"}));
  EXPECT_TRUE(form->MainMenu1().Checked("windowscale1"));
  EXPECT_FALSE(form->MainMenu1().Checked("FullScreen"));
  EXPECT_FALSE(form->MainMenu1().Checked("SmoothScaling"));
  EXPECT_EQ(form->MainMenu1().Item("FullScreen")->shortcut(), QKeySequence(Qt::Key_F11));
  // x3 needs 1440 rows: greyed out on a 1080-row screen.
  EXPECT_FALSE(form->MainMenu1().Item("windowscale3")->isEnabled());
  // Usable during a game too.
  form->MainMenu1().ApplyPlayingState(true);
  EXPECT_TRUE(view->menuAction()->isEnabled());
  EXPECT_TRUE(form->MainMenu1().Item("windowscale2")->isEnabled());
  // The designed window, and nothing new in a settings file of a player who
  // never touched the menu.
  EXPECT_EQ(form->DrawArea()->size(), QSize(640, 480));
  form->show();
  form->close();
  EXPECT_EQ(Settings().find("ウィンドウ倍率"), std::string::npos) << Settings();
  EXPECT_EQ(Settings().find("フルスクリーン"), std::string::npos);
}

TEST_F(ViewMenuTest, X2DoublesTheWindowAndThePointerMapsBackToPlayFieldPixels) {
  Create();
  ShowAndActivate();
  const int x1Height = form->height();
  const int x1MenuBar = form->menuBar()->height();
  form->MainMenu1().Item("windowscale2")->trigger();
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->MainMenu1().Checked("windowscale2"));
  EXPECT_EQ(form->DrawArea()->size(), QSize(1280, 960));
  EXPECT_EQ(form->StatusBar1()->geometry(), QRect(0, 922, 1280, 38));
  // The menu bar grows with the picture; the window is drawing plus bar.
  EXPECT_GT(form->menuBar()->height(), x1MenuBar * 3 / 2);
  EXPECT_EQ(form->height(), form->menuBar()->height() + 960);
  EXPECT_GT(form->height(), 2 * x1Height - 2 * x1MenuBar);
  // The whole window stays on the screen.
  EXPECT_TRUE(form->screen()->availableGeometry().contains(form->frameGeometry()));
  // The device still draws 640 x 480.
  EXPECT_EQ(form->OwnerWindow().ClientWidth(), 640);
  EXPECT_EQ(form->OwnerWindow().ClientHeight(), 480);
  EXPECT_EQ(PublishedXAt(*form, 601), 300);
  EXPECT_EQ(PublishedXAt(*form, 1279.5), 639);
  EXPECT_EQ(PublishedXAt(*form, 0), 0);
  EXPECT_LT(PublishedXAt(*form, -3), 0);
  EXPECT_NE(Settings().find("ウィンドウ倍率=2\r\n"), std::string::npos) << Settings();

  // Crisp: every frame pixel becomes a 2 x 2 block of its own colour.
  const std::vector<uint32_t> frame = StripeFrame();
  form->DrawArea()->PresentFrame(frame.data(), 640, 480, 640 * 4);
  const QImage crisp = form->DrawArea()->grab(QRect(0, 0, 1280, 900)).toImage();
  for (int x = 0; x < 1280; ++x) {
    ASSERT_EQ(crisp.pixel(x, 101), (x / 2) % 2 == 0 ? 0xFFFF0000u : 0xFF0000FFu) << x;
  }
  // Smooth: the stripes blend into purple somewhere in each pair.
  form->MainMenu1().Item("SmoothScaling")->trigger();
  EXPECT_TRUE(form->DrawArea()->Smooth());
  const QImage smooth = form->DrawArea()->grab(QRect(0, 0, 1280, 900)).toImage();
  int blended = 0;
  for (int x = 2; x < 1278; ++x) {
    const QColor c = smooth.pixelColor(x, 101);
    blended += c.red() > 40 && c.blue() > 40;
  }
  EXPECT_GT(blended, 600);
  EXPECT_NE(Settings().find("なめらかに拡大=1\r\n"), std::string::npos);

  // Back to x1: the designed window again.
  form->MainMenu1().Item("windowscale1")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(form->DrawArea()->size(), QSize(640, 480));
  EXPECT_EQ(form->StatusBar1()->geometry(), QRect(0, 461, 640, 19));
  EXPECT_EQ(form->height(), x1Height);
  EXPECT_EQ(PublishedXAt(*form, 301), 301);
}

TEST_F(ViewMenuTest, StoredSizesAreReadBackAndOnesThatDoNotFitFallBack) {
  WriteSettings("[拡張設定]\r\nウィンドウ倍率=3\r\nなめらかに拡大=1\r\n");
  Create();
  EXPECT_TRUE(form->MainMenu1().Checked("windowscale2"));
  EXPECT_EQ(form->DrawArea()->size(), QSize(1280, 960));
  // The window has its size before it is first shown.
  EXPECT_EQ(form->width(), 1280);
  EXPECT_EQ(form->height(), form->menuBar()->sizeHint().height() + 960);
  EXPECT_TRUE(form->MainMenu1().Checked("SmoothScaling"));
  // The player's choice stays in the file for a larger screen.
  form->show();
  form->close();
  EXPECT_NE(Settings().find("ウィンドウ倍率=3\r\n"), std::string::npos) << Settings();
  form.reset();

  WriteSettings("[拡張設定]\r\nウィンドウ倍率=fit\r\n");
  Create();
  EXPECT_TRUE(form->MainMenu1().Checked("windowscalefit"));
  const QSize fitted = form->DrawArea()->size();
  EXPECT_EQ(fitted.width() * 3, fitted.height() * 4);
  EXPECT_GT(fitted.height(), 960);
  EXPECT_LE(fitted.height() + form->menuBar()->sizeHint().height(), 1080);
  form.reset();

  WriteSettings("[拡張設定]\r\nウィンドウ倍率=huge\r\nフルスクリーン=yes\r\n");
  Create();
  EXPECT_TRUE(form->MainMenu1().Checked("windowscale1"));
  EXPECT_FALSE(form->MainMenu1().Checked("FullScreen"));
  EXPECT_EQ(form->DrawArea()->size(), QSize(640, 480));
}

TEST_F(ViewMenuTest, F11GoesFullScreenWithBlackBarsAndBack) {
  WriteSettings("[拡張設定]\r\nウィンドウ倍率=2\r\n");
  Create();
  ShowAndActivate();
  ASSERT_TRUE(form->isActiveWindow());
  const QRect windowed = form->geometry();
  QTest::keyClick(form.get(), Qt::Key_F11);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form->MainMenu1().Checked("FullScreen"));
  EXPECT_TRUE(form->windowState().testFlag(Qt::WindowFullScreen));
  EXPECT_EQ(form->geometry(), QRect(0, 0, 1920, 1080));
  TDrawArea* area = form->DrawArea();
  EXPECT_EQ(area->width(), 1920);
  const QRect picture = area->PictureRect();
  EXPECT_EQ(picture.height(), area->height());
  EXPECT_EQ(picture.width(), picture.height() * 4 / 3);
  EXPECT_EQ(picture.left(), (1920 - picture.width()) / 2);
  EXPECT_EQ(form->StatusBar1()->geometry().left(), picture.left());
  EXPECT_EQ(form->StatusBar1()->geometry().width(), picture.width());
  EXPECT_EQ(form->StatusBar1()->geometry().bottom(), picture.bottom());
  EXPECT_NE(Settings().find("フルスクリーン=1\r\n"), std::string::npos);
  // Bars black, picture shown.
  const std::vector<uint32_t> frame = StripeFrame();
  area->PresentFrame(frame.data(), 640, 480, 640 * 4);
  const QImage shot = area->grab().toImage();
  EXPECT_EQ(shot.pixelColor(picture.left() / 2, 300), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(1919 - picture.left() / 2, 300), QColor(Qt::black));
  EXPECT_NE(shot.pixelColor(picture.center().x(), 300), QColor(Qt::black));
  // The pointer over a bar is beside the play field.
  EXPECT_LT(PublishedXAt(*form, picture.left() - 5), 0);
  EXPECT_GE(PublishedXAt(*form, picture.right() + 5), 640);
  EXPECT_EQ(PublishedXAt(*form, picture.left() + picture.width() / 2.0), 320);

  QTest::keyClick(form.get(), Qt::Key_F11);
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->MainMenu1().Checked("FullScreen"));
  EXPECT_FALSE(form->windowState().testFlag(Qt::WindowFullScreen));
  EXPECT_EQ(area->size(), QSize(1280, 960));
  EXPECT_EQ(form->geometry(), windowed);
  EXPECT_NE(Settings().find("フルスクリーン=0\r\n"), std::string::npos);
}

TEST_F(ViewMenuTest, TheStatusBarAtX2IsTheX1BarDoubled) {
  Create();
  form->show();
  form->StatusBar1()->SetPanelText(kGoodPanel, QStringLiteral("Good 00123"));
  const QImage x1 = form->StatusBar1()->grab().toImage();
  form->MainMenu1().Item("windowscale2")->trigger();
  const QImage x2 = form->StatusBar1()->grab().toImage();
  ASSERT_EQ(x2.size(), x1.size() * 2);
  // Compare the bars at x1 resolution: each 2 x 2 block against its pixel.
  int close = 0;
  for (int y = 0; y < x1.height(); ++y) {
    for (int x = 0; x < x1.width(); ++x) {
      int sum = 0;
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) sum += qGray(x2.pixel(2 * x + dx, 2 * y + dy));
      }
      close += std::abs(sum / 4 - qGray(x1.pixel(x, y))) < 48;
    }
  }
  EXPECT_GT(close, x1.width() * x1.height() * 9 / 10);
}

}  // namespace

namespace {

// Paints what the window was asked to paint, and nothing else (the game's
// own frames come from its idle loop, which this does not run).
void PaintAsked(TForm1& form) { QCoreApplication::sendPostedEvents(&form, QEvent::UpdateRequest); }

// The picture shown in the window itself (the backing store Qt hands over).
QImage Shown(TForm1& form) {
  const QRect picture = form.DrawArea()->PictureRect().translated(form.DrawArea()->mapTo(&form, QPoint(0, 0)));
  return form.screen()->grabWindow(form.winId(), picture.x(), picture.y(), picture.width(), picture.height()).toImage();
}

// A drop moves and the bar appears between two frames: only what changed is
// drawn again, and the window shows exactly what a whole repaint of the new
// frame shows, crisp and smooth, at the fractional scale of full screen.
TEST_F(ViewMenuTest, AFrameThatChangesInPlacesShowsTheSameAsAWholeRepaint) {
  Create();
  ShowAndActivate();
  QTest::keyClick(form.get(), Qt::Key_F11);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form->MainMenu1().Checked("FullScreen"));
  TDrawArea* area = form->DrawArea();
  for (const bool smooth : {false, true}) {
    if (area->Smooth() != smooth) form->MainMenu1().Item("SmoothScaling")->trigger();
    std::vector<uint32_t> frame = StripeFrame();
    area->PresentFrame(frame.data(), 640, 480, 640 * 4);
    PaintAsked(*form);
    // The drop: a 12 x 12 square one row further down and a lane further right.
    for (int y = 100; y < 113; ++y) {
      for (int x = 300; x < 313; ++x) frame[static_cast<size_t>(y) * 640 + x] = 0xFFFFFFFFu;
    }
    for (int x = 0; x < 640; ++x) frame[static_cast<size_t>(100) * 640 + x] ^= 0x00FF00u;
    for (int y = 440; y < 448; ++y) {
      for (int x = 200; x < 280; ++x) frame[static_cast<size_t>(y) * 640 + x] = 0xFF00FF00u;
    }
    frame[0] = 0xFF123456u;
    area->PresentFrame(frame.data(), 640, 480, 640 * 4);
    PaintAsked(*form);
    const QImage partly = Shown(*form);
    area->repaint();
    const QImage whole = Shown(*form);
    ASSERT_EQ(partly.size(), whole.size());
    EXPECT_TRUE(partly == whole) << (smooth ? "smooth" : "crisp");
    // And the new frame is what is shown: the drop is white there.
    const double scale = PictureScale(area->PictureRect());
    EXPECT_EQ(whole.pixelColor(static_cast<int>(306.5 * scale), static_cast<int>(106.5 * scale)), QColor(Qt::white));
  }
}

}  // namespace

namespace {

// A paint device that keeps the texts drawn on it, as they are drawn
// (shortened with "…" where the style found no room for the whole text).
class TTextRecorder : public QPaintEngine {
 public:
  TTextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawPath(const QPainterPath&) override {}
  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
  Type type() const override { return QPaintEngine::User; }
  QStringList texts;
};

class TRecordingDevice : public QPaintDevice {
 public:
  QPaintEngine* paintEngine() const override { return &m_engine; }
  const QStringList& Texts() const { return m_engine.texts; }

 protected:
  int metric(PaintDeviceMetric metric) const override {
    switch (metric) {
      case PdmWidth:
      case PdmHeight:
        return 4000;
      case PdmDepth:
        return 32;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return 96;
    }
  }

 private:
  mutable TTextRecorder m_engine;
};

// At x2 every item of every menu is drawn whole: the font is twice as large
// and so are the margins the style leaves around the text.
TEST_F(ViewMenuTest, MenuItemsAtX2AreDrawnWhole) {
  Create();
  ShowAndActivate();
  form->MainMenu1().Item("windowscale2")->trigger();
  QCoreApplication::processEvents();
  // A text is drawn in runs of one script each: the runs of all items, in order.
  QString drawn;
  for (QMenu* menu : form->menuBar()->findChildren<QMenu*>()) {
    menu->ensurePolished();
    menu->resize(menu->sizeHint());
    TRecordingDevice device;
    menu->render(&device);
    drawn += device.Texts().join(QString());
  }
  EXPECT_TRUE(drawn.contains(QStringLiteral("非アクティブ時に一時停止"))) << drawn.toStdString();
  EXPECT_TRUE(drawn.contains(QStringLiteral("終了(X)"))) << drawn.toStdString();
  EXPECT_FALSE(drawn.contains(QChar(0x2026))) << drawn.toStdString();
}

// A fresh settings file whose first change is one of the added settings
// still starts with the designed section.
TEST_F(ViewMenuTest, AFreshSettingsFileStartsWithTheDesignedSection) {
  Create();
  form->MainMenu1().Item("windowscale2")->trigger();
  const std::string settings = Settings();
  EXPECT_EQ(settings.rfind("[システムデータ]\r\n", 0), 0u) << settings;
  EXPECT_NE(settings.find("[拡張設定]\r\nウィンドウ倍率=2\r\n"), std::string::npos) << settings;
}

// Fit moves the window to the top of the screen to make room; x1 again puts
// it back where the player had it.
TEST_F(ViewMenuTest, X1AfterFitReturnsTheWindowToItsPlace) {
  Create();
  ShowAndActivate();
  form->move(300, 200);
  QCoreApplication::processEvents();
  const QPoint place = form->frameGeometry().topLeft();
  form->MainMenu1().Item("windowscalefit")->trigger();
  QCoreApplication::processEvents();
  EXPECT_NE(form->frameGeometry().topLeft(), place);
  form->MainMenu1().Item("windowscale1")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(form->frameGeometry().topLeft(), place);
}

// A submenu's arrow grows with the menu: at x2 it covers about four times
// the pixels of the x1 arrow.
TEST_F(ViewMenuTest, ASubmenuArrowIsMagnifiedWithItsMenu) {
  Create();
  QMenu* menu = form->MainMenu1().ViewMenu();
  const auto darkPixels = [menu](double scale) {
    TMenuItemStyle style;
    style.SetScale(scale);
    QImage image(96, 96, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOption option;
    option.initFrom(menu);
    option.rect = QRect(40, 40, 16, 16);
    style.drawPrimitive(QStyle::PE_IndicatorArrowRight, &option, &painter, menu);
    painter.end();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 160;
    }
    return dark;
  };
  const int x1 = darkPixels(1.0);
  EXPECT_GT(x1, 0);
  EXPECT_GT(darkPixels(2.0), 3 * x1);
}

}  // namespace
