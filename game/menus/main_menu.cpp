#include "game/menus/main_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <cstdio>

#include "game/app/tr.h"
#include "game/core/option_values.h"
#include <stdexcept>

namespace {

constexpr const char* kDefaultValueCaption = kDefaultValueText;

QString RainSpeedHint(const QString& caption) {
  if (caption == kDefaultValueCaption) return QStringLiteral("通常の速さで雨が降ってくるよ。");
  return QStringLiteral("通常の") + caption + QStringLiteral("倍の速さで雨が降ってくるよ。");
}

QString PlaySpeedHint(const QString& caption) {
  if (caption == kDefaultValueCaption) return QStringLiteral("曲を通常の速さで再生するよ。");
  return QStringLiteral("曲を通常の") + caption + QStringLiteral("倍の速さで再生するよ。");
}

QString BarLengthHint(const QString& caption) {
  if (caption == kDefaultValueCaption) return QStringLiteral("バーの長さが通常になるよ。");
  if (caption == QStringLiteral("∞")) return QStringLiteral("バーの長さが無限大になるよ。");
  return QStringLiteral("バーの長さが通常の") + caption + QStringLiteral("倍になるよ。");
}

// The drum channel carries a note in its caption; every other channel item
// reads "CH #nn".
constexpr int kDrumChannel = 10;

}  // namespace

TMainMenu::TMainMenu(QMenuBar* bar) : m_bar(bar) {
  BuildFileMenu(bar);
  BuildPlayMenu(bar);
  BuildOptionMenu(bar);
  m_designBuilt = true;
  BuildExtensionMenus(bar);
  BuildUnlockTable();
  ApplyVisibility(0);
  ApplyPlayingState(false);
}

void TMainMenu::BuildFileMenu(QMenuBar* bar) {
  QMenu* file1 = AddSubmenu(bar, "File1", QStringLiteral("ファイル(&F)"));
  AddCommand(file1, "Open", QStringLiteral("MIDIファイルを開く(&O)..."),
             QStringLiteral("雨として降ってくる曲を選択できるよ。"));
  AddCommand(file1, "Exit1", QStringLiteral("終了(&X)"), QStringLiteral("えっ、帰るの？"));
}

void TMainMenu::BuildPlayMenu(QMenuBar* bar) {
  QMenu* p1 = AddSubmenu(bar, "P1", QStringLiteral("再生(&P)"));
  AddCommand(p1, "Play", QStringLiteral("再生(&P)"), QStringLiteral("ゲームを始めるよ。"));
  AddCommand(p1, "Stop", QStringLiteral("停止(&S)"), QStringLiteral("ゲームを中断するよ。"));
}

void TMainMenu::BuildOptionMenu(QMenuBar* bar) {
  QMenu* option = AddSubmenu(bar, "Option", QStringLiteral("オプション(&O)"));
  QMenu* n1 = AddSubmenu(option, "N1", QStringLiteral("ルフナボイス"),
                         QStringLiteral("私の声のON/OFFを変更できるよ。できればOFFにしてほしくないけど。"));
  QActionGroup* voice = NewRadioGroup();
  AddRadio(n1, voice, "VoiceON", QStringLiteral("ON"), QStringLiteral("私の声の再生をONにするよ。"), true);
  AddRadio(n1, voice, "VoiceOFF", QStringLiteral("OFF"), QStringLiteral("私の声の再生をOFFにするよ。"), false);

  QMenu* rainSpeed =
      AddSubmenu(option, "rainspeedOption", QStringLiteral("雨の落下スピード"), QStringLiteral("HI-SPEEDオプションだよ。"));
  AddValueGroup(rainSpeed, kRainSpeedValues, RainSpeedHint, m_rainSpeedItems);

  QMenu* rainEffect = AddSubmenu(option, "raineffectOption", QStringLiteral("雨の表示方法"),
                                 QStringLiteral("HIDDEN/SUDDENオプションだよ。"));
  AddCheck(rainEffect, "Hidden", QStringLiteral("HIDDEN"), QStringLiteral("雨が途中から消えるよ。"), false);
  AddCheck(rainEffect, "Sudden", QStringLiteral("SUDDEN"), QStringLiteral("雨が途中まで現れないよ。"), false);

  QMenu* rainPosition = AddSubmenu(option, "rainpositionOption", QStringLiteral("雨の落下位置"),
                                   QStringLiteral("MIRROR/RANDOMオプションだよ。"));
  QActionGroup* position = NewRadioGroup();
  AddRadio(rainPosition, position, "NORMAL", QStringLiteral("NORMAL"), QStringLiteral("雨が通常の位置に降ってくるよ。"),
           true);
  AddRadio(rainPosition, position, "MIRROR", QStringLiteral("MIRROR"),
           QStringLiteral("雨が降ってくる位置が左右逆になるよ。"), false);
  AddRadio(rainPosition, position, "NRANDOM", QStringLiteral("RANDOM"),
           QStringLiteral("雨が降ってくる位置がランダムになるよ。"), false);
  AddRadio(rainPosition, position, "SRANDOM", QStringLiteral("S-RANDOM"),
           QStringLiteral("雨が降ってくる位置が各水滴ごとにランダムになるよ。"), false);

  BuildChannelMenu(option);
  QMenu* playSpeed =
      AddSubmenu(option, "playspeedOption", QStringLiteral("音楽の再生スピード"), QStringLiteral("曲の速さを変更できるよ。"));
  AddValueGroup(playSpeed, kPlaySpeedValues, PlaySpeedHint, m_playSpeedItems);

  QMenu* barLength = AddSubmenu(option, "barlengthOption", QStringLiteral("バーの長さ"),
                                QStringLiteral("バーの長さを変更できるよ。ゲームバランスが壊れてしまうよ。"));
  AddValueGroup(barLength, kBarLengthValues, BarLengthHint, m_barLengthItems);
}

