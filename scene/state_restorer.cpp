#include "scene/state_restorer.h"

TNQStateRestorer::TNQStateRestorer(TVextral* Carad) : m_carad(Carad) { static_cast<void>(m_carad); }
