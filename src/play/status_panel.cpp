#include "play/status_panel.h"

int32_t Lives = 0;
int32_t Score = 0;
int32_t RoundNumber = 1;