void TMainMenu::AddValueGroup(QMenu* parent, std::span<const TOptionValue> values,
                              QString (*hint)(const QString& caption), std::vector<QAction*>& items) {
  QActionGroup* group = NewRadioGroup();
  for (const TOptionValue& v : values) {
    const QString caption = QString::fromUtf8(v.Caption);
    items.push_back(AddRadio(parent, group, v.Item, caption, hint(caption), caption == kDefaultValueCaption));
  }
}

void TMainMenu::BuildChannelMenu(QMenu* option) {
  QMenu* playCh = AddSubmenu(option, "playchOption", QStringLiteral("プレイするチャンネル"),
                             QStringLiteral("雨として降ってくるかどうかをチャンネルごとに決められるよ。"));
  AddCommand(playCh, "ALLON", QStringLiteral("ALL ON"),
             QStringLiteral("全てのチャンネルの音が雨として降ってくるようになるよ。"));
  AddCommand(playCh, "ALLOFF", QStringLiteral("ALL OFF"),
             QStringLiteral("全てのチャンネルの音が雨として降ってこないようになるよ。"));
  Register(playCh->addSeparator(), "N2");
  for (int ch = 1; ch <= kChannelCount; ++ch) {
    char name[16];
    char digits[4];
    std::snprintf(name, sizeof name, "playch%02d", ch);
    std::snprintf(digits, sizeof digits, "%02d", ch);
    QString caption = QStringLiteral("CH #") + QString::fromLatin1(digits);
    if (ch == kDrumChannel) caption += QStringLiteral(" （ドラムチャンネル）");
    const QString hint =
        QStringLiteral("チャンネル") + QString::fromLatin1(digits) + QStringLiteral("の音が雨として降ってくるよ。");
    m_channelItems.push_back(AddCheck(playCh, name, caption, hint, true));
  }
}

void TMainMenu::BuildExtensionMenus(QMenuBar* bar) {
  m_soundMenu = AddSubmenu(bar, "Sound", QStringLiteral("サウンド(&S)"));
  m_viewMenu = AddSubmenu(bar, "View", QStringLiteral("表示(&V)"));
}

void TMainMenu::BuildUnlockTable() {
  m_open = Item("Open");
  m_option = Item("Option");
  m_stop = Item("Stop");
  for (const TUnlock& unlock : kUnlocks) m_unlockables.push_back({Item(unlock.MenuItem), unlock.PlayCount});
}

namespace {

// The source (Japanese) texts of an item, kept for Retranslate.
constexpr char kSourceCaption[] = "pluvSourceCaption";
constexpr char kSourceHint[] = "pluvSourceHint";

void SetCaption(QAction* action, const QString& caption) {
  action->setProperty(kSourceCaption, caption);
  action->setText(Tr(caption));
}

void SetHint(QAction* action, const QString& hint) {
  action->setProperty(kSourceHint, hint);
  action->setStatusTip(Tr(hint));
}

}  // namespace

