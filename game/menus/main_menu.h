// MainMenu1: the menu bar of the main window with every item under its design
// name (QAction objectName), caption, hint (status tip), radio groups, check
// items and defaults, plus the rules that show, hide, enable and disable them.
// Main thread only. The menu bar owns every action; TMainMenu only looks them up.
#pragma once

#include <QString>

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "game/core/option_values.h"
#include "game/core/system_data.h"
#include "midi/midi_song.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;


inline constexpr int kChannelCount = TMidiSong::kChannelCount;

class TMainMenu {
 public:
  // Builds the whole tree into bar (which must be empty) with the defaults
  // checked and every unlockable part hidden (play count 0).
  explicit TMainMenu(QMenuBar* bar);
  TMainMenu(const TMainMenu&) = delete;
  TMainMenu& operator=(const TMainMenu&) = delete;

  // The item of that design name ("Open", "rainspeed05", "playch10"...);
  // throws std::out_of_range for a name the menu does not have.
  QAction* Item(std::string_view name) const;
  bool Checked(std::string_view name) const;
  // Sets the check mark as the class library does: checking a radio item
  // unchecks the other items of its group; unchecking one leaves the group
  // with no item checked.
  void SetChecked(std::string_view name, bool checked);

  // Value items of the radio groups and the channel items, in menu order.
  const std::vector<QAction*>& RainSpeedItems() const { return m_rainSpeedItems; }
  const std::vector<QAction*>& PlaySpeedItems() const { return m_playSpeedItems; }
  const std::vector<QAction*>& BarLengthItems() const { return m_barLengthItems; }
  const std::vector<QAction*>& ChannelItems() const { return m_channelItems; }
  // The value item of a group that is checked, or nullptr when none is.
  static QAction* CheckedItem(const std::vector<QAction*>& items);

  // Shows the parts unlocked at playCount; files may be dropped on the
  // window exactly when Open is visible.
  void ApplyVisibility(int playCount);
  bool OpenVisible() const;
  // Option enabled exactly when no game runs, Stop exactly while one runs.
  void ApplyPlayingState(bool playing);

  // Every designed item in creation order (menu order, depth first).
  const std::vector<QAction*>& AllItems() const { return m_allItems; }
  // The items added beyond the design (the menus after オプション and new
  // items anywhere), in the order they were added.
  const std::vector<QAction*>& ExtensionItems() const { return m_extensionItems; }

  // Menus beyond the designed three, in this order after オプション: each
  // feature adds its items to them with the Add functions below. A menu with
  // no items stays out of the menu bar.
  QMenu* SoundMenu() const { return m_soundMenu; }
  QMenu* ViewMenu() const { return m_viewMenu; }
  // Items (or submenus) usable only while no game runs, like オプション:
  // ApplyPlayingState enables them with it.
  void AddIdleOnly(QAction* item);

  // Building blocks for the menus; every item gets its design name (the
  // QAction objectName, for Item) and its hint (status tip). Captions and
  // hints are the Japanese source texts.
  QMenu* AddSubmenu(QMenuBar* bar, const char* name, const QString& caption);
  QMenu* AddSubmenu(QMenu* parent, const char* name, const QString& caption, const QString& hint);
  QAction* AddCommand(QMenu* parent, const char* name, const QString& caption, const QString& hint);
  QAction* AddRadio(QMenu* parent, QActionGroup* group, const char* name, const QString& caption,
                    const QString& hint, bool checked);
  QAction* AddCheck(QMenu* parent, const char* name, const QString& caption, const QString& hint,
                    bool checked);
  void Register(QAction* action, const char* name);
  // A radio item whose caption is a name from outside the game (a file, a
  // device): shown as it is in every language; only its hint is translated.
  QAction* AddNameRadio(QMenu* parent, QActionGroup* group, const char* name, const QString& caption,
                        const QString& hint, bool checked);
  // False for items whose caption is such a name.
  static bool TranslatedCaption(const QAction* item);
  // Exclusive radio group owned by the menu bar.
  QActionGroup* NewRadioGroup();
  // Shows each extension menu exactly when it has items.
  void ShowFilledMenus();
  // Applies the installed translation to every caption and hint again (the
  // source texts are kept on the items); called when the language changes.
  void Retranslate();

 private:
  // The designed menus, in menu-bar order, then the menus beyond them and
  // the items that appear with the play count.
  void BuildFileMenu(QMenuBar* bar);
  void BuildPlayMenu(QMenuBar* bar);
  void BuildOptionMenu(QMenuBar* bar);
  void BuildChannelMenu(QMenu* option);
  // The radio items of a group of option values, with their hints.
  void AddValueGroup(QMenu* parent, std::span<const TOptionValue> values, QString (*hint)(const QString& caption),
                     std::vector<QAction*>& items);
  void BuildExtensionMenus(QMenuBar* bar);
  void BuildUnlockTable();

  QMenuBar* m_bar = nullptr;
  QMenu* m_soundMenu = nullptr;
  QMenu* m_viewMenu = nullptr;
  std::vector<QAction*> m_idleOnly;

  // The items the frame loop updates on every frame, looked up once.
  struct TUnlockable {
    QAction* Item;
    int PlayCount;
  };
  std::vector<TUnlockable> m_unlockables;
  QAction* m_open = nullptr;
  QAction* m_option = nullptr;
  QAction* m_stop = nullptr;

  std::unordered_map<std::string, QAction*> m_items;
  std::vector<QAction*> m_allItems;
  std::vector<QAction*> m_extensionItems;
  bool m_designBuilt = false;
  std::vector<QAction*> m_rainSpeedItems;
  std::vector<QAction*> m_playSpeedItems;
  std::vector<QAction*> m_barLengthItems;
  std::vector<QAction*> m_channelItems;
};
