#include <QImage>
#include "game/core/translatable.h"
