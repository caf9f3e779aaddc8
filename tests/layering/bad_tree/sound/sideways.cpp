#include "game/view/view_menu.h"
