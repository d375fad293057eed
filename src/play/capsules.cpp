#include "play/capsules.h"

Capsule TheCapsule;

char CapsuleActive = 0;
int32_t CapsuleColumn = 0;
int32_t CapsuleY = 0;

int32_t CapsuleAnimTick = 0;
int32_t CapsulePhase = 0;
int32_t CapsuleFrameY = 0;
int32_t CapsuleSheetX = 0;
