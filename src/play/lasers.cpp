#include "play/lasers.h"

LaserPair LaserPairA;
LaserPair LaserPairB;
int32_t LaserCooldown = 0;

void ResetLasers() {
    LaserPairA = LaserPair{};
    LaserPairB = LaserPair{};
    LaserCooldown = 0;
}
