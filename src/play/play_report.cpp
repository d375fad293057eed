#include "play/play_report.h"

PlayFrameReport LastPlayFrame;
