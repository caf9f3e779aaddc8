#include "game/sound/sound_menu.h"
