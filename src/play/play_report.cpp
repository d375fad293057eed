#include "play/play_report.h"

PlayFrameReport LastPlayFrame;
int32_t ForcedStartRound = 0;
