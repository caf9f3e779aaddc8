#include "game/view/view_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>

#include <string>

#include "game/view/draw_area.h"
#include "game/core/extended_settings.h"
#include "game/menus/main_menu.h"
#include "game/view/window_view.h"

namespace {

struct TScaleItem {
  TWindowScale Scale;
  const char* Name;
  const char* Caption;
  const char* Hint;
};

constexpr TScaleItem kScaleItems[] = {
    {TWindowScale::X1, "windowscale1", "ウィンドウ ×1", "いつもの大きさのウィンドウで遊ぶよ。"},
    {TWindowScale::X2, "windowscale2", "ウィンドウ ×2", "ウィンドウを2倍の大きさにするよ。"},
    {TWindowScale::X3, "windowscale3", "ウィンドウ ×3", "ウィンドウを3倍の大きさにするよ。大きな画面向けだね。"},
    {TWindowScale::Fit, "windowscalefit", "画面に合わせる", "画面に収まるいちばん大きなウィンドウにするよ。"},
};

int IndexOf(TWindowScale scale) { return static_cast<int>(scale); }

}  // namespace

TViewMenu::TViewMenu(TMainMenu& menu, TExtendedSettings& settings, QMainWindow* window, TDrawArea* area)
    : m_menu(menu), m_settings(settings), m_view(std::make_unique<TWindowView>(window, area)) {
  QMenu* view = menu.ViewMenu();
  QActionGroup* group = menu.NewRadioGroup();
  for (const TScaleItem& item : kScaleItems) {
    QAction* action = menu.AddRadio(view, group, item.Name, QString::fromUtf8(item.Caption),
                                    QString::fromUtf8(item.Hint), item.Scale == TWindowScale::X1);
    m_scaleItems[IndexOf(item.Scale)] = action;
    const TWindowScale scale = item.Scale;
    QObject::connect(action, &QAction::triggered, action, [this, scale] { ChooseScale(scale); });
  }
  menu.Register(view->addSeparator(), "N3");
  m_fullScreen = menu.AddCheck(view, "FullScreen", QStringLiteral("フルスクリーン"),
                               QStringLiteral("画面いっぱいで遊ぶよ。F11でも切り替えられるよ。"), false);
  m_fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
  QObject::connect(m_fullScreen, &QAction::triggered, m_fullScreen, [this](bool on) { ChooseFullScreen(on); });
  m_smooth = menu.AddCheck(view, "SmoothScaling", QStringLiteral("なめらかに拡大"),
                           QStringLiteral("大きくした絵をなめらかにするよ。OFFならくっきりしたドットのままだよ。"),
                           false);
  QObject::connect(m_smooth, &QAction::triggered, m_smooth, [this](bool on) { ChooseSmooth(on); });
  menu.ShowFilledMenus();

  // A value that is not one of the sizes leaves the designed x1.
  const TWindowScale scale =
      ParseWindowScale(settings.String(kWindowScaleSetting)).value_or(TWindowScale::X1);
  m_view->SetSmooth(settings.Bool(kSmoothScalingSetting));
  m_view->SetScale(scale);
  if (settings.Bool(kFullScreenSetting)) m_view->SetFullScreen(true);
  ShowState();
}

TViewMenu::~TViewMenu() = default;

QAction* TViewMenu::ScaleItem(TWindowScale scale) const { return m_scaleItems[IndexOf(scale)]; }

void TViewMenu::ChooseScale(TWindowScale scale) {
  m_settings.SetString(kWindowScaleKey, WindowScaleValue(scale));
  // Choosing a size leaves full screen for that window.
  if (m_view->FullScreen()) {
    m_view->SetFullScreen(false);
    m_settings.SetBool(kFullScreenKey, false);
  }
  m_view->SetScale(scale);
  ShowState();
}

void TViewMenu::ChooseFullScreen(bool on) {
  m_settings.SetBool(kFullScreenKey, on);
  m_view->SetFullScreen(on);
  ShowState();
}

void TViewMenu::ChooseSmooth(bool on) {
  m_settings.SetBool(kSmoothScalingKey, on);
  m_view->SetSmooth(on);
  ShowState();
}

void TViewMenu::WindowStateChanged(bool fullScreen) {
  if (fullScreen == m_view->FullScreen()) return;
  m_settings.SetBool(kFullScreenKey, fullScreen);
  m_view->SetFullScreen(fullScreen);
  ShowState();
}

void TViewMenu::ScreenChanged() {
  m_view->Apply();
  ShowState();
}

void TViewMenu::ShowState() {
  // The size shown is checked (a size the screen cannot hold fell back), and
  // the sizes the screen cannot hold are greyed out.
  const TWindowScale shown = m_view->EffectiveScale();
  for (const TScaleItem& item : kScaleItems) {
    QAction* action = m_scaleItems[IndexOf(item.Scale)];
    action->setEnabled(m_view->Fits(item.Scale));
    action->setChecked(item.Scale == shown);
  }
  m_fullScreen->setChecked(m_view->FullScreen());
  m_smooth->setChecked(m_view->Area()->Smooth());
}