QMenu* TMainMenu::AddSubmenu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  SetCaption(menu->menuAction(), caption);
  menu->setObjectName(QString::fromLatin1(name));
  Register(menu->menuAction(), name);
  return menu;
}

QMenu* TMainMenu::AddSubmenu(QMenu* parent, const char* name, const QString& caption, const QString& hint) {
  QMenu* menu = parent->addMenu(caption);
  menu->setObjectName(QString::fromLatin1(name));
  SetCaption(menu->menuAction(), caption);
  SetHint(menu->menuAction(), hint);
  Register(menu->menuAction(), name);
  return menu;
}

QAction* TMainMenu::AddCommand(QMenu* parent, const char* name, const QString& caption, const QString& hint) {
  QAction* action = parent->addAction(caption);
  SetCaption(action, caption);
  SetHint(action, hint);
  Register(action, name);
  return action;
}

QAction* TMainMenu::AddRadio(QMenu* parent, QActionGroup* group, const char* name, const QString& caption,
                             const QString& hint, bool checked) {
  QAction* action = AddCommand(parent, name, caption, hint);
  action->setCheckable(true);
  action->setActionGroup(group);
  action->setChecked(checked);
  return action;
}

QAction* TMainMenu::AddCheck(QMenu* parent, const char* name, const QString& caption, const QString& hint,
                             bool checked) {
  QAction* action = AddCommand(parent, name, caption, hint);
  action->setCheckable(true);
  action->setChecked(checked);
  return action;
}

QAction* TMainMenu::AddNameRadio(QMenu* parent, QActionGroup* group, const char* name, const QString& caption,
                                 const QString& hint, bool checked) {
  QAction* action = parent->addAction(caption);
  SetHint(action, hint);
  Register(action, name);
  action->setCheckable(true);
  action->setActionGroup(group);
  action->setChecked(checked);
  return action;
}

bool TMainMenu::TranslatedCaption(const QAction* item) { return item->property(kSourceCaption).isValid(); }

void TMainMenu::Register(QAction* action, const char* name) {
  action->setObjectName(QString::fromLatin1(name));
  m_items.emplace(name, action);
  (m_designBuilt ? m_extensionItems : m_allItems).push_back(action);
}

QActionGroup* TMainMenu::NewRadioGroup() {
  // Exclusive: choosing the checked item keeps it checked, choosing another
  // moves the mark. Qt still lets the program uncheck the checked item, which
  // is how a settings value that matches no item leaves the group empty.
  auto* group = new QActionGroup(m_bar);
  group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  return group;
}

QAction* TMainMenu::Item(std::string_view name) const {
  const auto it = m_items.find(std::string(name));
  if (it == m_items.end()) throw std::out_of_range("no menu item named " + std::string(name));
  return it->second;
}

bool TMainMenu::Checked(std::string_view name) const { return Item(name)->isChecked(); }

void TMainMenu::SetChecked(std::string_view name, bool checked) { Item(name)->setChecked(checked); }

QAction* TMainMenu::CheckedItem(const std::vector<QAction*>& items) {
  for (QAction* item : items) {
    if (item->isChecked()) return item;
  }
  return nullptr;
}

void TMainMenu::ApplyVisibility(int playCount) {
  for (const TUnlockable& u : m_unlockables) u.Item->setVisible(playCount >= u.PlayCount);
  ShowFilledMenus();
}

void TMainMenu::ShowFilledMenus() {
  for (QMenu* menu : {m_soundMenu, m_viewMenu}) menu->menuAction()->setVisible(!menu->actions().isEmpty());
}

void TMainMenu::Retranslate() {
  std::vector<QAction*> items = m_allItems;
  items.insert(items.end(), m_extensionItems.begin(), m_extensionItems.end());
  for (QAction* item : items) {
    const QVariant caption = item->property(kSourceCaption);
    if (caption.isValid()) item->setText(Tr(caption.toString()));
    const QVariant hint = item->property(kSourceHint);
    if (hint.isValid()) item->setStatusTip(Tr(hint.toString()));
  }
}

void TMainMenu::AddIdleOnly(QAction* item) {
  m_idleOnly.push_back(item);
  item->setEnabled(m_option->isEnabled());
}

bool TMainMenu::OpenVisible() const { return m_open->isVisible(); }

void TMainMenu::ApplyPlayingState(bool playing) {
  m_option->setEnabled(!playing);
  m_stop->setEnabled(playing);
  for (QAction* item : m_idleOnly) item->setEnabled(!playing);
}
